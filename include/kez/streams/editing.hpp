/// @file
/// Line extraction and search-and-replace on byte streams. Included through kez/streams.hpp.
///
/// @code
///   kez::TMemoryStream out;
///   kez::SearchAndReplace(in, out, u"colour", u"[u]", true, 1, 0, u"[]", nullptr);
///   // every "colour" (any case) becomes "COLOUR"
/// @endcode
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <cstdint>
#include <functional>

#include "kez/platform/export.hpp"
#include "kez/platform/stream.hpp"
#include "kez/platform/stringlist.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// ExtractFromStream
/// Appends to Dest, at its position, every line of Stream (from its position to its end)
/// that contains at least one of the texts of Keys, compared ignoring the case of ASCII
/// letters; empty entries match nothing, so an empty list extracts nothing. A line ends
/// behind its LF and is copied with its own line-end bytes (CR LF or LF); a last line
/// without LF is copied as it stands. Returns the number of lines copied (counting stops at
/// 2147483647); Stream is left at its end. The work is linear in the stream for each key.
std::int32_t ExtractFromStream(TStream& Stream, TMemoryStream& Dest, const TStrings& Keys);

/// TSRUnknownModifierEvent
/// Asked by SearchAndReplace for a command it does not know: Command is the text between
/// the brackets, Substring (empty on entry) receives the text to insert.
using TSRUnknownModifierEvent = std::function<void(String Command, String& Substring)>;

/// SearchAndReplace
/// Replaces SearchText by ReplaceText in the bytes of Source and puts the result into
/// Target (replacing Target's contents; its position is set to 0). Source is read whole
/// and keeps its position; Source and Target may be the same stream.
///  - IgnoreCase: compare ignoring the case of ASCII letters.
///  - StartPos: the 1-based byte position where replacing begins (bytes before it are
///    copied unchanged; values below 1 count as 1). MaxCount: the most replacements made
///    (0 or less: no limit but the 32-bit one, 2147483647). Occurrences are taken left to
///    right without overlap; the search is linear in the source whatever the texts hold.
///  - Brackets: two characters (such as "[]") that enclose commands in ReplaceText, expanded
///    anew for each replacement: "s" the found text as it stands, "u" and "l" the found
///    text in ASCII upper or lower case, "n" the running number of the replacement (1, 2,
///    ...). Other commands are handed to OnUnknownModifier; without a handler they stay in
///    the text as written, brackets included. A command without its closing bracket is
///    plain text. Brackets of any other length than 2 turn commands off.
/// An empty SearchText replaces nothing. Texts are 8-bit: a search character above 255
/// never matches, replacement characters keep their low byte. Returns the number of
/// replacements made.
std::int32_t SearchAndReplace(TMemoryStream& Source, TMemoryStream& Target, StringView SearchText,
                              StringView ReplaceText, bool IgnoreCase, std::int32_t StartPos,
                              std::int32_t MaxCount, StringView Brackets,
                              const TSRUnknownModifierEvent& OnUnknownModifier);

KEZ_API_END
}  // namespace kez
