// Share modes between the library's open files (file streams and text files).
#pragma once

#include <cstdint>

namespace kez::detail {

// Claims the share mode Share (one of the fmShare... values, 0 for none) for the open file
// descriptor Fd, which was opened for reading (Read) and/or writing (Write). The claim
// succeeds when no other open of the same file denies the access asked for and no other
// open has an access that Share denies: fmShareExclusive denies reading and writing,
// fmShareDenyWrite writing, fmShareDenyRead reading, fmShareCompat and fmShareDenyNone
// nothing. Returns 0, or EACCES when the claim conflicts with another holder; the claim is
// then withdrawn and the caller closes Fd. The claim lasts as long as Fd's open file
// description; closing it releases the claim.
//
// Claims are open-file-description locks on bytes far beyond any file's end, so they are
// seen by every open of the file in this and other processes, and they leave locks that
// other programs take on a file's data alone. Where the file system keeps no such locks,
// every claim succeeds.
int ClaimShare(int Fd, bool Read, bool Write, std::uint16_t Share);

// Whether another open of Fd's file denies writing it (fmShareExclusive, fmShareDenyWrite),
// asked without claiming anything, so Fd may be open for reading only.
bool OthersDenyWriting(int Fd);

}  // namespace kez::detail
