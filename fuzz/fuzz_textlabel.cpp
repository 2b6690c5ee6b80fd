// TCustomTextLabel::ReadFromOpenXMLFile on a file of arbitrary bytes, label identifier from
// the input; labels are read one after another until one is not found. Errors of the file
// are deferred, so nothing may raise, and each label read notifies exactly once.
#include <cstdlib>

#include "fuzz_input.hpp"
#include "kez/kezbase.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  kezfuzz::Input in(Data, Size);
  const kez::String id = in.Text();
  kez::TCustomTextLabel label;
  int changes = 0;
  label.SetOnChange([&](kez::TObject*) { ++changes; });
  kezfuzz::ReadBytes(in.Rest(), [&](kez::TextFile& f) {
    int labels = 0;
    while (labels < 64 && label.ReadFromOpenXMLFile(f, id))
      if (++labels != changes) std::abort();
    if (labels != changes) std::abort();
    return labels;
  });
  return 0;
}
