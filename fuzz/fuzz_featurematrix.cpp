// TFeatureMatrix::LoadFromOpenFile on a file of arbitrary bytes: never raises and never takes
// more memory than the file backs (the run's -malloc_limit_mb catches a runaway size).
#include <cstdlib>

#include "fuzz_input.hpp"
#include "kez/dstruct.hpp"
#include "kez/platform/textfile.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const kez::String path =
      kezfuzz::Scratch().Write(std::string_view(reinterpret_cast<const char*>(Data), Size));
  kez::TFeatureMatrix m(nullptr);
  kez::TextFile f(path);
  f.SetErrorMode(kez::iemDeferred);
  f.Reset();
  if (f.IOResult() != 0) std::abort();
  m.LoadFromOpenFile(f);
  m.LoadFromOpenFile(f);  // a second block, or the end of the file
  f.Close();
  return 0;
}
