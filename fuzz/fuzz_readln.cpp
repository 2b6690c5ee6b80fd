// ReadLnStream in every mode (0-4 and one beyond): reads a byte stream line by line to its
// end; the lines read must account for the stream's bytes, so no byte is read twice and the
// loop ends. The same bytes go through the string form ReadLnString.
#include <cstdlib>

#include "fuzz_input.hpp"
#include "kez/streams.hpp"
#include "kez/stringl.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  kezfuzz::Input in(Data, Size);
  const std::uint8_t sel = in.Byte();
  const int mode = sel % 6 == 5 ? static_cast<int>(in.Int32()) : sel % 6;
  const std::string_view body = in.Rest();
  const auto limit = static_cast<std::int64_t>(body.size()) + 1;

  kez::TStringStream s(body);
  bool eos = false;
  std::int64_t rounds = 0;
  std::int64_t lastPos = 0;
  while (!eos) {
    const kez::String line = kez::ReadLnStream(s, eos, mode);
    if (static_cast<std::int64_t>(line.size()) > s.Position() - lastPos)
      std::abort();  // a line longer than the bytes just read
    lastPos = s.Position();
    if (++rounds > limit) std::abort();
  }
  if (s.Position() != s.Size()) std::abort();

  const kez::String text = kez::AnsiToString(body);
  std::int32_t pos = 1;
  eos = false;
  rounds = 0;
  while (!eos) {
    kez::ReadLnString(text, pos, eos, mode);
    if (++rounds > limit + 1) std::abort();
  }
  return 0;
}
