// The save dialog's parameter readers on an arbitrary Parameters text and attribute name:
// ExtractParamAsString gives the attribute as ScanForXMLAttrib reads it, ExtractParamAsInt
// agrees with a plain model of its number, ExtractParamAsDouble stays within +-1.7e308, and
// an absent or empty value raises the component's error, nothing else.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "fuzz_input.hpp"
#include "kez/filesys.hpp"
#include "kez/streams.hpp"

namespace {

// The integer at the start of Value: blanks, LF and CR skipped, one sign, decimal digits,
// clamped to 32 bits.
std::int32_t ModelInt(const kez::String& Value) {
  std::size_t i = 0;
  while (i < Value.size() && (Value[i] == u' ' || Value[i] == u'\n' || Value[i] == u'\r')) ++i;
  bool negative = false;
  if (i < Value.size() && (Value[i] == u'+' || Value[i] == u'-')) negative = Value[i++] == u'-';
  std::int64_t magnitude = 0;
  for (; i < Value.size() && Value[i] >= u'0' && Value[i] <= u'9'; ++i)
    magnitude = std::min<std::int64_t>(magnitude * 10 + (Value[i] - u'0'), std::int64_t{1} << 31);
  return static_cast<std::int32_t>(negative ? -magnitude
                                            : std::min<std::int64_t>(magnitude, INT32_MAX));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  kezfuzz::Input in(Data, Size);
  const kez::String name = in.Text();
  const kez::String params = in.Text();
  kez::TUnivSaveDialog dialog(nullptr);
  dialog.SetParameters(params);

  const kez::String value = dialog.ExtractParamAsString(name);
  if (value != kez::ScanForXMLAttrib(params, name)) std::abort();
  try {
    const std::int32_t n = dialog.ExtractParamAsInt(name);
    if (value.empty() || n != ModelInt(value)) std::abort();
  } catch (const kez::EKEZFileSysError&) {
    if (!value.empty()) std::abort();
  }
  try {
    const double x = dialog.ExtractParamAsDouble(name);
    if (value.empty() || !(std::fabs(x) <= 1.7e308)) std::abort();
  } catch (const kez::EKEZFileSysError&) {
    if (!value.empty()) std::abort();
  }
  return 0;
}
