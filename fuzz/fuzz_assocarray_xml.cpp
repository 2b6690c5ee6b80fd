// TAssocArray::ReadFromXMLStream on arbitrary bytes, block identifier from the input; blocks
// are read one after another until one fails, and a read block is written out and must read
// back with the same entries.
#include <cstdlib>

#include "fuzz_input.hpp"
#include "kez/dstruct.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  kezfuzz::Input in(Data, Size);
  const kez::String id = in.Text();
  kez::TStringStream s(in.Rest());

  kez::TAssocArray a(nullptr);
  int blocks = 0;
  while (blocks < 64 && a.ReadFromXMLStream(s, id)) ++blocks;
  if (blocks > 0) {
    kez::TMemoryStream out;
    a.WriteToXMLStream(out, true, id);
    out.SetPosition(0);
    kez::TAssocArray b(nullptr);
    if (!b.ReadFromXMLStream(out, id)) std::abort();
  }
  return 0;
}
