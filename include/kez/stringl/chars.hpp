/// @file
/// Character classes, whole-text tests, editing, counting and searching. Included through
/// kez/stringl.hpp.
///
/// Small pure functions on UTF-16 text: they take views, return new texts or values and keep
/// no state. Positions are 1-based. A blank is the character with code 32 only (a tab is an
/// ordinary character). Case changes are of two kinds and each function says which: ASCII
/// (only "a"-"z" and "A"-"Z" change) or locale (every letter, see AnsiUpperCase).
///
/// @code
///   kez::StripLTBlanks(u"  ab ")                       // u"ab"
///   kez::CenterString(u"ab", 5)                        // u" ab  "
///   kez::ReplaceStringInString(u"aXbx", u"x", u"yx", true)   // u"ayxbyx"
///   kez::StringContainsOtherThan(u"3.14", u"//dig.")  // false: only digits and points
///   kez::CountWords(u"a bc def")                       // 2
/// @endcode
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <bitset>
#include <cstdint>

#include "kez/platform/export.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

// ---------------------------------------------------------------------------------------
// Character tests
// ---------------------------------------------------------------------------------------

/// IsDigit: "0" to "9".
constexpr bool IsDigit(char16_t Ch) { return Ch >= u'0' && Ch <= u'9'; }

/// IsLetter: the ASCII letters "A" to "Z" and "a" to "z" (no other letter counts).
constexpr bool IsLetter(char16_t Ch) {
  return (Ch >= u'A' && Ch <= u'Z') || (Ch >= u'a' && Ch <= u'z');
}

/// IsDigitLetter: IsDigit or IsLetter.
constexpr bool IsDigitLetter(char16_t Ch) { return IsDigit(Ch) || IsLetter(Ch); }

/// IsHexChar: "0" to "9", "A" to "F", "a" to "f".
constexpr bool IsHexChar(char16_t Ch) {
  return IsDigit(Ch) || (Ch >= u'A' && Ch <= u'F') || (Ch >= u'a' && Ch <= u'f');
}

/// IsUmlaut: one of the German characters ä ö ü Ä Ö Ü ß.
constexpr bool IsUmlaut(char16_t Ch) {
  return Ch == u'\u00E4' || Ch == u'\u00F6' || Ch == u'\u00FC' || Ch == u'\u00C4' ||
         Ch == u'\u00D6' || Ch == u'\u00DC' || Ch == u'\u00DF';
}

// ---------------------------------------------------------------------------------------
// Word separators
// ---------------------------------------------------------------------------------------

/// WordSeps
/// The set of 8-bit characters that end a word, for CountWords and the tokenizers. At load
/// it holds codes 0, 10, 13, the blank, '"', '#', '%', `'\''`, '(' ')' '*' '+' ',' '-' '.' '/',
/// ':' ';' '<' '=' '>', '[' `'\\'` ']', '{' and '}'. Applications may change it at any time;
/// the functions read it on every call. Characters above code 255 are never separators
/// (use IsWordSep to test a UTF-16 character safely). The set is constant-initialized, so it
/// is ready before any code of the library runs, whatever the order of static start-up.
extern std::bitset<256> WordSeps;

/// IsWordSep: true when Ch is in WordSeps; false for every character above code 255.
inline bool IsWordSep(char16_t Ch) { return Ch < 256 && WordSeps[Ch]; }

// ---------------------------------------------------------------------------------------
// Tests on whole texts
// ---------------------------------------------------------------------------------------

/// StringContains
/// True when some character of Text is in the character list CharList. The list may hold
/// the macros "//dig" (digits), "//lc" (a-z), "//uc" (A-Z), "//31dwn" (codes 0-31) and
/// "//128up" (codes 128-255) next to plain characters: StringContains(t, u"//dig//uc") asks
/// for a digit or an upper-case letter. The list names characters of codes 0-255 only:
/// characters above 255 in the list are ignored, and such characters in Text are never in
/// the list. An empty Text gives false.
bool StringContains(StringView Text, StringView CharList);

/// StringContainsOtherThan
/// True when some character of Text is not in the expanded CharList (macros as for
/// StringContains). A character above code 255 in Text is always "other", so it gives true.
/// An empty Text gives false.
bool StringContainsOtherThan(StringView Text, StringView CharList);

/// TestAllChar: true when Text is not empty and every character equals Ch.
bool TestAllChar(StringView Text, char16_t Ch);

/// IsAbbreviation
/// True when the longest run of consecutive upper-case letters "A"-"Z" is at least 2 long
/// and longer than the count of lower-case letters "a"-"z" and digits in the whole text:
/// u"USA" and u"NATO-2" are abbreviations, u"EU-Bank" and u"PhD" are not.
bool IsAbbreviation(StringView Text);

/// EqualAnsiStrings
/// True when A and B are equal ignoring case (locale casing of every letter). Each text is
/// compared only up to its first character of code 0.
bool EqualAnsiStrings(StringView A, StringView B);

// ---------------------------------------------------------------------------------------
// Editing
// ---------------------------------------------------------------------------------------

/// StripLTBlanks: Text without leading and trailing blanks; an all-blank text gives u"".
String StripLTBlanks(StringView Text);

/// StripLeadingBlanks
/// Text without leading blanks, but the last character always stays: an all-blank text
/// gives one blank.
String StripLeadingBlanks(StringView Text);

/// StripTrailingBlanks
/// Text without trailing blanks, but the first character always stays: an all-blank text
/// gives one blank.
String StripTrailingBlanks(StringView Text);

/// StripLeadingChars: Text without leading copies of Ch; a text made only of Ch gives u"".
String StripLeadingChars(char16_t Ch, StringView Text);

