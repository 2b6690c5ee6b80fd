// TColorArray::ReadFromOpenTextFile on a file of arbitrary bytes, with and without
// AdjustSize: a header promising more entries than the file holds must not resize the array
// beyond what the file backs.
#include "fuzz_input.hpp"
#include "kez/kezcolors.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  kezfuzz::Input in(Data, Size);
  const bool adjust = in.Flag();
  kez::TColorArray a(nullptr);
  kezfuzz::ReadBytes(in.Rest(),
                     [&](kez::TextFile& f) { return a.ReadFromOpenTextFile(f, adjust); });
  return 0;
}
