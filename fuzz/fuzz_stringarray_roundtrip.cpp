// The string table's round trip: the first block read from arbitrary bytes is written (with
// or without the header line), must read back and write the same text again.
#include "fuzz_input.hpp"
#include "kez/dstruct.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  kezfuzz::Input in(Data, Size);
  const bool header = in.Flag();
  const kez::String id = in.Text();
  kez::TStringArray a(nullptr);
  if (!kezfuzz::ReadBytes(in.Rest(),
                          [&](kez::TextFile& f) { return a.ReadFromOpenXMLFile(f, id); }))
    return 0;
  kez::TStringArray back(nullptr);
  kezfuzz::CheckTextRoundTrip(
      a, back,
      [](kez::TextFile& File, kez::TStringArray& A) { return A.ReadFromOpenXMLFile(File, u"t1"); },
      [&](kez::TextFile& File, kez::TStringArray& A) {
        A.WriteToOpenXMLFile(File, header, u"t1");
      });
  return 0;
}
