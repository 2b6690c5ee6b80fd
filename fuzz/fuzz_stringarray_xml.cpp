// TStringArray::ReadFromOpenXMLFile on a file of arbitrary bytes, block identifier from the
// input; blocks are read one after another until one fails. Errors of the file are deferred,
// so nothing may raise.
#include "fuzz_input.hpp"
#include "kez/dstruct.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  kezfuzz::Input in(Data, Size);
  const kez::String id = in.Text();
  kez::TStringArray a(nullptr);
  kezfuzz::ReadBytes(in.Rest(), [&](kez::TextFile& f) {
    int blocks = 0;
    while (blocks < 64 && a.ReadFromOpenXMLFile(f, id)) ++blocks;
    return blocks;
  });
  return 0;
}