/// StripTrailingChars
/// Text without trailing copies of Ch, but the first character always stays: a text made
/// only of Ch gives one Ch.
String StripTrailingChars(char16_t Ch, StringView Text);

/// EnsureTrailingBkSlash: Text with `\` appended unless it is empty or already ends so.
String EnsureTrailingBkSlash(StringView Text);

/// EnsureTrailingChar: Text with Ch appended unless it is empty or already ends with Ch.
String EnsureTrailingChar(char16_t Ch, StringView Text);

/// EnsureLeadingChar: Text with Ch put in front unless it is empty or already starts so.
String EnsureLeadingChar(char16_t Ch, StringView Text);

/// LeftString
/// Text padded with blanks on the right to Width characters, or cut to its first Width
/// characters. Width is taken in 0..255: below 0 counts as 0, above 255 as 255.
String LeftString(StringView Text, int Width);

/// RightString
/// Text padded with blanks on the left to Width characters, or cut to its first Width
/// characters (the cut keeps the start, as LeftString does). Width as for LeftString.
String RightString(StringView Text, int Width);

/// CenterString
/// Text cut to its first Width characters if it is not shorter; otherwise
/// (Width - length) / 2 blanks in front and the remaining blanks behind:
/// CenterString(u"ab", 5) is u" ab  ". Width as for LeftString.
String CenterString(StringView Text, int Width);

/// AbbrevString
/// A text longer than MaxLength becomes its first MaxLength - 2 characters followed by "..";
/// shorter texts are unchanged. The result is never longer than MaxLength: for a maximum
/// below 2 it is the first MaxLength characters of ".." (u"." for 1, u"" for 0 or less).
String AbbrevString(StringView Text, int MaxLength);

/// ReplaceCharInString: every OldChar in Text becomes NewChar.
String ReplaceCharInString(StringView Text, char16_t OldChar, char16_t NewChar);

/// ReplaceStringInString
/// Every occurrence of OldStr in Text becomes NewStr, scanning left to right; the search
/// goes on behind the inserted text, so NewStr may contain OldStr. With IgnoreCase the
/// comparison folds ASCII case only. An empty OldStr changes nothing.
String ReplaceStringInString(StringView Text, StringView OldStr, StringView NewStr,
                             bool IgnoreCase);

/// RemoveCharInString: Text without any copy of Ch.
String RemoveCharInString(StringView Text, char16_t Ch);

/// RemoveMultiChars: every run of Ch collapsed into one copy: (u"a,,,b", ',') gives u"a,b".
String RemoveMultiChars(StringView Text, char16_t Ch);

/// RemoveControlChars: Text without the characters of code below 32.
String RemoveControlChars(StringView Text);

/// ReverseString
/// The characters of Text in reverse order. A surrogate pair (one character outside the
/// Basic Multilingual Plane) is moved as a whole, so the result stays valid UTF-16.
String ReverseString(StringView Text);

/// ChangeCase
/// The case of each letter swapped with locale casing: a character that locale upper
/// casing leaves unchanged is lower-cased, every other character is upper-cased.
String ChangeCase(StringView Text);

/// CapitalizeString
/// The first character of each word ASCII upper-cased. A word starts at the beginning of
/// the text and after every character below code 128 that is not an ASCII letter or digit.
/// A word start is used up by its first character, whatever it is: a character above 127
/// (which counts as a letter) or a digit takes the start without changing, so u"3d model"
/// gives u"3d Model" and u"élan vital" gives u"élan Vital".
String CapitalizeString(StringView Text);

/// ExpandDiphthongs
/// German special characters spelt with plain letters: ä ö ü become ae oe ue, ß becomes ss,
/// µ becomes u; Ä Ö Ü become A O U followed by "e" when the next character is a lower-case
/// "a"-"z", else by "E" (u"Äpfel" gives u"Aepfel", u"ÄRGER" gives u"AERGER").
String ExpandDiphthongs(StringView Text);

/// ReduceStringToAZ09: every character outside "0"-"9", "A"-"Z", "a"-"z" becomes "_".
String ReduceStringToAZ09(StringView Text);

/// ReduceStringToFN83CompliantChars
/// Every character that may not appear in a short (8.3) file name becomes "_". Allowed are
/// exactly ! # $ % & ' ( ) - . 0-9 @ A-Z ^ _ ` a-z { } ~; the blank, the other punctuation,
/// code 127 and every character below 32 or above 127 are replaced.
String ReduceStringToFN83CompliantChars(StringView Text);

// ---------------------------------------------------------------------------------------
// Counting and searching
// ---------------------------------------------------------------------------------------

/// CountCharInString
/// The number of copies of Ch in Text; without CaseSensitive both are compared in ASCII
/// upper case.
std::int32_t CountCharInString(char16_t Ch, StringView Text, bool CaseSensitive);

/// CountStringInString
/// The number of non-overlapping occurrences of SubStr in Text, scanning left to right;
/// without CaseSensitive the comparison folds ASCII case. An empty SubStr gives 0.
std::int32_t CountStringInString(StringView SubStr, StringView Text, bool CaseSensitive);

/// PosLast
/// The 1-based position of the last occurrence of SubStr found by a non-overlapping scan
/// from the left (PosLast(u"aa", u"aaa") is 1), or 0 if there is none. An empty SubStr
/// gives 0.
std::int32_t PosLast(StringView SubStr, StringView Text);

/// CountWords
/// The number of words in Text: runs of at least two characters none of which is a word
/// separator (WordSeps; characters above 255 never separate), each ended by a separator or
/// the end of the text. Runs of one character are not counted.
std::int32_t CountWords(StringView Text);

KEZ_API_END
}  // namespace kez
