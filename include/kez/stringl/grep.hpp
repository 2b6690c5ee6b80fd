/// @file
/// TGrep: a compact regular-expression component. Included through kez/stringl.hpp.
///
/// A pattern is compiled into at most 64 tokens and searched for its first match in a text.
/// The language: literal characters; "." any character; "[...]" a set with ranges "a-z" and
/// negation "[^...]"; "(...)" a group, a literal string that a quantifier repeats as a
/// whole (groups do not nest and there is no alternation); the quantifiers "*", "+", "?",
/// applied to one character, ".", a set or a group; the anchors "^" (first pattern
/// character only) and "$" (last only); `\` takes the next character literally; `"\#hh"`
/// is the character with the hexadecimal code hh.
///
/// Quantified items inside the pattern take as few repetitions as possible, a quantified
/// item at the end of the pattern takes as many as possible:
///
/// @code
///   kez::TGrep grep(nullptr);
///   grep.SetRegExp(u"b.*d");
///   std::int32_t pos = 0;
///   grep.MatchString(u"abcdd", pos);   // true; pos == 2, MatchEndPos() == 4
///   grep.SetRegExp(u"b.*");
///   grep.MatchString(u"abcdd", pos);   // true; pos == 2, MatchEndPos() == 5
/// @endcode
///
/// Matching takes time linear in the text for every pattern: failed attempts are remembered
/// during one search, so "a*a*a*a*b" on a long run of "a" does not backtrack exponentially.
///
/// Threads: separate objects may be used from separate threads at once; one object belongs to
/// one thread at a time.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "kez/platform/classes.hpp"
#include "kez/platform/export.hpp"
#include "kez/platform/rangearray.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// TGrepTokenAct
/// What a compiled token does: a literal string, any character, end of line, beginning of
/// line, a character set, and the three quantifiers (zero or more, one or more, zero or one).
enum TGrepTokenAct : std::uint8_t {
  taNormal,
  taAnyByte,
  taEol,
  taBol,
  taSet,
  taMult0,
  taMult1,
  taOpti
};

/// TCharArr256
/// The parameter area of a token, indexed 0 to 255.
using TCharArr256 = std::array<char16_t, 256>;

/// TGrepToken
/// One compiled token.
/// @code
///   NumChars: for taNormal the length of the literal; for the quantifiers what is repeated:
///     -1 a set, 0 any character, 1 or more a literal string of that length.
///   Params: a literal in Params[1..NumChars]; a set as a membership table, Params[c] being
///     '*' when the character of code c belongs to it and a blank otherwise.
///   ValidFrom: the input position at which the token last matched (set by the matcher).
/// @endcode
struct TGrepToken {
  TGrepTokenAct Action = taNormal;  ///< What the token does.
  std::int32_t NumChars = 0;  ///< The literal's length, or what a quantifier repeats.
  TCharArr256 Params{};  ///< The literal, or the set's membership table.
  std::int32_t ValidFrom = 0;  ///< Where the token last matched.
};

/// TRegExp
/// The token array of a compiled pattern, tokens 1 to 64.
using TRegExp = RangeArray<TGrepToken, 1, 64>;

/// Error codes of a compilation (TGrep::LastError, CompileRegExp) and their texts:
/// @code
///    0 "no errors"
///    1 "reg.exp. must not start with $, *, ?, or +"
///    2 "circumflex not allowed here"
///    3 "no character allowed after end of line"
///    4 "empty set"
///    5 "circumflex has to be quoted in set"
///    6 "mismatch of set brackets"
///    7 "minus not allowed here"
///    8 "mismatch of group brackets"
///    9 "*, ?, + have to be applied to groups or sets only"
///   10 "reg.exp. too long (more than 64 tokens or more than 255 characters in a string)"
///   11 "set members must have codes 0 to 255"
/// @endcode
/// Codes 10 and 11 report patterns beyond the engine's limits; they are raised through
/// RegExp like the others.
inline constexpr int grepNoError = 0;  ///< "no errors"
inline constexpr int grepBadStart = 1;  ///< "reg.exp. must not start with $, *, ?, or +"
inline constexpr int grepMisplacedBol = 2;  ///< "circumflex not allowed here"
inline constexpr int grepCharAfterEol = 3;  ///< "no character allowed after end of line"
inline constexpr int grepEmptySet = 4;  ///< "empty set"
inline constexpr int grepCircumflexInSet = 5;  ///< "circumflex has to be quoted in set"
inline constexpr int grepSetBrackets = 6;  ///< "mismatch of set brackets"
inline constexpr int grepMisplacedMinus = 7;  ///< "minus not allowed here"
inline constexpr int grepGroupBrackets = 8;  ///< "mismatch of group brackets"
inline constexpr int grepBadQuantifier = 9;  ///< "*, ?, + have to be applied to ..."
inline constexpr int grepTooLong = 10;  ///< "reg.exp. too long ..."
inline constexpr int grepSetCharAbove255 = 11;  ///< "set members must have codes 0 to 255"

