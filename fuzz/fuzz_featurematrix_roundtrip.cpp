// The feature matrix's round trip: a matrix read from arbitrary bytes is written, must read
// back without error and write the same text again.
#include "fuzz_input.hpp"
#include "kez/dstruct.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  kez::TFeatureMatrix m(nullptr);
  const auto load = [](kez::TextFile& File, kez::TFeatureMatrix& M) {
    return M.LoadFromOpenFile(File) == 0;
  };
  if (!kezfuzz::ReadBytes(std::string_view(reinterpret_cast<const char*>(Data), Size),
                          [&](kez::TextFile& f) { return load(f, m); }))
    return 0;
  kez::TFeatureMatrix back(nullptr);
  kezfuzz::CheckTextRoundTrip(
      m, back, load, [](kez::TextFile& File, kez::TFeatureMatrix& M) { M.SaveToOpenFile(File); });
  return 0;
}
