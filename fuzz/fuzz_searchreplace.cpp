// SearchAndReplace on arbitrary bytes with texts, flags, start position, count limit and
// brackets from the input, and a handler for unknown commands (or none) that inserts a text
// of the input. The result is compared with a plain model: occurrences taken left to right
// without overlap from the start position on, at most MaxCount of them, each replaced by the
// replacement text with its bracketed commands expanded.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "fuzz_input.hpp"
#include "kez/streams.hpp"

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

std::string LowBytes(const kez::String& Text) {
  std::string out;
  for (char16_t c : Text) out += static_cast<char>(c & 0xFF);
  return out;
}

bool SameAt(const std::string& Hay, std::size_t At, const std::string& Needle, bool IgnoreCase) {
  for (std::size_t i = 0; i < Needle.size(); ++i) {
    const char a = Hay[At + i], b = Needle[i];
    if (IgnoreCase ? Lower(a) != Lower(b) : a != b) return false;
  }
  return true;
}

struct Replacement {
  kez::String Text;
  kez::String Brackets;
  bool Handler;
  kez::String Insert;  // what the handler gives

  // The text for the Number-th occurrence Found.
  std::string Expand(const std::string& Found, std::int32_t Number) const {
    if (Brackets.size() != 2) return LowBytes(Text);
    std::string out;
    for (std::size_t i = 0; i < Text.size();) {
      const std::size_t open = Text.find(Brackets[0], i);
      const std::size_t close = open == kez::String::npos ? open : Text.find(Brackets[1], open + 1);
      if (close == kez::String::npos) return out + LowBytes(Text.substr(i));
      out += LowBytes(Text.substr(i, open - i));
      const kez::String command = Text.substr(open + 1, close - open - 1);
      std::string word = Found;
      if (command == u"s") {
      } else if (command == u"u") {
        std::transform(word.begin(), word.end(), word.begin(), Upper);
      } else if (command == u"l") {
        std::transform(word.begin(), word.end(), word.begin(), Lower);
      } else if (command == u"n") {
        word = std::to_string(Number);
      } else {
        word = LowBytes(Handler ? Insert : Text.substr(open, close - open + 1));
      }
      out += word;
      i = close + 1;
    }
    return out;
  }
};

// The model; Search holds no character above 255 (such a search matches nothing).
std::string Model(const std::string& In, const std::string& Search, const Replacement& Replace,
                  bool IgnoreCase, std::int32_t StartPos, std::int32_t MaxCount,
                  std::int32_t& Count) {
  Count = 0;
  std::size_t pos = StartPos < 1 ? 0 : std::min<std::size_t>(In.size(), StartPos - 1);
  std::string out = In.substr(0, pos);
  while (!Search.empty() && (MaxCount <= 0 || Count < MaxCount) &&
         pos + Search.size() <= In.size()) {
    if (SameAt(In, pos, Search, IgnoreCase)) {
      out += Replace.Expand(In.substr(pos, Search.size()), ++Count);
      pos += Search.size();
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
  Replacement replace{in.Text(), in.Text(), handler, in.Text()};
  const std::string source(in.Rest());

  kez::TStringStream src{std::string_view(source)};
  src.SetPosition(static_cast<std::int64_t>(source.size() / 2));
  kez::TMemoryStream target;
  const kez::TSRUnknownModifierEvent onUnknown = [&](kez::String, kez::String& Substring) {
    if (!Substring.empty()) std::abort();
    Substring = replace.Insert;
  };
  const std::int32_t n =
      kez::SearchAndReplace(src, target, search, replace.Text, ignoreCase, startPos, maxCount,
                            replace.Brackets, handler ? onUnknown : kez::TSRUnknownModifierEvent());
  // The source is left as it was.
  if (src.Position() != static_cast<std::int64_t>(source.size() / 2)) std::abort();
  if (target.Position() != 0) std::abort();
  const std::string out(reinterpret_cast<const char*>(target.Memory()),
                        static_cast<std::size_t>(target.Size()));

  std::string s;
  for (char16_t c : search) s += static_cast<char>(c);
  std::int32_t count = 0;
  const bool wide = std::any_of(search.begin(), search.end(), [](char16_t c) { return c > 255; });
  const std::string expected =
      wide ? source : Model(source, s, replace, ignoreCase, startPos, maxCount, count);
  if (n != count || out != expected) std::abort();

  // The same stream as source and target gives the same result.
  kez::TStringStream same{std::string_view(source)};
  if (kez::SearchAndReplace(same, same, search, replace.Text, ignoreCase, startPos, maxCount,
                            replace.Brackets,
                            handler ? onUnknown : kez::TSRUnknownModifierEvent()) != n ||
      std::string(reinterpret_cast<const char*>(same.Memory()),
                  static_cast<std::size_t>(same.Size())) != out)
    std::abort();
  return 0;
}