/// TGrepErrorText
/// The text of a compilation error code ("no errors" for 0); an unknown code gives the
/// empty text.
String TGrepErrorText(int Code);

/// TGrep
/// The regular-expression component. Defaults: IgnoreCase false, StopOnError true,
/// SearchStartPos 1, no tokens, empty pattern, MatchStartPos and MatchEndPos 0.
class TGrep : public TComponent {
 public:
  /// A component owned by AOwner (see TComponent), with the defaults above.
  explicit TGrep(TComponent* AOwner);
  ~TGrep() override;

  /// RegExp / SetRegExp
  /// The pattern as last assigned. Writing it compiles it (CompileRegExp); when StopOnError
  /// is set and the compilation fails, raises EKEZStringlError with the component message
  /// "error in regular expression - " followed by the error's text. The tokens and LastError
  /// then keep the state of the failed compilation (the tokens read before the error).
  ///@{
  const String& RegExp() const { return FRegExpStr; }
  void SetRegExp(StringView Value);
  ///@}

  /// IgnoreCase / SetIgnoreCase
  /// Case-insensitive matching of the letters A-Z: pattern and input are lower-cased (ASCII
  /// letters) before use. Writing it recompiles the pattern; an error is only recorded in
  /// LastError, never raised here. Character codes (`"\#41"`) are decoded after the
  /// lower-casing, so `"\#41"` stays an upper-case "A" and never matches with IgnoreCase.
  ///@{
  bool IgnoreCase() const { return FIgnoreCase; }
  void SetIgnoreCase(bool Value);
  ///@}

  /// SearchStartPos / SetSearchStartPos
  /// The 1-based input position where MatchString starts looking. Values below 1 search
  /// from position 1.
  ///@{
  std::int32_t SearchStartPos() const { return FSrcStartPos; }
  void SetSearchStartPos(std::int32_t Value) { FSrcStartPos = Value; }
  ///@}

  /// StopOnError / SetStopOnError
  /// Whether writing RegExp raises on a compilation error.
  ///@{
  bool StopOnError() const { return FStopOnError; }
  void SetStopOnError(bool Value) { FStopOnError = Value; }
  ///@}

  /// RegExpToken / GetRegExpToken
  /// A copy of token regix, regix limited to NrOfRegExpTokens at the top and to 1 at the
  /// bottom (so with no tokens it is the cleared token 1).
  ///@{
  TGrepToken GetRegExpToken(std::int32_t regix) const;
  TGrepToken RegExpToken(std::int32_t regix) const { return GetRegExpToken(regix); }
  ///@}

  /// MatchStartPos / MatchEndPos / NrOfRegExpTokens / LastError
  /// Position of the first and of the last character of the last match (an empty match
  /// ends one before it starts); the number of tokens in use (0 to 64); the error code of
  /// the last compilation.
  ///@{
  std::int32_t MatchStartPos() const { return FMatchStartPos; }
  std::int32_t MatchEndPos() const { return FMatchEndPos; }
  std::int32_t NrOfRegExpTokens() const { return FLengRegExp; }
  int LastError() const { return FError; }
  ///@}

  /// CompileRegExp
  /// Compiles Text into the tokens and returns the error code (0 when it compiled), also
  /// kept in LastError. The first error ends the compilation. A pattern ending inside a set
  /// or group is accepted (the open set keeps its members without negation, the open group
  /// its characters); an empty pattern gives no tokens. Choices of this engine:
  ///   - a backslash as the last pattern character is a literal backslash;
  ///   - a character code always stands for the character itself: `"\#2a"` is a literal "*",
  ///     never the quantifier;
  ///   - a `"\#"` right behind another backslash is not a code and stays as it stands:
  ///     `"\\#41"` is a backslash followed by "#41", and `"\\\#41"` is the literal `"\#41"`;
  ///   - after a quantified set or group the parser is where it is after any quantified
  ///     item: "[a]*-" and "(ab)+-" end with a literal "-", and a second quantifier is
  ///     error 9;
  ///   - a quantified empty group ("a()*b") matches the empty text, so it matches "ab" only;
  ///   - in a set, "-" directly before the closing "]" (or at the pattern's end) is a member,
  ///     so "[+-]" is the set of "+" and "-"; a range end may be escaped (`"[!-\]]"`);
  ///   - a second "^" right after "[^" is error 5 (it has to be quoted);
  ///   - more than 64 tokens or more than 255 characters in one literal or group is error
  ///     10, and a set member above code 255 is error 11; the tokens are never overrun.
  int CompileRegExp(StringView Text);

