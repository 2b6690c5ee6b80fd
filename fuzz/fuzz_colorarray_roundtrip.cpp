// The colour array's round trip: an array read from arbitrary bytes (resized to the file's
// range) is written whole, must read back into a new array with the same entries, and write
// the same text again.
#include <cstdlib>

#include "fuzz_input.hpp"
#include "kez/kezcolors.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  kez::TColorArray a(nullptr);
  const auto read = [](kez::TextFile& File, kez::TColorArray& A) {
    return A.ReadFromOpenTextFile(File, true);
  };
  if (!kezfuzz::ReadBytes(std::string_view(reinterpret_cast<const char*>(Data), Size),
                          [&](kez::TextFile& f) { return read(f, a); }))
    return 0;
  kez::TColorArray back(nullptr);
  const bool checked =
      kezfuzz::CheckTextRoundTrip(a, back, read, [](kez::TextFile& File, kez::TColorArray& A) {
        A.WriteToOpenTextFile(File, 1, A.Size());
      });
  if (checked && !back.IsEqual(a)) std::abort();
  return 0;
}
