// The stream number scanners: reads numbers one after another with ScanStreamFPNum (point
// mode and exponent flag from the input) or ScanStreamDecimal until the stream ends. Each
// call consumes at least one byte, so the rounds are bounded by the stream's size.
#include <cmath>
#include <cstdlib>

#include "fuzz_input.hpp"
#include "kez/streams.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  kezfuzz::Input in(Data, Size);
  const std::uint8_t sel = in.Byte();
  const bool decimal = (sel & 1) != 0;
  const bool allowExponent = (sel & 2) != 0;
  const int pointMode = (sel >> 2) % 5;
  const std::string_view body = in.Rest();

  kez::TStringStream s(body);
  std::int64_t rounds = 0;
  while (s.Position() < s.Size()) {
    const std::int64_t before = s.Position();
    if (decimal) {
      kez::ScanStreamDecimal(s);
    } else {
      const kez::Extended v = kez::ScanStreamFPNum(s, allowExponent, pointMode);
      if (std::isnan(v) || std::fabs(v) > 1.8e308L) std::abort();
    }
    if (s.Position() <= before) std::abort();
    if (++rounds > s.Size()) std::abort();
  }
  return 0;
}