  /// MatchString
  /// Searches Instring for the first match, trying the start positions SearchStartPos,
  /// SearchStartPos + 1, ... (only the first one when the pattern starts with "^"). On
  /// success MatchPos and MatchStartPos are the position of the match's first character,
  /// MatchEndPos that of its last. A pattern that is only "x*" matches every text with start
  /// 1 and end = the text's length, unless the text is not empty and shorter than
  /// SearchStartPos. An empty pattern matches the empty text at SearchStartPos, and an
  /// empty group "()" is present at every position, behind the text too ("()" on u"" from
  /// SearchStartPos 2 matches at 2 and ends at 1). Input characters above code 255 never
  /// belong to a set (negated or not). After a failed search MatchPos, MatchStartPos and
  /// MatchEndPos are 0. Any SearchStartPos, INT32_MAX included, is safe. A text longer
  /// than kMaxSearchLength, whose positions would not fit 32 bits, is refused with
  /// EKEZStringlError "text too long to search" (nothing is searched, the positions stay);
  /// otherwise it never raises. The search skips start positions that cannot match, so
  /// after a failed search the tokens' ValidFrom hold what the attempts made left there
  /// (0 for a token never reached), not what trying every start position would leave ("a.$"
  /// on "axxxx" leaves 0, 0 where a plain trial of each start would leave 1, 2).
  /// Memory: the failed-attempt table grows with the part of the text a search reaches
  /// times the pattern (about one bit per character and token); a large table (beyond some
  /// hundred kilobytes) is freed when the search ends, a small one is kept for the next
  /// search. A search costs what it explores, not the whole text, so finding every match of
  /// a long text takes time linear in the text.
  ///
  /// To find every match, search, then set SearchStartPos to MatchEndPos + 1 (to
  /// MatchStartPos + 1 after an empty match, where MatchEndPos < MatchStartPos) and search
  /// again; stop when MatchString returns false or the match started behind the text
  /// (MatchStartPos > length). Each round moves on by at least one position, so the loop
  /// ends after at most length + 1 matches, whatever SearchStartPos it starts from.
  bool MatchString(StringView Instring, std::int32_t& MatchPos);

  /// kMaxSearchLength: the longest text MatchString searches, 2^31 - 1025 characters.
  static constexpr std::size_t kMaxSearchLength = 2147483647 - 1024;

  /// PrintRegExp
  /// Writes the token list to the text file FName (created or overwritten): one line per
  /// token, a label right-aligned to eleven characters followed by the token's characters
  /// (" taNormal: abc", "    taSet: 0123", "  taMult0: (set) ab", "(string) ", "(anychar) "),
  /// then a line with the text of LastError. The file is Windows-1252, or UTF-8 with its
  /// byte-order mark when the expression holds a character Windows-1252 lacks. Errors of
  /// the text-file layer pass to the caller as EInOutError.
  void PrintRegExp(StringView FName) const;

 protected:
  /// AssignTo
  /// Copies the pattern, the flags, the tokens, the error code and the positions into
  /// another TGrep.
  void AssignTo(TPersistent* Dest) override;

 private:
  std::int32_t FLengRegExp = 0;
  bool FStopOnError = true;
  TRegExp FregExp{};
  String FRegExpStr;
  bool FIgnoreCase = false;
  int FError = 0;
  std::int32_t FMatchEndPos = 0;
  std::int32_t FMatchStartPos = 0;
  std::int32_t FSrcStartPos = 1;
  /// Scratch memory of the matcher (the failed-attempt table), kept between searches of
  /// ordinary texts so that repeated searches do not allocate; all zero between searches.
  std::vector<std::uint64_t> FFailedScratch;
};

KEZ_API_END
}  // namespace kez
