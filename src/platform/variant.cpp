// Variant: type codes, the standard conversions and equality.
#include "kez/platform/variant.hpp"

#include <charconv>
#include <cmath>
#include <iterator>
#include <string>
#include <type_traits>

#include "kez/platform/exceptions.hpp"
#include "kez/platform/sysutils.hpp"

namespace kez {
namespace {

template <class T>
constexpr bool IsIntegerKind = std::is_integral_v<T> && !std::is_same_v<T, bool>;

// Rounds Scaled / 10000 to the nearest integer, ties to even, without going through a
// double (currency amounts may exceed the 53 bits a double holds exactly).
std::int64_t RoundCurrency(Currency c) {
  std::int64_t q = c.Scaled / 10000;
  const std::int64_t rem = c.Scaled % 10000;
  const std::int64_t mag = rem < 0 ? -rem : rem;
  if (mag > 5000 || (mag == 5000 && (q & 1) != 0)) q += rem < 0 ? -1 : 1;
  return q;
}

String CurrencyToString(Currency c) {
  const bool negative = c.Scaled < 0;
  // Magnitude in unsigned arithmetic so that the most negative amount is safe.
  const std::uint64_t mag = negative ? std::uint64_t{0} - static_cast<std::uint64_t>(c.Scaled)
                                     : static_cast<std::uint64_t>(c.Scaled);
  std::string out = negative ? "-" : "";
  out += std::to_string(mag / 10000);
  std::string frac = std::to_string(mag % 10000);
  frac.insert(0, 4 - frac.size(), '0');
  while (!frac.empty() && frac.back() == '0') frac.pop_back();
  if (!frac.empty()) out += "." + frac;
  return ToString(out);
}

// A single float in the general form with 7 significant digits: the float is first
// rounded to 7 digits, so the 15-digit form of that double carries no noise digits.
String SingleToString(float f) {
  if (!std::isfinite(f)) return FloatToStr(f);
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, f, std::chars_format::scientific, 6);
  double d = 0;
  std::from_chars(buf, r.ptr, d);
  return FloatToStr(d);
}

bool TryRoundToInt64(double d, std::int64_t& out) {
  if (!std::isfinite(d)) return false;
  const double r = std::nearbyint(d);
  if (r < -9223372036854775808.0 || r >= 9223372036854775808.0) return false;
  out = static_cast<std::int64_t>(r);
  return true;
}

}  // namespace

Currency Currency::FromDouble(double Value) {
  std::int64_t scaled = 0;
  if (!TryRoundToInt64(Value * 10000.0, scaled)) {
    throw EConvertError(u"Could not convert variant of type (Double) into type (Currency)");
  }
  return Currency{scaled};
}

Variant Variant::MakeNull() {
  Variant v;
  v.FValue.emplace<NullTag>();
  return v;
}

Variant Null() { return Variant::MakeNull(); }

TVarType Variant::VarType() const {
  // Indexed by the order of the alternatives in Storage.
  static constexpr TVarType kCodes[] = {varEmpty,  varNull,     varShortInt, varByte,   varSmallint,
                                        varWord,   varInteger,  varLongWord, varInt64,  varSingle,
                                        varDouble, varCurrency, varBoolean,  varString, varUString};
  static_assert(std::size(kCodes) == std::variant_size_v<Storage>);
  return kCodes[FValue.index()];
}

String VarTypeName(TVarType Code) {
  switch (Code) {
    case varEmpty:
      return u"Empty";
    case varNull:
      return u"Null";
    case varSmallint:
      return u"Smallint";
    case varInteger:
      return u"Integer";
    case varSingle:
      return u"Single";
    case varDouble:
      return u"Double";
    case varCurrency:
      return u"Currency";
    case varBoolean:
      return u"Boolean";
    case varShortInt:
      return u"ShortInt";
    case varByte:
      return u"Byte";
    case varWord:
      return u"Word";
    case varLongWord:
      return u"LongWord";
    case varInt64:
      return u"Int64";
    case varString:
      return u"String";
    case varUString:
      return u"UnicodeString";
    default:
      return u"Unknown";
  }
}

void Variant::ConvertError(const char* Target) const {
  throw EConvertError(u"Could not convert variant of type (" + VarTypeName(VarType()) +
                      u") into type (" + kez::ToString(Target) + u")");
}

String Variant::ToString() const {
  return std::visit(
      [](const auto& v) -> String {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::monostate> || std::is_same_v<T, NullTag>) {
          return {};
        } else if constexpr (std::is_same_v<T, bool>) {
          return v ? u"True" : u"False";
        } else if constexpr (IsIntegerKind<T>) {
          return IntToStr(static_cast<std::int64_t>(v));
        } else if constexpr (std::is_same_v<T, float>) {
          return SingleToString(v);
        } else if constexpr (std::is_same_v<T, double>) {
          return FloatToStr(v);
        } else if constexpr (std::is_same_v<T, Currency>) {
          return CurrencyToString(v);
        } else if constexpr (std::is_same_v<T, AnsiString>) {
          return AnsiToString(v);
        } else {
          return v;
        }
      },
      FValue);
}

