// The decimal and integer scans of texts.
#include "kez/dstruct/numberscan.hpp"

#include <charconv>
#include <limits>
#include <string>

#include "kez/univconst.hpp"

namespace kez {
namespace {

// The largest magnitude a scanned number may have.
constexpr double kMaxDouble = static_cast<double>(uc_MaxDouble);
// Exponent digits are collected only while the exponent stays at or below this value.
constexpr int kMaxExponent = 4200;

enum ScanState : int {
  sError = -1,
  sStart = 1,
  sSign,
  sInt,
  sSep,
  sFrac,
  sE,
  sExpSign,
  sExp,
  sEnd
};
enum CharClass : int { cBlank, cSign, cDigit, cSep, cE, cOther };

// The transition table, indexed by state 1..8 and character class.
constexpr int kNext[8][6] = {
    /* 1 start    */ {sStart, sSign, sInt, sSep, sError, sError},
    /* 2 sign     */ {sError, sError, sInt, sSep, sError, sError},
    /* 3 int      */ {sEnd, sEnd, sInt, sSep, sE, sEnd},
    /* 4 sep      */ {sEnd, sEnd, sFrac, sError, sE, sEnd},
    /* 5 fraction */ {sEnd, sEnd, sFrac, sError, sE, sEnd},
    /* 6 after E  */ {sError, sExpSign, sExp, sError, sError, sEnd},
    /* 7 exp sign */ {sError, sError, sExp, sError, sError, sEnd},
    /* 8 exponent */ {sEnd, sEnd, sExp, sEnd, sEnd, sEnd},
};

CharClass Classify(char32_t c, bool acceptComma) {
  if (c == U' ') return cBlank;
  if (c == U'+' || c == U'-') return cSign;
  if (c >= U'0' && c <= U'9') return cDigit;
  if (c == U'.' || (acceptComma && c == U',')) return cSep;
  if (c == U'E' || c == U'e') return cE;
  return cOther;
}

// The code of a character: bytes are characters 0..255, never negative.
char32_t CodeOf(char c) { return static_cast<unsigned char>(c); }
char32_t CodeOf(char16_t c) { return c; }

template <class Char>
TNumberScanResult ScanNumber(std::basic_string_view<Char> text, bool acceptComma) {
  TNumberScanResult result;
  String collected;
  int exponent = 0;
  int state = sStart;
  for (std::size_t i = 0; state != sEnd && state != sError; ++i) {
    // Past the end of the text a terminator is assumed; it ends any number.
    const char32_t c = i < text.size() ? CodeOf(text[i]) : U'Z';
    const int next = kNext[state - 1][Classify(c, acceptComma)];
    // A separator without fraction digits reads as ".0", also before an exponent.
    if (state == sSep && next == sE) collected.push_back(u'0');
    if (next > sStart && next <= sExp) {
      if (exponent <= kMaxExponent)
        collected.push_back(c == U',' ? u'.' : static_cast<char16_t>(c));
      if (next == sExp && exponent <= kMaxExponent)
        exponent = exponent * 10 + static_cast<int>(c - U'0');
    }
    state = next;
  }
  result.ExponentOverflow = exponent > kMaxExponent;
  if (state == sError) return result;
  result.Valid = true;
  // An exponent marker without digits ("3E", "3E+") adds nothing to the number.
  if (collected.size() > 1 && (collected.back() == u'+' || collected.back() == u'-')) {
    collected.pop_back();  // only an exponent sign can end the collected text
  }
  if (collected.back() == u'E' || collected.back() == u'e') collected.pop_back();
  if (!collected.empty() && collected.back() == u'.') collected.push_back(u'0');
  double value = 0;
  TryParseDecimal(collected, value);  // the collected text always follows its grammar
  if (value > kMaxDouble) value = kMaxDouble;
  if (value < -kMaxDouble) value = -kMaxDouble;
  result.Value = value;
  return result;
}

// The lenient integer scan from position pos: the value wrapped to 32 bits, and whether the
// exact value stays inside the 32-bit range. pos ends on the first character after it.
template <class Char>
std::int32_t ScanInteger(std::basic_string_view<Char> text, std::size_t& pos, bool& inRange) {
  std::size_t i = pos;
  while (i + 1 < text.size() && text[i] == Char(' ')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == Char('-') || text[i] == Char('+'))) {
    negative = text[i] == Char('-');
    ++i;
  }
  // The 64-bit sum wraps modulo 2^64, so its low 32 bits are the value wrapped to 32 bits;
  // it is exact while it holds at most 10 digits after the leading zeros.
  std::uint64_t sum = 0;
  std::size_t digits = 0;
  for (; i < text.size() && text[i] >= Char('0') && text[i] <= Char('9'); ++i) {
    sum = sum * 10u + static_cast<std::uint64_t>(CodeOf(text[i]) - U'0');
    digits += sum != 0;
  }
  pos = i;
  inRange =
      digits <= 10 && sum <= (negative ? std::uint64_t{1} << 31 : (std::uint64_t{1} << 31) - 1);
  auto value = static_cast<std::uint32_t>(sum);
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

template <class Char>
std::int32_t ScanInteger(std::basic_string_view<Char> text) {
  std::size_t pos = 0;
  bool inRange = true;
  return ScanInteger(text, pos, inRange);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether a decimal text (grammar checked, no sign) of a non-zero number that lies outside
// the double range is at least 1, that is an overflow rather than an underflow: the place
// of its first non-zero digit relative to the point, plus its exponent, is positive.
bool AtLeastOne(std::string_view text) {
  const std::size_t e = text.find_first_of("eE");
  const std::string_view mantissa = text.substr(0, e);
  const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  const std::size_t first = mantissa.find_first_of("123456789");
  if (first == std::string_view::npos) return false;
  // Saturating sums: a cell or a line holds far fewer than 10^9 digits.
  std::int64_t place = first < point ? static_cast<std::int64_t>(point - first)
                                     : -static_cast<std::int64_t>(first - point - 1);
  if (e != std::string_view::npos) {
    std::size_t i = e + 1;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::int64_t exponent = 0;
    for (; i < text.size(); ++i)
      exponent = std::min<std::int64_t>(exponent * 10 + (text[i] - '0'), 1000000000);
    place += negative ? -exponent : exponent;
  }
  return place > 0;
}

}  // namespace

bool TryParseDecimal(StringView Text, double& Value) {
  std::string ascii;
  ascii.reserve(Text.size());
  for (char16_t c : Text) {
    if (c > 0x7F) return false;
    ascii.push_back(static_cast<char>(c));
  }
  std::size_t i = 0;
  const bool negative = !ascii.empty() && ascii[0] == '-';
  if (!ascii.empty() && (ascii[0] == '+' || ascii[0] == '-')) ++i;
  const std::size_t start = i;
  std::size_t digits = 0;
  for (; i < ascii.size() && IsDigit(ascii[i]); ++i) ++digits;
  if (i < ascii.size() && ascii[i] == '.') {
    for (++i; i < ascii.size() && IsDigit(ascii[i]); ++i) ++digits;
  }
  if (digits == 0) return false;
  if (i < ascii.size() && (ascii[i] == 'e' || ascii[i] == 'E')) {
    ++i;
    if (i < ascii.size() && (ascii[i] == '+' || ascii[i] == '-')) ++i;
    std::size_t expDigits = 0;
    for (; i < ascii.size() && IsDigit(ascii[i]); ++i) ++expDigits;
    if (expDigits == 0) return false;
  }
  if (i != ascii.size()) return false;
  // from_chars reads the unsigned text in the "C" format whatever the locale, rounding to
  // nearest; it takes no "+" and reports values beyond the range instead of rounding them.
  const std::string_view body(ascii.data() + start, ascii.size() - start);
  double magnitude = 0;
  const auto r = std::from_chars(body.data(), body.data() + body.size(), magnitude);
  if (r.ec == std::errc::result_out_of_range) {
    magnitude = AtLeastOne(body) ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (r.ec != std::errc() || r.ptr != body.data() + body.size()) {
    return false;
  }
  Value = negative ? -magnitude : magnitude;
  return true;
}

TNumberScanResult ScanNumberText(std::string_view Text, bool AcceptComma) {
  return ScanNumber(Text, AcceptComma);
}

TNumberScanResult ScanNumberText(StringView Text, bool AcceptComma) {
  return ScanNumber(Text, AcceptComma);
}

std::int32_t ScanIntegerText(std::string_view Text) { return ScanInteger(Text); }
std::int32_t ScanIntegerText(StringView Text) { return ScanInteger(Text); }

bool ScanIntegerAt(StringView Text, std::size_t& Pos, std::int32_t& Value) {
  bool inRange = true;
  Value = ScanInteger(Text, Pos, inRange);
  if (!inRange) Value = 0;
  return inRange;
}

bool ScanIntegerAt(std::string_view Text, std::size_t& Pos, std::int32_t& Value) {
  bool inRange = true;
  Value = ScanInteger(Text, Pos, inRange);
  if (!inRange) Value = 0;
  return inRange;
}

}  // namespace kez
