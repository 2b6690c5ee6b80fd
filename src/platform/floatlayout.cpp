// The runtime's real-number layout (width and precision), built on std::to_chars so that it
// is exact, locale-free and several times faster than snprintf.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

#include "kez/platform/sysutils.hpp"

namespace kez {
namespace {

// Significant digits the 80-bit type carries in the scientific layout; further digits
// are written as zeros.
constexpr int kMaxSignificant = 18;

// Field widths and decimals beyond this are clamped: no real-number text needs more, and
// unbounded values would overflow the size arithmetic or exhaust memory.
constexpr int kMaxField = 4096;

// Room for the fixed layout of any finite value: the 4933 integer digits of the largest
// 80-bit value, the sign, the point and kMaxField decimals.
constexpr std::size_t kMaxFixedText = 5000 + kMaxField;

// Writes the layout into Out, which is cleared first.
void Layout(Extended Value, int Width, int Decimals, std::string& Out) {
  Out.clear();
  char stack[128];
  // A width of 0 or less pads nothing and gives the narrowest scientific layout, so the
  // clamp keeps every result while "Width - 9" below stays far from the int range's ends.
  Width = std::clamp(Width, 0, kMaxField);
  Decimals = std::clamp(Decimals, -kMaxField, kMaxField);
  if (std::isnan(Value) || std::isinf(Value)) {
    const char* word = std::isnan(Value) ? "NAN" : (Value > 0 ? "INF" : "-INF");
    const auto len = static_cast<int>(std::strlen(word));
    if (Width > len) Out.assign(static_cast<std::size_t>(Width - len), ' ');
    Out += word;
    return;
  }
  // Negative zero is written as zero: no "-" in the fixed layout, a blank sign position in
  // the scientific one.
  if (Value == 0) Value = 0;
  // A value that a double holds exactly goes through the double conversion, which is
  // much faster than the long double one and gives the same digits.
  const auto asDouble = static_cast<double>(Value);
  const bool exactDouble = static_cast<Extended>(asDouble) == Value;

  if (Decimals >= 0) {
    std::vector<char> heap;
    char* first = stack;
    auto convert = [&](char* last) {
      return exactDouble ? std::to_chars(first, last, asDouble, std::chars_format::fixed, Decimals)
                         : std::to_chars(first, last, Value, std::chars_format::fixed, Decimals);
    };
    std::to_chars_result r = convert(stack + sizeof stack);
    if (r.ec != std::errc()) {
      heap.resize(kMaxFixedText);
      first = heap.data();
      r = convert(heap.data() + heap.size());
      if (r.ec != std::errc()) r.ptr = first;  // cannot happen: kMaxFixedText holds any value
    }
    const auto len = static_cast<int>(r.ptr - first);
    if (Width > len) Out.assign(static_cast<std::size_t>(Width - len), ' ');
    Out.append(first, static_cast<std::size_t>(r.ptr - first));
    return;
  }

  // Scientific: sign position, d.ddd, "E", exponent sign, four exponent digits.
  const int fraction = std::max(1, Width - 9);
  const int carried = std::min(fraction, kMaxSignificant - 1);
  const bool negative = Value < 0;
  const Extended magnitude = std::fabs(Value);
  std::to_chars_result r =
      exactDouble && carried <= 16
          ? std::to_chars(stack, stack + sizeof stack, static_cast<double>(magnitude),
                          std::chars_format::scientific, carried)
          : std::to_chars(stack, stack + sizeof stack, magnitude, std::chars_format::scientific,
                          carried);
  // stack holds d.ddde[+-]x..x
  const char* e = std::find(stack, r.ptr, 'e');
  Out.reserve(static_cast<std::size_t>(fraction) + 9);
  Out.push_back(negative ? '-' : ' ');
  Out.append(stack, static_cast<std::size_t>(e - stack));
  Out.append(static_cast<std::size_t>(fraction - carried), '0');
  Out.push_back('E');
  Out.push_back(e[1]);
  const auto expDigits = static_cast<int>(r.ptr - (e + 2));
  if (expDigits < 4) Out.append(static_cast<std::size_t>(4 - expDigits), '0');
  Out.append(e + 2, static_cast<std::size_t>(r.ptr - (e + 2)));
}

}  // namespace

void FloatToAnsiLayout(Extended Value, int Width, int Decimals, std::string& Out) {
  Layout(Value, Width, Decimals, Out);
}

String FloatToStrLayout(Extended Value, int Width, int Decimals) {
  thread_local std::string buffer;
  Layout(Value, Width, Decimals, buffer);
  return String(buffer.begin(), buffer.end());
}

}  // namespace kez
