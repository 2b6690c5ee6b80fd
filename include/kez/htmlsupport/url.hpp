/// @file
/// URL percent-coding, the path part of an HTTP address, and counting words outside tags.
///
/// @code
///   kez::URLEncode(u"a b/c");                      // u"a%20b%2Fc"
///   kez::URLDecode(u"%2541");                      // u"A" (two decoding passes)
///   kez::ExtractHTTPPath(u"HTTP://srv/dir/x.html"); // u"srv/dir/"
///   bool inTag = false;
///   kez::CountWordsHTML(u"<p>Hello world</p>", false, inTag);   // 2
/// @endcode
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <cstdint>

#include "kez/platform/export.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// URLEncode
/// Replaces each of ! * ' ( ) ; : @ & = + $ , / ? % # [ ] and the blank by "%" and two
/// upper-case hexadecimal digits of its code. Every other character, control and non-ASCII
/// characters included, is copied unchanged (u"ä" stays u"ä").
String URLEncode(StringView S);

/// URLDecode
/// Decodes percent escapes twice, so u"%2541" gives u"A". In each pass a "%" followed by two
/// hexadecimal digits (either case) becomes the character of that code (0-255); any other
/// "%" is copied as it stands (u"%41%2" gives u"A%2", u"%zz" stays). "+" stays "+".
String URLDecode(StringView S);

/// ExtractHTTPPath
/// The directory part of an address: everything up to and including the first "http://" or
/// "https://" (either case) is dropped, then the rest is cut after its last "/"; a rest
/// without "/" is returned whole. u"https://srv/a/b" gives u"srv/a/", u"srv" gives u"srv".
String ExtractHTTPPath(StringView URL);

/// CountWordsHTML
/// Counts the words of S outside tags. "<" sets InTag and ">" clears it; characters inside a
/// tag, the "<" included, are skipped, and the ">" then counts as an ordinary character. A
/// word is a run of at least two characters outside WordSeps (characters above 255 never
/// separate); with IgnoreNumbers a run starting with a digit does not count. InTag keeps its
/// final value, so a long text can be counted piece by piece; a word split across two pieces
/// counts as two runs.
std::int32_t CountWordsHTML(StringView S, bool IgnoreNumbers, bool& InTag);

KEZ_API_END
}  // namespace kez
