// Number scanners on byte streams.
#include "kez/streams/numbers.hpp"

#include <locale.h>

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

#include "kez/univconst.hpp"
#include "streams/bytereader.hpp"

namespace kez {

namespace {

// The limit of the scanned values, as a double so that results stay double values.
constexpr double kMaxDouble = static_cast<double>(uc_MaxDouble);

// Classes of the bytes the floating-point scanner tells apart.
enum TNumClass : std::uint8_t { ncPoint, ncDigit, ncSign, ncExp, ncBlank, ncOther };

// States 1 to 8 of the scanner; sDone and sFail end it. sExpOrDone is state 6 when
// exponents are allowed, else sDone.
enum TNumState : std::uint8_t {
  sNone,
  sStart,
  sSign,
  sInt,
  sPoint,
  sFrac,
  sExp,
  sExpSign,
  sExpDigits,
  sDone,
  sFail,
  sExpOrDone
};

// kNext[state][class]
constexpr TNumState kNext[9][6] = {
    /* sNone */ {sFail, sFail, sFail, sFail, sFail, sFail},
    /* sStart */ {sPoint, sInt, sSign, sFail, sStart, sFail},
    /* sSign */ {sPoint, sInt, sFail, sFail, sFail, sFail},
    /* sInt */ {sPoint, sInt, sDone, sExpOrDone, sDone, sDone},
    /* sPoint */ {sFail, sFrac, sDone, sExpOrDone, sDone, sDone},
    /* sFrac */ {sFail, sFrac, sDone, sExpOrDone, sDone, sDone},
    /* sExp */ {sFail, sExpDigits, sExpSign, sFail, sFail, sFail},
    /* sExpSign */ {sFail, sExpDigits, sFail, sFail, sFail, sFail},
    /* sExpDigits */ {sDone, sExpDigits, sDone, sDone, sDone, sDone},
};

TNumClass Classify(std::uint8_t Byte, int PointMode) {
  if (Byte >= '0' && Byte <= '9') return ncDigit;
  if (Byte == '+' || Byte == '-') return ncSign;
  if (Byte == 'E' || Byte == 'e') return ncExp;
  if (Byte == ' ' || Byte == '\t' || Byte == '\n' || Byte == '\r') return ncBlank;
  if (Byte == '.' && (PointMode == 1 || PointMode == 3)) return ncPoint;
  if (Byte == ',' && (PointMode == 2 || PointMode == 3)) return ncPoint;
  return ncOther;
}

// Exponent digits beyond this value are not taken into the number text.
constexpr int kMaxExponentDigitsValue = 4200;

// strtod in the "C" locale, so that "." is the decimal point whatever the process locale.
double ToDouble(const std::string& Text) {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return strtod_l(Text.c_str(), nullptr, cLocale);
}

}  // namespace

std::int32_t ScanStreamDecimal(TStream& Stream) {
  return detail::WithByteReader(Stream, [&](auto& reader) -> std::int32_t {
    std::uint8_t byte;
    bool more = reader.NextByte(byte);
    while (more && (byte == ' ' || byte == '\n' || byte == '\r')) more = reader.NextByte(byte);
    bool negative = false;
    if (more && (byte == '-' || byte == '+')) {
      negative = byte == '-';
      more = reader.NextByte(byte);
    }
    // The magnitude saturates just above the 32-bit range instead of wrapping.
    constexpr std::uint64_t kLimit = std::uint64_t{1} << 31;
    std::uint64_t magnitude = 0;
    while (more && byte >= '0' && byte <= '9') {
      magnitude = std::min(kLimit + 1, magnitude * 10 + (byte - '0'));
      more = reader.NextByte(byte);
    }
    if (negative) {
      return magnitude >= kLimit ? std::numeric_limits<std::int32_t>::min()
                                 : -static_cast<std::int32_t>(magnitude);
    }
    return magnitude >= kLimit ? std::numeric_limits<std::int32_t>::max()
                               : static_cast<std::int32_t>(magnitude);
  });
}

Extended ScanStreamFPNum(TStream& Stream, bool AllowExponent, int PointMode) {
  return detail::WithByteReader(Stream, [&](auto& reader) -> Extended {
    std::string number;
    int exponent = 0;  // the value of the exponent digits taken so far
    TNumState state = sStart;
    for (;;) {
      std::uint8_t byte = 0;
      const TNumClass cls = reader.NextByte(byte) ? Classify(byte, PointMode) : ncOther;
      TNumState next = kNext[state][cls];
      if (next == sExpOrDone) next = AllowExponent ? sExp : sDone;
      if (next == sDone || next == sFail) {
        if (next == sFail) return 0;
        break;
      }
      if (next != sStart) {
        if (next != sExpDigits) {
          number.push_back(cls == ncPoint ? '.' : static_cast<char>(byte == 'e' ? 'E' : byte));
        } else if (exponent <= kMaxExponentDigitsValue) {
          number.push_back(static_cast<char>(byte));
          exponent = exponent * 10 + (byte - '0');
        }
      }
      state = next;
    }
    if (number.back() == '.') number.push_back('0');
    const double value = ToDouble(number);
    if (value > kMaxDouble) return kMaxDouble;
    if (value < -kMaxDouble) return -kMaxDouble;
    return value;
  });
}

}  // namespace kez
