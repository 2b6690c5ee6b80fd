// The text parsers: Tokenize with and without an escape character, ProcessHexChars and
// ExtractParam, with delimiter, escape, quote and index from the input. Checks the bounds
// the header gives: at most 1000 tokens, the count returned equals the list's size.
#include <cstdlib>
#include <vector>

#include "fuzz_input.hpp"
#include "kez/stringl.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  kezfuzz::Input in(Data, Size);
  const auto escape = static_cast<char16_t>(in.Byte());
  const auto delimiter = static_cast<char16_t>(in.Byte());
  const auto quote = static_cast<char16_t>(in.Byte());
  const std::int32_t index = in.Position(16);
  const kez::String delimiters = in.Text();
  const kez::String text = in.Text();

  std::vector<kez::String> tokens;
  std::int32_t n = kez::Tokenize(text, delimiters, tokens);
  if (n != static_cast<std::int32_t>(tokens.size()) || n < 1 || n > 1000) std::abort();
  n = kez::Tokenize(text, delimiters, escape, tokens);
  if (n != static_cast<std::int32_t>(tokens.size()) || n < 1 || n > 1000) std::abort();

  if (kez::ProcessHexChars(text).size() > text.size()) std::abort();
  kez::ExtractParam(text, index, delimiter, quote, u"default");
  return 0;
}
