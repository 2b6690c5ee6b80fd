/// @file
/// Drives and writability: the drive list, drive types, free space, read-only probes.
/// A drive is a number, 0 for A up to 25 for Z, mapped to a directory by the drive table
/// (see kez/platform/path.hpp; by default only C: is mapped, to "/").
///
/// @code
///   kez::TStringList drives;
///   kez::BuildDriveList(drives);                  // "C:"
///   std::int64_t free = kez::DiskFreeExtended(2); // bytes free under "/"
/// @endcode
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <cstdint>

#include "kez/platform/export.hpp"
#include "kez/platform/stringlist.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// DirIsReadOnly
/// True when no file can be created in Dir (also when it does not exist; "" is the current
/// folder). The probe file
/// "$%$LO%$.$$$" is created exclusively (an entry of that name, or a link, is never opened,
/// followed or replaced: a numbered name is tried instead) and deleted again; a probe that
/// cannot be deleted raises EInOutError. As root, permission bits do not make a directory
/// read-only; a read-only mount does.
bool DirIsReadOnly(StringView Dir);

/// DiskIsReadOnly
/// The same probe in the root of a drive; any failure, an unmapped drive or a number above
/// 25 included, gives true.
bool DiskIsReadOnly(std::uint8_t Drive);

/// GetDiskDriveType
/// The drive-type code of a drive: 0 undetermined (numbers above 25), 1 no root directory
/// (unmapped, or its directory is missing), 2 removable, 3 fixed, 4 remote, 5 CD-ROM,
/// 6 RAM disk. The type comes from the file-system type in the mount table (network file
/// systems are remote, tmpfs and ramfs RAM disks, iso9660 and udf CD-ROMs) and, for block
/// devices, from the kernel's removable flag.
std::int32_t GetDiskDriveType(std::uint8_t Drive);

/// BuildDriveList
/// Clears List and adds "A:" ... "Z:" for each mapped drive, in order.
void BuildDriveList(TStrings& List);

/// DiskFreeExtended
/// The bytes free to the caller on the drive's file system (statvfs), or -1 when the drive
/// is unmapped, its directory cannot be queried, or the number is above 25.
std::int64_t DiskFreeExtended(std::uint8_t Drive);

KEZ_API_END
}  // namespace kez
