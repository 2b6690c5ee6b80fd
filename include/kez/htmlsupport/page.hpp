/// @file
/// Whole pages: a default head and foot around generated text, the body of a page, and the
/// body as plain text.
///
/// @code
///   kez::String page = kez::DefaultHTMLHead(u"Report", u"", u"Daily figures", u"site.css", true)
///                    + producer.Convert() + kez::DefaultHTMLFoot(true);
///   kez::ConvertHTMLBodyToText(kez::ExtractHTMLBody(page), u'\n');
/// @endcode
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include "kez/platform/export.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// DefaultHTMLHead
/// The start of an HTML5 page, lines ended by CR LF:
/// @code
///   <!DOCTYPE html>
///   <html>
///   <head>
///   <meta charset="CharSet">
///   <title>Title</title>
///   <meta name="description" content="Description">
///   <link rel="stylesheet" href="StyleSheet">
///   </head>
///   <body>                       (only with OpenBody)
/// @endcode
/// The texts are escaped with MakeStringHTMLCompatible. An empty CharSet gives
/// "windows-1252", the code page THtmlProducer writes its files in; an empty Description or
/// StyleSheet leaves its line out. HTML5 wants a title that is not empty; the caller's text is
/// used as given.
String DefaultHTMLHead(StringView Title, StringView CharSet, StringView Description,
                       StringView StyleSheet, bool OpenBody);

/// DefaultHTMLFoot
/// The end of the page: "</body>" (only with CloseBody) and "</html>", lines ended by CR LF.
String DefaultHTMLFoot(bool CloseBody);

/// ExtractHTMLBody
/// The text between the first "<body ...>" tag and the next "</body>" (tag names in any
/// case). Without a closing tag the body runs to the end; without an opening tag it starts at
/// the beginning, so a text with neither comes back whole. An opening tag without its ">"
/// gives the empty text.
String ExtractHTMLBody(StringView S);

/// ConvertHTMLBodyToText
/// The text a reader sees: tags, comments and the content of script and style elements are
/// dropped, references resolved (ResolveHTMLEntities), and runs of blanks, tabs and line
/// ends collapse to one blank, as a browser shows them. Block elements (p, div, h1-h6, li,
/// tr, table, ul, ol, dl, dt, dd, pre, blockquote, hr, section, article, header, footer,
/// nav, form, address, figure, title) end the current line with LineEnd, and "<br>" always
/// ends one; no line starts or ends with a blank, and no empty lines arise from nested
/// blocks. A "<" that does not start a tag (not followed by a letter, "/", "!" or "?") is
/// text. The text is expected to be a body; pass a whole page through ExtractHTMLBody first.
String ConvertHTMLBodyToText(StringView S, char16_t LineEnd);

KEZ_API_END
}  // namespace kez
