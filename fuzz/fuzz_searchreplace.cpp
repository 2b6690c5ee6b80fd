// SearchAndReplace on arbitrary bytes with texts, flags, start position, count limit and
// brackets from the input, and a handler for unknown commands that inserts a text of the
// input. Without commands in play the result is compared with a plain model: occurrences
// taken left to right without overlap from the start position on, at most MaxCount of them.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "fuzz_input.hpp"
#include "kez/streams.hpp"

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool SameAt(const std::string& Hay, std::size_t At, const std::string& Needle, bool IgnoreCase) {
  for (std::size_t i = 0; i < Needle.size(); ++i) {
    const char a = Hay[At + i], b = Needle[i];
    if (IgnoreCase ? Lower(a) != Lower(b) : a != b) return false;
  }
  return true;
}

// The model; Search holds no character above 255 (such a search matches nothing).
std::string Model(const std::string& In, const std::string& Search, const std::string& Replace,
                  bool IgnoreCase, std::int32_t StartPos, std::int32_t MaxCount,
                  std::int32_t& Count) {
  Count = 0;
  std::size_t pos = StartPos < 1 ? 0 : std::min<std::size_t>(In.size(), StartPos - 1);
  std::string out = In.substr(0, pos);
  while (!Search.empty() && (MaxCount <= 0 || Count < MaxCount) &&
         pos + Search.size() <= In.size()) {
    if (SameAt(In, pos, Search, IgnoreCase)) {
      out += Replace;
      pos += Search.size();
      ++Count;
    } else {
      out += In[pos++];
    }
  }
  return out + In.substr(pos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  kezfuzz::Input in(Data, Size);
  const bool ignoreCase = in.Flag();
  const bool handler = in.Flag();
  const std::int32_t startPos = in.Position(64);
  const std::int32_t maxCount = in.Position(8);
  const kez::String search = in.Text();
  const kez::String replace = in.Text();
  const kez::String brackets = in.Text();
  const kez::String insert = in.Text();
  const std::string_view source = in.Rest();

  kez::TStringStream src(source);
  src.SetPosition(static_cast<std::int64_t>(source.size() / 2));
  kez::TMemoryStream target;
  int calls = 0;
  const kez::TSRUnknownModifierEvent onUnknown = [&](kez::String, kez::String& Substring) {
    if (!Substring.empty()) std::abort();
    ++calls;
    Substring = insert;
  };
  const std::int32_t n =
      kez::SearchAndReplace(src, target, search, replace, ignoreCase, startPos, maxCount, brackets,
                            handler ? onUnknown : kez::TSRUnknownModifierEvent());
  // The source is left as it was.
  if (src.Position() != static_cast<std::int64_t>(source.size() / 2)) std::abort();
  if (target.Position() != 0 || n < 0 || (maxCount > 0 && n > maxCount)) std::abort();
  const std::string out(reinterpret_cast<const char*>(target.Memory()),
                        static_cast<std::size_t>(target.Size()));

  // The model covers replacements without commands (compared by low byte, to be safe).
  if (brackets.size() == 2)
    for (char16_t c : replace)
      if ((c & 0xFF) == (brackets[0] & 0xFF) || (c & 0xFF) == (brackets[1] & 0xFF)) return 0;
  if (calls != 0) std::abort();
  std::string s, r;
  for (char16_t c : search) {
    if (c > 255) return 0;  // never matches: checked by the count alone
    s += static_cast<char>(c);
  }
  for (char16_t c : replace) r += static_cast<char>(c & 0xFF);
  std::int32_t count = 0;
  const std::string expected =
      Model(std::string(source), s, r, ignoreCase, startPos, maxCount, count);
  if (n != count || out != expected) std::abort();

  // The same stream as source and target gives the same result.
  kez::TStringStream same(source);
  if (kez::SearchAndReplace(same, same, search, replace, ignoreCase, startPos, maxCount, brackets,
                            nullptr) != n ||
      std::string(reinterpret_cast<const char*>(same.Memory()),
                  static_cast<std::size_t>(same.Size())) != out)
    std::abort();
  return 0;
}
