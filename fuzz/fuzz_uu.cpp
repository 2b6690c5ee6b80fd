// UUDecodeStr on arbitrary text (characters above 255 included), and the round trip of a
// byte text through UUEncodeStr and UUDecodeStr, which must give it back exactly.
#include <cstdlib>

#include "fuzz_input.hpp"
#include "kez/stringl.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  kezfuzz::Input in(Data, Size);
  const kez::String text = in.Text();
  kez::UUDecodeStr(text);

  const kez::String bytes = kez::AnsiToString(in.Rest());
  if (kez::UUDecodeStr(kez::UUEncodeStr(bytes)) != bytes) std::abort();
  return 0;
}
