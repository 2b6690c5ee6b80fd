/// @file
/// Variant: a tagged value that holds one of the runtime's basic kinds (integers of several
/// widths, single and double floats, currency, booleans, single-byte and UTF-16 text) or
/// one of the two markers "empty" (never assigned) and "null" (no value), and converts it
/// to text and numbers the way the runtime does.
///
/// @code
///   kez::Variant v = std::int16_t{7};       // VarType() == kez::varSmallint
///   v.ToString();                           // u"7"
///   kez::Variant t = kez::AnsiString("2.5");
///   t.ToDouble();                           // 2.5
///   kez::Variant(u"abc").ToDouble();        // raises EConvertError
///   kez::Null().IsNull();                   // true
/// @endcode
///
/// Threads: separate objects may be used from separate threads at once; one object belongs to
/// one thread at a time.
#pragma once

#include <cstdint>
#include <utility>
#include <variant>

#include "kez/platform/export.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// The runtime's variant type codes.
using TVarType = std::uint16_t;
inline constexpr TVarType varEmpty = 0;  ///< No value: what a default-constructed Variant holds.
inline constexpr TVarType varNull = 1;  ///< The null value.
inline constexpr TVarType varSmallint = 2;  ///< 16-bit signed
inline constexpr TVarType varInteger = 3;   ///< 32-bit signed
inline constexpr TVarType varSingle = 4;    ///< 32-bit float
inline constexpr TVarType varDouble = 5;    ///< 64-bit float
inline constexpr TVarType varCurrency = 6;  ///< fixed point, four decimals
inline constexpr TVarType varBoolean = 11;  ///< A boolean.
inline constexpr TVarType varShortInt = 16;  ///< 8-bit signed
inline constexpr TVarType varByte = 17;      ///< 8-bit unsigned
inline constexpr TVarType varWord = 18;      ///< 16-bit unsigned
inline constexpr TVarType varLongWord = 19;  ///< 32-bit unsigned
inline constexpr TVarType varInt64 = 20;     ///< 64-bit signed
inline constexpr TVarType varString = 256;   ///< single-byte text (AnsiString)
inline constexpr TVarType varUString = 258;  ///< UTF-16 text (String)

/// Currency
/// A fixed-point amount with four decimals, held as the amount times 10000 (so 1.5 is
/// Scaled 15000). FromDouble rounds to the nearest step of 0.0001 (ties to even) and raises
/// EConvertError for NaN, infinities and amounts outside the 64-bit range.
struct Currency {
  std::int64_t Scaled = 0;  ///< The amount times 10000.

  /// A Currency of Scaled Value (the amount times 10000).
  static Currency FromScaled(std::int64_t Value) { return Currency{Value}; }
  /// Value rounded to the nearest 0.0001 (ties to even); NaN, infinities and amounts outside the
  /// 64-bit range raise EConvertError.
  static Currency FromDouble(double Value);
  /// The amount as a double.
  double ToDouble() const { return static_cast<double>(Scaled) / 10000.0; }
  /// Equal when the amounts are equal.
  friend bool operator==(Currency, Currency) = default;
};

/// Variant
/// A value and its type code. Constructed from a C++ value, the kind follows the C++ type
/// exactly (std::int16_t gives varSmallint, std::uint32_t varLongWord, a char text
/// varString, a char16_t text varUString, and so on); the default is empty.
class Variant {
 public:
  /// Variant(...)
  /// The empty variant, or one that holds Value with the type code of its C++ type: std::int8_t
  /// varShortInt, std::uint8_t varByte, std::int16_t varSmallint, std::uint16_t varWord,
  /// std::int32_t varInteger, std::uint32_t varLongWord, std::int64_t varInt64, float varSingle,
  /// double varDouble, Currency varCurrency, bool varBoolean, a char text varString, a char16_t
  /// text varUString.
  ///@{
  Variant() = default;
  Variant(std::int8_t Value) : FValue(std::in_place_type<std::int8_t>, Value) {}
  Variant(std::uint8_t Value) : FValue(std::in_place_type<std::uint8_t>, Value) {}
  Variant(std::int16_t Value) : FValue(std::in_place_type<std::int16_t>, Value) {}
  Variant(std::uint16_t Value) : FValue(std::in_place_type<std::uint16_t>, Value) {}
  Variant(std::int32_t Value) : FValue(std::in_place_type<std::int32_t>, Value) {}
  Variant(std::uint32_t Value) : FValue(std::in_place_type<std::uint32_t>, Value) {}
  Variant(std::int64_t Value) : FValue(std::in_place_type<std::int64_t>, Value) {}
  Variant(float Value) : FValue(std::in_place_type<float>, Value) {}
  Variant(double Value) : FValue(std::in_place_type<double>, Value) {}
  Variant(Currency Value) : FValue(std::in_place_type<Currency>, Value) {}
  Variant(bool Value) : FValue(std::in_place_type<bool>, Value) {}
  Variant(AnsiString Value) : FValue(std::in_place_type<AnsiString>, std::move(Value)) {}
  Variant(const char* Value) : FValue(std::in_place_type<AnsiString>, Value) {}
  Variant(String Value) : FValue(std::in_place_type<String>, std::move(Value)) {}
  Variant(const char16_t* Value) : FValue(std::in_place_type<String>, Value) {}
  ///@}
  /// Other pointers would silently become booleans.
  Variant(const void*) = delete;

