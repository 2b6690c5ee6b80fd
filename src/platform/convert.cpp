// Integer and float conversions between numbers and text, independent of the locale.
#include <locale.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <type_traits>

#include "kez/platform/exceptions.hpp"
#include "kez/platform/sysutils.hpp"

namespace kez {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

StringView Trim(StringView t) {
  while (!t.empty() && IsBlank(t.front())) t.remove_prefix(1);
  while (!t.empty() && IsBlank(t.back())) t.remove_suffix(1);
  return t;
}

// The ASCII bytes of a text, or false when it holds anything beyond ASCII.
bool ToAscii(StringView t, std::string& out) {
  out.resize(t.size());
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] > 0x7F) return false;
    out[i] = static_cast<char>(t[i]);
  }
  return true;
}

// Accepts the decimal grammar of StrToFloat and returns the text in a form that
// from_chars and strtod take (no leading "+").
bool CheckFloatGrammar(StringView text, std::string& ascii) {
  const StringView t = Trim(text);
  if (!ToAscii(t, ascii) || ascii.empty()) return false;
  std::size_t i = 0;
  const bool negative = ascii[0] == '-';
  if (ascii[0] == '+' || ascii[0] == '-') ++i;
  std::string rest = ascii.substr(i);
  std::string lower;
  for (char c : rest) lower.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c));
  if (lower == "inf" || lower == "nan") {
    ascii = (negative ? "-" : "") + lower;
    return true;
  }
  std::size_t digits = 0;
  while (i < ascii.size() && ascii[i] >= '0' && ascii[i] <= '9') ++i, ++digits;
  if (i < ascii.size() && ascii[i] == '.') {
    ++i;
    while (i < ascii.size() && ascii[i] >= '0' && ascii[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < ascii.size() && (ascii[i] == 'e' || ascii[i] == 'E')) {
    ++i;
    if (i < ascii.size() && (ascii[i] == '+' || ascii[i] == '-')) ++i;
    std::size_t expDigits = 0;
    while (i < ascii.size() && ascii[i] >= '0' && ascii[i] <= '9') ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  if (i != ascii.size()) return false;
  if (ascii[0] == '+') ascii.erase(0, 1);
  return true;
}

locale_t CLocale() {
  static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return loc;
}

template <class T>
bool ParseInteger(StringView text, T& value) {
  std::string a;
  const StringView t = Trim(text);
  if (!ToAscii(t, a) || a.empty()) return false;
  bool negative = false;
  std::size_t i = 0;
  if (a[0] == '+' || a[0] == '-') {
    negative = a[0] == '-';
    ++i;
  }
  int base = 10;
  if (i < a.size() && a[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < a.size() && a[i] == '0' && (a[i + 1] == 'x' || a[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= a.size()) return false;
  unsigned long long magnitude = 0;
  const char* first = a.data() + i;
  const char* last = a.data() + a.size();
  const auto [ptr, ec] = std::from_chars(first, last, magnitude, base);
  if (ec != std::errc() || ptr != last) return false;
  using U = std::make_unsigned_t<T>;
  const auto limit = static_cast<unsigned long long>(static_cast<U>(std::numeric_limits<T>::max()));
  if (base == 16 && !negative) {
    // Hexadecimal texts may give the full bit pattern ($FFFFFFFF is -1 for 32 bits).
    if (magnitude > static_cast<unsigned long long>(static_cast<U>(~U(0)))) return false;
    value = static_cast<T>(static_cast<U>(magnitude));
    return true;
  }
  if (negative) {
    if (magnitude > limit + 1) return false;
    value = static_cast<T>(static_cast<U>(0) - static_cast<U>(magnitude));
  } else {
    if (magnitude > limit) return false;
    value = static_cast<T>(magnitude);
  }
  return true;
}

[[noreturn]] void InvalidInteger(StringView text) {
  throw EConvertError(u"'" + String(text) + u"' is not a valid integer value");
}

}  // namespace

String IntToStr(std::int64_t Value) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, Value);
  return String(buf, r.ptr);
}

bool TryStrToInt(StringView Text, std::int32_t& Value) { return ParseInteger(Text, Value); }
bool TryStrToInt64(StringView Text, std::int64_t& Value) { return ParseInteger(Text, Value); }

std::int32_t StrToInt(StringView Text) {
  std::int32_t v = 0;
  if (!ParseInteger(Text, v)) InvalidInteger(Text);
  return v;
}

std::int64_t StrToInt64(StringView Text) {
  std::int64_t v = 0;
  if (!ParseInteger(Text, v)) InvalidInteger(Text);
  return v;
}

std::int32_t StrToIntDef(StringView Text, std::int32_t Default) {
  std::int32_t v = 0;
  return ParseInteger(Text, v) ? v : Default;
}

bool TryStrToFloat(StringView Text, double& Value) {
  std::string a;
  if (!CheckFloatGrammar(Text, a)) return false;
  const double v = strtod_l(a.c_str(), nullptr, CLocale());
  if (std::isinf(v) && a.find("inf") == std::string::npos) return false;  // overflow
  Value = v;
  return true;
}

bool TryStrToFloat(StringView Text, Extended& Value) {
  std::string a;
  if (!CheckFloatGrammar(Text, a)) return false;
  const long double v = strtold_l(a.c_str(), nullptr, CLocale());
  if (std::isinf(v) && a.find("inf") == std::string::npos) return false;
  Value = v;
  return true;
}

double StrToFloat(StringView Text) {
  double v = 0;
  if (!TryStrToFloat(Text, v)) {
    throw EConvertError(u"'" + String(Text) + u"' is not a valid floating point value");
  }
  return v;
}

String FloatToStr(double Value) {
  if (std::isnan(Value)) return u"NAN";
  if (std::isinf(Value)) return Value > 0 ? u"INF" : u"-INF";
  if (Value == 0) return u"0";
  // 15 significant digits as [-]d.dddddddddddddde[+-]x..., taken apart on the stack: the
  // feature matrix and the variants call this once per value.
  char buf[40];
  const auto r = std::to_chars(buf, buf + sizeof buf, Value, std::chars_format::scientific, 14);
  const char* p = buf;
  const bool negative = *p == '-';
  if (negative) ++p;
  char digits[16];
  std::size_t nDigits = 0;
  for (; *p != 'e'; ++p) {
    if (*p != '.') digits[nDigits++] = *p;
  }
  ++p;  // 'e'
  const bool negativeExponent = *p == '-';
  int exponent = 0;
  for (++p; p < r.ptr; ++p) exponent = exponent * 10 + (*p - '0');
  if (negativeExponent) exponent = -exponent;
  while (nDigits > 1 && digits[nDigits - 1] == '0') --nDigits;

  char16_t out[40];
  std::size_t n = 0;
  const auto put = [&](char c) { out[n++] = static_cast<char16_t>(c); };
  const auto putDigits = [&](std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) put(digits[i]);
  };
  if (negative) put('-');
  if (exponent < -4 || exponent > 14) {
    put(digits[0]);
    if (nDigits > 1) {
      put('.');
      putDigits(1, nDigits);
    }
    put('E');
    char e[8];
    const auto er = std::to_chars(e, e + sizeof e, exponent);
    for (const char* q = e; q < er.ptr; ++q) put(*q);
  } else if (exponent < 0) {
    put('0');
    put('.');
    for (int i = -exponent - 1; i > 0; --i) put('0');
    putDigits(0, nDigits);
  } else {
    const auto intDigits = static_cast<std::size_t>(exponent + 1);
    if (nDigits <= intDigits) {
      putDigits(0, nDigits);
      for (std::size_t i = nDigits; i < intDigits; ++i) put('0');
    } else {
      putDigits(0, intDigits);
      put('.');
      putDigits(intDigits, nDigits);
    }
  }
  return String(out, n);
}

}  // namespace kez
