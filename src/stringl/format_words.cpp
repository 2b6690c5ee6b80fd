// Boolean and tri-state words, keyword lookup and repeated characters.
#include <algorithm>
#include <array>
#include <cstdint>

#include "kez/platform/sysutils.hpp"
#include "kez/stringl.hpp"

namespace kez {
namespace {

struct WordPair {
  const char16_t* True;
  const char16_t* False;
};

constexpr std::array<WordPair, 8> kBoolWords = {{{u"TRUE", u"FALSE"},
                                                 {u"T", u"F"},
                                                 {u".T.", u".F."},
                                                 {u"1", u"0"},
                                                 {u"-1", u"0"},
                                                 {u"FF", u"00"},
                                                 {u"YES", u"NO"},
                                                 {u"GOOD", u"BAD"}}};

// Tri-state words by mode, in the enumeration's order (tsFalse, tsTrue, tsUndefined).
constexpr std::array<std::array<const char16_t*, 3>, 3> kTriStateWords = {{
    {u"false", u"true", u""},
    {u"-1", u"1", u"0"},
    {u"no", u"yes", u"unknown"},
}};

bool EqualIgnoringASCIICase(StringView A, StringView B) {
  return A.size() == B.size() &&
         std::equal(A.begin(), A.end(), B.begin(),
                    [](char16_t x, char16_t y) { return LoCaseASCII(x) == LoCaseASCII(y); });
}

// An entry beyond the 32-bit index range (a list of more than 2^31 texts) is not found.
template <class Range>
std::int32_t FindIndex(StringView Text, bool CaseSensitive, const Range& List) {
  std::int32_t ix = 0;
  for (const auto& entry : List) {
    if (ix == INT32_MAX) break;
    ++ix;
    const StringView candidate(entry);
    if (CaseSensitive ? candidate == Text : EqualIgnoringASCIICase(candidate, Text)) return ix;
  }
  return 0;
}

}  // namespace

String BoolToStr(bool Flag, std::int32_t Mode) {
  const WordPair& pair = kBoolWords[Mode >= 0 && Mode < 8 ? static_cast<std::size_t>(Mode) : 0];
  return Flag ? pair.True : pair.False;
}

TTriState StrToTriState(StringView Text) {
  const String word = LowerCase(StripLTBlanks(Text));
  if (word == u"true" || word == u"1" || word == u"+1" || word == u"yes") return tsTrue;
  if (word == u"false" || word == u"-1" || word == u"no") return tsFalse;
  return tsUndefined;
}

String TriStateToStr(TTriState Value, std::int32_t Mode) {
  const auto& words = kTriStateWords[Mode == 1 || Mode == 2 ? static_cast<std::size_t>(Mode) : 0];
  return words[Value <= tsUndefined ? Value : tsUndefined];
}

String BinString(bool Flag, StringView Text1, StringView Text2) {
  return String(Flag ? Text1 : Text2);
}

std::int32_t StringIx(StringView Text, std::span<const String> List) {
  return FindIndex(Text, true, List);
}
std::int32_t StringIx(StringView Text, std::span<const StringView> List) {
  return FindIndex(Text, true, List);
}
std::int32_t StringIx(StringView Text, std::initializer_list<StringView> List) {
  return FindIndex(Text, true, List);
}
std::int32_t StringIx(StringView Text, bool CaseSensitive, std::span<const String> List) {
  return FindIndex(Text, CaseSensitive, List);
}
std::int32_t StringIx(StringView Text, bool CaseSensitive, std::span<const StringView> List) {
  return FindIndex(Text, CaseSensitive, List);
}
std::int32_t StringIx(StringView Text, bool CaseSensitive, std::initializer_list<StringView> List) {
  return FindIndex(Text, CaseSensitive, List);
}

String MultiChar(char16_t Ch, std::int32_t Count) {
  return String(static_cast<std::size_t>(std::clamp(Count, 1, 255)), Ch);
}

}  // namespace kez