  /// MakeNull
  /// The null value (also reachable as kez::Null()).
  static Variant MakeNull();

  /// VarType
  /// The type code of the value held (one of the var... constants above).
  TVarType VarType() const;
  /// True for the empty variant (varEmpty).
  bool IsEmpty() const { return FValue.index() == 0; }
  /// True for the null variant (varNull).
  bool IsNull() const { return FValue.index() == 1; }

  /// ToString
  /// The standard conversion to text: empty and null give the empty text; integers their
  /// decimal text; doubles FloatToStr (15 significant digits); singles the same with 7
  /// significant digits; currency its amount with at most four decimals and no trailing
  /// zeros ("1.5"); booleans "True" / "False"; single-byte text is widened from
  /// Windows-1252.
  String ToString() const;

  /// ToDouble
  /// The standard conversion to a 64-bit float: empty gives 0, booleans -1 (true) and 0,
  /// numbers their value, texts are read as StrToFloat reads them ("." as separator,
  /// blanks around allowed). Null and a text that is not a number raise EConvertError
  /// "Could not convert variant of type (<kind>) into type (Double)".
  double ToDouble() const;

  /// ToInt32 / ToInt64
  /// The standard conversion to an integer: empty gives 0, booleans -1 and 0. Integer kinds
  /// that do not fit are cut to their low bits (as the runtime's integer conversion does);
  /// floats and currency are rounded to the nearest integer (ties to even). Texts are read
  /// as integers, else as floats and rounded. Null, a text that is not a number, and a
  /// float that is not finite or outside the target range raise EConvertError
  /// "Could not convert variant of type (<kind>) into type (Integer)" (or "(Int64)").
  ///@{
  std::int32_t ToInt32() const;
  std::int64_t ToInt64() const;
  ///@}

  /// ToCurrency
  /// The value as currency: integers and floats converted (see Currency::FromDouble), texts
  /// read as ToDouble reads them. Failures raise EConvertError as ToDouble does.
  Currency ToCurrency() const;

  /// ToBoolean
  /// Numbers give true when not zero; texts "True"/"False" in any letter case or a number;
  /// empty gives false. Null and other texts raise EConvertError.
  bool ToBoolean() const;

  /// ToAnsiString
  /// Single-byte text as held; any other kind as ToString narrowed to Windows-1252.
  AnsiString ToAnsiString() const;

  /// operator==
  /// Equal when both are empty, both null, both texts with the same characters (the two
  /// text kinds compare alike after widening), both booleans of the same value, or both
  /// numbers of the same value (integers compared exactly, floats and currency as 64-bit
  /// floats). Values of different families (a number and a text, a boolean and a number)
  /// are never equal; NaN equals nothing.
  friend bool operator==(const Variant& A, const Variant& B);

 private:
  struct NullTag {
    friend bool operator==(NullTag, NullTag) { return true; }
  };
  /// The alternatives in an order of their own; VarType maps them to the codes.
  using Storage = std::variant<std::monostate, NullTag, std::int8_t, std::uint8_t, std::int16_t,
                               std::uint16_t, std::int32_t, std::uint32_t, std::int64_t, float,
                               double, Currency, bool, AnsiString, String>;
  Storage FValue;

  [[noreturn]] void ConvertError(const char* Target) const;
};

/// Null / Unassigned
/// The null variant and the empty one.
///@{
Variant Null();
inline Variant Unassigned() { return Variant(); }
///@}

/// VarTypeName
/// The runtime's name of a type code ("Smallint", "Double", "String", "UnicodeString", ...),
/// used in conversion messages; unknown codes give "Unknown".
String VarTypeName(TVarType Code);

KEZ_API_END
}  // namespace kez
