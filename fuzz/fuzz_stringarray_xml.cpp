// TStringArray::ReadFromOpenXMLFile on a file of arbitrary bytes, block identifier from the
// input; blocks are read one after another until one fails. Errors of the file are deferred,
// so nothing may raise.
#include <cstdlib>

#include "fuzz_input.hpp"
#include "kez/dstruct.hpp"
#include "kez/platform/textfile.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  kezfuzz::Input in(Data, Size);
  const kez::String id = in.Text();
  const kez::String path = kezfuzz::Scratch().Write(in.Rest());

  kez::TStringArray a(nullptr);
  kez::TextFile f(path);
  f.SetErrorMode(kez::iemDeferred);
  f.Reset();
  int blocks = 0;
  while (blocks < 64 && a.ReadFromOpenXMLFile(f, id)) ++blocks;
  f.Close();
  f.IOResult();
  return 0;
}
