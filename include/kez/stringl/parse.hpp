/// @file
/// Parsing and tokenizing. Included through kez/stringl.hpp.
///
/// Cutting texts into tokens, numbered fields, words and lines, and decoding backslash
/// escapes. Positions are 1-based; token lists are indexed from 0.
///
/// @code
///   std::vector<kez::String> parts;
///   kez::Tokenize(u"a,b,,c", u",", parts);               // 4: "a", "b", "", "c"
///   kez::Tokenize(u"a\\,b,c", u",", u'\\', parts);       // 2: "a,b", "c"
///   kez::ExtractSubString(u"a;b;c", 1, u";");             // u"b"
///   kez::ExtractWordFromString(u"x = alpha+beta", 7);     // u"alpha"
///   kez::ProcessHexChars(u"A\\#42C\\\\d");                // u"ABC\\d"
/// @endcode
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <cstdint>
#include <vector>

#include "kez/platform/export.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// Tokenize
/// Cuts Text at every occurrence of Delimiter into Tokens (replaced) and returns their
/// number. At most 1000 tokens are made: the last one holds the unsplit rest of the text.
/// A text without the delimiter, and any text with an empty Delimiter, gives one token;
/// a text ending with the delimiter gives an empty last token.
///
/// The form with Escape does not split at a delimiter preceded by an odd number of Escape
/// characters (within the token); the search then goes on behind that whole delimiter, so
/// `"a\:::b"` with "::" is one token. Each token is then cleaned in two passes over the whole
/// token: every doubled Escape becomes one Escape, then every Escape followed by the
/// delimiter becomes the delimiter; both passes compare ASCII letters ignoring case, so
/// `"a\Xb"` with "x" gives "axb". So `"a\,b,c"` gives "a,b" and "c", and `"a\\,b"` gives `a\`
/// and "b": counting the run of escapes (rather than looking at one character) lets a field
/// end with the escape character. With an empty Delimiter the escapes only undergo the
/// first pass. Work is linear in the text.
///@{
std::int32_t Tokenize(StringView Text, StringView Delimiter, std::vector<String>& Tokens);
std::int32_t Tokenize(StringView Text, StringView Delimiter, char16_t Escape,
                      std::vector<String>& Tokens);
///@}

/// ExtractSubString
/// The field with 0-based index N of Text cut at Delimiter: field 0 is before the first
/// delimiter. Empty when N is negative, the text is empty, there are fewer fields, or the
/// field is empty (it starts with the delimiter; this test ignores letter case, locale
/// casing, while the search for delimiters is exact). An empty Delimiter makes the whole
/// text field 0.
String ExtractSubString(StringView Text, std::int32_t N, StringView Delimiter);

/// ExtractWordFromString
/// The word at Pos: the longest run around Pos of characters outside WordSeps, or the
/// single character at Pos when it is a separator itself. Empty for a Pos outside the
/// text. The second form also gives the first and last position of the result (both Pos
/// for a separator, both 0 for a Pos outside the text).
///@{
String ExtractWordFromString(StringView Text, std::int32_t Pos);
String ExtractWordFromString(StringView Text, std::int32_t Pos, std::int32_t& First,
                             std::int32_t& Last);
///@}

/// ReadLnString
/// The next line of Text from Pos on; Pos moves behind the line end. Characters below code
/// 32 are never part of the line: they end it according to Mode (0 LF; 1 CR; 2 CR or LF;
/// 3 CR directly after LF; 4 LF directly after CR; any other mode never) or are dropped.
/// Eos is set when the text ends before a line end (so a text ending with a line end sets
/// Eos only on the next call, which gives an empty line). A Pos below 1 counts as 1.
String ReadLnString(StringView Text, std::int32_t& Pos, bool& Eos, std::int32_t Mode);

/// ProcessHexChars
/// Decodes the escapes of Text from left to right: `"\#"` and two more characters become the
/// character whose code those two give in hexadecimal (blanks and a "$" in front are
/// skipped, reading stops at the first non-hex character, no digit gives code 0); `\\`
/// becomes `\`. A `"\#"` with fewer than two characters after it, and any other backslash,
/// stay as they are.
String ProcessHexChars(StringView Text);

/// FindFirstNonBlank / FindFirstDigit
/// The position of the first character that is not a blank (code 32), or that is "0".."9";
/// 0 if there is none.
///@{
std::int32_t FindFirstNonBlank(StringView Text);
std::int32_t FindFirstDigit(StringView Text);
///@}

/// TQuotedStrState
/// The states of ParseQuotedName: before the name (vsStart), inside quotes (vs1stQuote),
/// a quote seen inside quotes, which either closes the name or starts a doubled quote
/// (vsQuote), inside an unquoted name (vsNormal), the name is complete (vsEnd).
enum TQuotedStrState : std::uint8_t { vsStart, vs1stQuote, vsQuote, vsNormal, vsEnd };

/// ParseQuotedName
/// Reads a name one character at a time: start with State = vsStart and an empty Name, and
/// feed characters until State is vsEnd. Blanks before the name are skipped. A name that
/// starts with Quote runs to the next single Quote, a doubled Quote inside it standing for
/// one Quote, and ends with the character after the closing quote. Any other name runs to
/// the next blank or control character. When the input ends first, a State of vsQuote or
/// vsNormal means the name was complete, vs1stQuote that its closing quote is missing.
/// Characters fed in state vsEnd are ignored.
/// @code
///   "\"my file\" rest"  gives  my file
/// @endcode
void ParseQuotedName(char16_t Ch, char16_t Quote, String& Name, TQuotedStrState& State);

/// ExtractParam
/// The parameter with 1-based Index of a parameter list such as u"10, 'a, b', x": the
/// parameters are separated by Delimiter, blanks around each are removed, and a parameter
/// may be quoted with Quote (delimiters inside quotes do not split, a doubled Quote stands
/// for one, the quotes are removed). Default when there are fewer parameters or Index is
/// below 1; an empty parameter gives the empty text.
/// @code
///   ExtractParam(u"10, 'a, b', x", 2, u',', u'\'', u"")   // u"a, b"
/// @endcode
String ExtractParam(StringView Text, std::int32_t Index, char16_t Delimiter, char16_t Quote,
                    StringView Default);

/// TextLineCoords
/// The 1-based line and column of the character at Pos in a multi-line text. Lines end with
/// LF, CR or CR LF (one line end); a line-end character belongs to the line it ends. A Pos
/// behind the last character gives the place after it. A Pos below 1 or beyond that gives
/// line and column 0.
void TextLineCoords(StringView Text, std::int32_t Pos, std::int32_t& Line, std::int32_t& Column);

KEZ_API_END
}  // namespace kez
