// The text label's round trip: a label read from arbitrary bytes (the first label element of
// the file), written under a plain identifier, must read back and write the same text again.
#include "fuzz_input.hpp"
#include "kez/kezbase.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  kezfuzz::Input in(Data, Size);
  const bool header = in.Flag();
  const std::int32_t indent = in.Position(8);
  kez::TCustomTextLabel label;
  if (!kezfuzz::ReadBytes(in.Rest(),
                          [&](kez::TextFile& f) { return label.ReadFromOpenXMLFile(f, u""); }))
    return 0;
  kez::TCustomTextLabel back;
  kezfuzz::CheckTextRoundTrip(
      label, back,
      [](kez::TextFile& File, kez::TCustomTextLabel& L) {
        return L.ReadFromOpenXMLFile(File, u"Label 1");
      },
      [&](kez::TextFile& File, kez::TCustomTextLabel& L) {
        L.WriteToOpenXMLFile(File, header, u"Label 1", indent);
      });
  return 0;
}
