// TColorArray::ReadFromOpenTextFile on a file of arbitrary bytes, with and without
// AdjustSize: a header promising more entries than the file holds must not resize the array
// beyond what the file backs.
#include "fuzz_input.hpp"
#include "kez/kezcolors.hpp"
#include "kez/platform/textfile.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  kezfuzz::Input in(Data, Size);
  const bool adjust = in.Flag();
  const kez::String path = kezfuzz::Scratch().Write(in.Rest());

  kez::TColorArray a(nullptr);
  kez::TextFile f(path);
  f.SetErrorMode(kez::iemDeferred);
  f.Reset();
  a.ReadFromOpenTextFile(f, adjust);
  f.Close();
  f.IOResult();
  return 0;
}
