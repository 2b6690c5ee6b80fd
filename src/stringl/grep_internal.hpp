// Internals of TGrep shared by its compiler, matcher and component sources.
#pragma once

#include <cstdint>
#include <vector>

#include "kez/stringl/grep.hpp"

namespace kez::grep_detail {

inline constexpr std::int32_t kMaxTokens = 64;
inline constexpr std::int32_t kMaxChars = 255;
inline constexpr char16_t kMember = u'*';
inline constexpr char16_t kNonMember = u' ';

// DecodeCharCodes
// Replaces each "\#" followed by two characters by the character of that hexadecimal
// code, escaped with a backslash so that the parser takes it literally. An escaped
// backslash ("\\") is copied as it stands and the scan goes on behind it.
String DecodeCharCodes(StringView Pattern);

// Compile
// Compiles a pattern (already lower-cased and decoded) into Tokens[1..Count]; returns the
// error code.
int Compile(StringView Pattern, TRegExp& Tokens, std::int32_t& Count);

// Search
// Finds the first match of Tokens[1..Count] (Count >= 1) in Input from StartPos on; with
// IgnoreCase Input is read as if lower-cased (ASCII letters), without a copy, so that each
// search of a long text costs only what it explores. Sets ValidFrom of the tokens along
// the match, MatchStart and MatchEnd on success. Scratch is the failed-attempt table: all
// zero on entry and on return.
bool Search(TRegExp& Tokens, std::int32_t Count, StringView Input, bool IgnoreCase,
            std::int32_t StartPos, std::int32_t& MatchStart, std::int32_t& MatchEnd,
            std::vector<std::uint64_t>& Scratch);

}  // namespace kez::grep_detail
