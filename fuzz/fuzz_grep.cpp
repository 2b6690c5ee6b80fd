// TGrep: compiles a pattern and searches a text, with the case flag, the start position and
// both compile paths (CompileRegExp and the raising SetRegExp) taken from the input. Then
// walks every match the way the header describes, which must end within length + 1 rounds.
#include <cstdlib>

#include "fuzz_input.hpp"
#include "kez/stringl.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  kezfuzz::Input in(Data, Size);
  const bool ignoreCase = in.Flag();
  const bool viaSetter = in.Flag();
  const std::int32_t start = in.Position(64);
  const kez::String pattern = in.Text();
  const kez::String text = in.Text();

  kez::TGrep grep(nullptr);
  grep.SetIgnoreCase(ignoreCase);
  grep.SetSearchStartPos(start);
  if (viaSetter) {
    try {
      grep.SetRegExp(pattern);
    } catch (const kez::EKEZStringlError&) {
      return 0;
    }
  } else {
    grep.CompileRegExp(pattern);
  }
  for (std::int32_t i = 0; i <= grep.NrOfRegExpTokens() + 1; ++i) grep.GetRegExpToken(i);

  std::int32_t pos = 0;
  const auto length = static_cast<std::int32_t>(text.size());
  std::int32_t rounds = 0;
  while (grep.MatchString(text, pos)) {
    if (pos != grep.MatchStartPos() || grep.MatchEndPos() < grep.MatchStartPos() - 1) std::abort();
    if (grep.MatchStartPos() > length) break;
    if (++rounds > length + 1) std::abort();  // the walk must move on each round
    const std::int32_t next = grep.MatchEndPos() < grep.MatchStartPos() ? grep.MatchStartPos() + 1
                                                                        : grep.MatchEndPos() + 1;
    grep.SetSearchStartPos(next);
  }
  return 0;
}