AnsiString Variant::ToAnsiString() const {
  if (const auto* a = std::get_if<AnsiString>(&FValue)) return *a;
  return StringToAnsi(ToString());
}

double Variant::ToDouble() const {
  return std::visit(
      [this](const auto& v) -> double {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          return 0;
        } else if constexpr (std::is_same_v<T, NullTag>) {
          ConvertError("Double");
        } else if constexpr (std::is_same_v<T, bool>) {
          return v ? -1 : 0;
        } else if constexpr (IsIntegerKind<T> || std::is_floating_point_v<T>) {
          return static_cast<double>(v);
        } else if constexpr (std::is_same_v<T, Currency>) {
          return v.ToDouble();
        } else {
          double d = 0;
          if (!TryStrToFloat(ToString(), d)) ConvertError("Double");
          return d;
        }
      },
      FValue);
}

std::int64_t Variant::ToInt64() const {
  return std::visit(
      [this](const auto& v) -> std::int64_t {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          return 0;
        } else if constexpr (std::is_same_v<T, NullTag>) {
          ConvertError("Int64");
        } else if constexpr (std::is_same_v<T, bool>) {
          return v ? -1 : 0;
        } else if constexpr (IsIntegerKind<T>) {
          return static_cast<std::int64_t>(v);
        } else if constexpr (std::is_same_v<T, Currency>) {
          return RoundCurrency(v);
        } else if constexpr (std::is_floating_point_v<T>) {
          std::int64_t r = 0;
          if (!TryRoundToInt64(v, r)) ConvertError("Int64");
          return r;
        } else {
          const String text = ToString();
          std::int64_t r = 0;
          double d = 0;
          if (TryStrToInt64(text, r)) return r;
          if (!TryStrToFloat(text, d) || !TryRoundToInt64(d, r)) ConvertError("Int64");
          return r;
        }
      },
      FValue);
}

std::int32_t Variant::ToInt32() const {
  const TVarType t = VarType();
  const bool wraps = t == varSmallint || t == varInteger || (t >= varShortInt && t <= varInt64) ||
                     t == varBoolean || t == varEmpty;
  if (t == varNull) ConvertError("Integer");
  std::int64_t v = 0;
  try {
    v = ToInt64();
  } catch (const EConvertError&) {
    ConvertError("Integer");
  }
  // Integer kinds keep their low 32 bits; rounded floats, currency and texts must fit.
  if (!wraps && (v < INT32_MIN || v > INT32_MAX)) ConvertError("Integer");
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(v)));
}

Currency Variant::ToCurrency() const {
  if (const auto* c = std::get_if<Currency>(&FValue)) return *c;
  const TVarType t = VarType();
  if (t == varInt64 || t == varLongWord) {
    // Exact where the amount fits; FromDouble would lose digits of large integers.
    const std::int64_t v = ToInt64();
    if (v <= INT64_MAX / 10000 && v >= INT64_MIN / 10000) return Currency{v * 10000};
  }
  const double d = ToDouble();
  try {
    return Currency::FromDouble(d);
  } catch (const EConvertError&) {
    ConvertError("Currency");
  }
}

bool Variant::ToBoolean() const {
  const TVarType t = VarType();
  if (t == varNull) ConvertError("Boolean");
  if (t == varBoolean) return std::get<bool>(FValue);
  if (t == varString || t == varUString) {
    const String lower = LowerCase(ToString());
    if (lower == u"true") return true;
    if (lower == u"false") return false;
    double d = 0;
    if (!TryStrToFloat(lower, d)) ConvertError("Boolean");
    return d != 0;
  }
  if (t == varCurrency) return std::get<Currency>(FValue).Scaled != 0;
  return ToDouble() != 0;
}

bool operator==(const Variant& A, const Variant& B) {
  const TVarType ta = A.VarType();
  const TVarType tb = B.VarType();
  auto isText = [](TVarType t) { return t == varString || t == varUString; };
  auto isInteger = [](TVarType t) {
    return t == varSmallint || t == varInteger || (t >= varShortInt && t <= varInt64);
  };
  auto isNumber = [&](TVarType t) {
    return isInteger(t) || t == varSingle || t == varDouble || t == varCurrency;
  };
  if (ta == varEmpty || ta == varNull || tb == varEmpty || tb == varNull) return ta == tb;
  if (isText(ta) || isText(tb)) return isText(ta) && isText(tb) && A.ToString() == B.ToString();
  if (ta == varBoolean || tb == varBoolean) {
    return ta == tb && std::get<bool>(A.FValue) == std::get<bool>(B.FValue);
  }
  if (isInteger(ta) && isInteger(tb)) return A.ToInt64() == B.ToInt64();
  if (ta == varCurrency && tb == varCurrency) {
    return std::get<Currency>(A.FValue) == std::get<Currency>(B.FValue);
  }
  return isNumber(ta) && isNumber(tb) && A.ToDouble() == B.ToDouble();
}

}  // namespace kez
