// Compact numbers, number lists, positions of occurrences, aligned numbers and time spans.
#include <algorithm>
#include <cfloat>
#include <cmath>

#include "kez/platform/sysutils.hpp"
#include "kez/stringl.hpp"
#include "stringl/chars_internal.hpp"

namespace kez {
namespace {

// Columns beyond this are clamped: no aligned number needs more blanks in front.
constexpr std::int32_t kMaxColumn = 4096;

template <class T, class Format>
String ParList(std::span<const T> Values, bool Comma, std::int32_t MaxCount, Format&& Text) {
  const bool cut = MaxCount > 0 && static_cast<std::size_t>(MaxCount) < Values.size();
  const std::size_t count = cut ? static_cast<std::size_t>(MaxCount) : Values.size();
  String out = u"[";
  for (std::size_t i = 0; i < count; ++i) {
    out += Text(Values[i]);
    out.push_back(u',');
  }
  if (cut) out += u"...,";
  if (out.back() == u',') {
    out.back() = u']';
  } else {
    out.push_back(u']');
  }
  if (Comma) out.push_back(u',');
  return out;
}

String IntText(std::int32_t Value) { return IntToStr(Value); }

// A time field of at least two characters, the leading blank kept or made "0".
void AppendField(String& Out, std::uint32_t Value, bool ZeroFilled) {
  if (Value < 10) Out.push_back(ZeroFilled ? u'0' : u' ');
  Out += IntToStr(Value);
}

}  // namespace

String AutoFormatData(double Value, std::int32_t Precision) {
  Precision = std::clamp(Precision, 2, 16);
  String text;
  if (Value == 0) {
    text = strff(0, 1, Precision - 1);
  } else {
    const double d = std::log10(std::fabs(Value));
    if (Precision - 1 > d && d > -1) {
      text = strff(Value, 1, Precision - static_cast<std::int32_t>(std::trunc(d)) - 1);
    } else {
      text = strff(Value, Precision + 6, -2);
    }
  }
  return StripLTBlanks(text);
}

String AutoFormatData(double Value, std::int32_t Precision, bool Comma) {
  const String text = AutoFormatData(Value, Precision);
  return Comma ? ReplaceCharInString(text, u'.', u',') : text;
}

String CreateParList(const std::vector<std::int32_t>& Values, bool Comma, std::int32_t MaxCount) {
  return ParList(std::span<const std::int32_t>(Values), Comma, MaxCount, IntText);
}

String CreateParList(std::span<const std::int32_t> Values, bool Comma) {
  return ParList(Values, Comma, 0, IntText);
}

String CreateParList(std::initializer_list<std::int32_t> Values, bool Comma) {
  return CreateParList(std::span<const std::int32_t>(Values.begin(), Values.size()), Comma);
}

String CreateParList(const std::vector<double>& Values, bool Comma, std::int32_t MaxCount,
                     std::int32_t Precision) {
  return ParList(std::span<const double>(Values), Comma, MaxCount,
                 [Precision](double v) { return AutoFormatData(v, Precision); });
}

String CreateParList(std::span<const double> Values, bool Comma) {
  return ParList(Values, Comma, 0, [](double v) { return AutoFormatData(v, 3); });
}

String CreateParList(std::initializer_list<double> Values, bool Comma) {
  return CreateParList(std::span<const double>(Values.begin(), Values.size()), Comma);
}

std::int32_t NumberedPos(StringView SubStr, StringView Text, std::int32_t Start, std::int32_t N,
                         bool IgnoreCase) {
  if (N <= 0 || SubStr.empty()) return 0;
  // Locale lower casing keeps every position, so the positions of the folded texts hold.
  const String sub = IgnoreCase ? AnsiLowerCase(SubStr) : String();
  const String text = IgnoreCase ? AnsiLowerCase(Text) : String();
  const StringView s = IgnoreCase ? StringView(sub) : SubStr;
  const StringView t = IgnoreCase ? StringView(text) : Text;
  const detail::SubstringFinder finder(s);
  std::size_t at = finder.Find(t, static_cast<std::size_t>(std::max(Start, 1)) - 1);
  // Each occurrence lies behind the last one, so the loop ends within the text even for
  // N = INT32_MAX.
  for (std::int32_t found = 1; at != StringView::npos; ++found) {
    if (found == N) return detail::ToPosition(at);
    at = finder.Find(t, at + s.size());
  }
  return 0;
}

String SortableNumericString(StringView Text, char16_t Ch, std::int32_t Column) {
  String text = StripLTBlanks(Text);
  const std::size_t p = text.find(Ch);
  const std::int32_t pos = p == String::npos ? 0 : static_cast<std::int32_t>(p + 1);
  const std::int32_t column = std::min(Column, kMaxColumn);
  if (pos < column) text.insert(0, static_cast<std::size_t>(column - pos), u' ');
  return text;
}

String TimeString(double Seconds, std::uint8_t Mode) {
  // Negative and NaN seconds count as 0, infinite ones as the largest double, so that
  // no conversion below leaves the range of its integer type.
  const double s = Seconds > 0 ? std::min(Seconds, DBL_MAX) : 0.0;
  const double inHour = std::fmod(s, 3600.0);
  const auto minutes = static_cast<std::uint32_t>(inHour / 60);
  const auto secs = static_cast<std::uint32_t>(std::fmod(s, 60.0));
  const auto hundredths = static_cast<std::uint32_t>((s - std::floor(s)) * 100);
  const double wholeHours = std::round((s - inHour) / 3600.0);
  const auto hours = static_cast<std::uint32_t>(std::fmod(wholeHours, 65536.0));

  String out;
  switch (Mode) {
    case 0:
    case 1:
    case 4:
      AppendField(out, hours, true);
      out.push_back(u':');
      AppendField(out, minutes, true);
      if (Mode == 4) break;
      out.push_back(u':');
      AppendField(out, secs, true);
      if (Mode == 1) break;
      out.push_back(u'.');
      AppendField(out, hundredths, true);
      break;
    case 2:
    case 3:
      AppendField(out, hours, false);
      out.push_back(u'h');
      AppendField(out, minutes, true);
      if (Mode == 2) break;
      out.push_back(u'\'');
      AppendField(out, secs, true);
      out.push_back(u'"');
      break;
    case 5:
      AppendField(out, hours == 0 ? 12 : (hours > 12 ? hours - 12 : hours), false);
      out.push_back(u':');
      AppendField(out, minutes, true);
      out.push_back(hours < 12 ? u'a' : u'p');
      break;
    default:
      break;
  }
  return out;
}

}  // namespace kez
