// TFeatureMatrix::LoadFromOpenFile on a file of arbitrary bytes: never raises and never takes
// more memory than the file backs (the run's -malloc_limit_mb catches a runaway size).
#include "fuzz_input.hpp"
#include "kez/dstruct.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  kez::TFeatureMatrix m(nullptr);
  kezfuzz::ReadBytes(std::string_view(reinterpret_cast<const char*>(Data), Size),
                     [&](kez::TextFile& f) {
                       m.LoadFromOpenFile(f);
                       return m.LoadFromOpenFile(f);  // a second block, or the end of the file
                     });
  return 0;
}
