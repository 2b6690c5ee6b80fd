// Page helpers: default head and foot, the body of a page, and the body as plain text.
#include <array>
#include <string_view>

#include "kez/htmlsupport.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/stringl/chars.hpp"

namespace kez {
namespace {

constexpr StringView kCRLF = u"\r\n";

bool IsHTMLSpace(char16_t Ch) {
  return Ch == u' ' || Ch == u'\t' || Ch == u'\r' || Ch == u'\n' || Ch == u'\f';
}

// Position of the first tag Name ("<body", "</body") at or after From in Lowered whose name
// ends there (followed by ">", "/", a space or the end), or npos.
std::size_t FindTag(StringView Lowered, StringView Name, std::size_t From) {
  for (std::size_t at = Lowered.find(Name, From); at != StringView::npos;
       at = Lowered.find(Name, at + 1)) {
    const std::size_t after = at + Name.size();
    if (after == Lowered.size() || Lowered[after] == u'>' || Lowered[after] == u'/' ||
        IsHTMLSpace(Lowered[after]))
      return at;
  }
  return StringView::npos;
}

// Elements whose start and end break the line in ConvertHTMLBodyToText.
constexpr std::array<std::u16string_view, 30> kBlockElements = {
    u"p",    u"div",     u"h1",      u"h2",      u"h3",         u"h4",     u"h5",     u"h6",
    u"li",   u"tr",      u"table",   u"ul",      u"ol",         u"dl",     u"dt",     u"dd",
    u"pre",  u"hr",      u"section", u"article", u"blockquote", u"header", u"footer", u"nav",
    u"form", u"address", u"figure",  u"title",   u"main",       u"aside"};

bool IsBlockElement(StringView Name) {
  for (const StringView block : kBlockElements)
    if (block == Name) return true;
  return false;
}

// Collapses white space, places line ends between lines and never after the last text.
class TextSink {
 public:
  explicit TextSink(char16_t LineEnd) : FLineEnd(LineEnd) {}

  void Text(StringView Resolved) {
    for (const char16_t ch : Resolved) {
      if (IsHTMLSpace(ch)) {
        FBlank = FLineHasText;
        continue;
      }
      if (FBreaks > 0) {
        FOut.append(FBreaks, FLineEnd);
        FBreaks = 0;
      } else if (FBlank) {
        FOut += u' ';
      }
      FBlank = false;
      FOut += ch;
      FLineHasText = true;
    }
  }
  // A block boundary ends a line that holds text; a forced break (<br>) always ends one.
  void Break(bool Forced) {
    if (Forced || FLineHasText) ++FBreaks;
    FLineHasText = false;
    FBlank = false;
  }
  String Take() { return std::move(FOut); }

 private:
  char16_t FLineEnd;
  String FOut;
  std::size_t FBreaks = 0;
  bool FLineHasText = false;
  bool FBlank = false;
};

// The end of the tag that starts at Start ("<" in S): one past its ">", or S's end. Quotes
// count only around attribute values (after "="), as browsers read them, so a stray
// apostrophe in a malformed tag does not swallow the page.
std::size_t TagEnd(StringView S, std::size_t Start) {
  char16_t last = 0;  // last character outside blanks
  for (std::size_t i = Start + 1; i < S.size(); ++i) {
    const char16_t ch = S[i];
    if (ch == u'>') return i + 1;
    if ((ch == u'"' || ch == u'\'') && last == u'=') {
      const std::size_t close = S.find(ch, i + 1);
      if (close == StringView::npos) return S.size();
      i = close;
      last = ch;
      continue;
    }
    if (!IsHTMLSpace(ch)) last = ch;
  }
  return S.size();
}

}  // namespace

String DefaultHTMLHead(StringView Title, StringView CharSet, StringView Description,
                       StringView StyleSheet, bool OpenBody) {
  String head = u"<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"";
  head += CharSet.empty() ? String(u"windows-1252") : MakeStringHTMLCompatible(CharSet);
  head += u"\">\r\n<title>";
  head += MakeStringHTMLCompatible(Title);
  head += u"</title>\r\n";
  if (!Description.empty()) {
    head += u"<meta name=\"description\" content=\"";
    head += MakeStringHTMLCompatible(Description);
    head += u"\">\r\n";
  }
  if (!StyleSheet.empty()) {
    head += u"<link rel=\"stylesheet\" href=\"";
    head += MakeStringHTMLCompatible(StyleSheet);
    head += u"\">\r\n";
  }
  head += u"</head>\r\n";
  if (OpenBody) head += u"<body>\r\n";
  return head;
}

String DefaultHTMLFoot(bool CloseBody) {
  return String(CloseBody ? u"</body>\r\n" : u"") + u"</html>\r\n";
}

String ExtractHTMLBody(StringView S) {
  const String lowered = LowerCase(S);
  std::size_t start = 0;
  if (const std::size_t open = FindTag(lowered, u"<body", 0); open != StringView::npos) {
    const std::size_t gt = S.find(u'>', open);
    if (gt == StringView::npos) return String();
    start = gt + 1;
  }
  const std::size_t close = FindTag(lowered, u"</body", start);
  return String(S.substr(start, (close == StringView::npos ? S.size() : close) - start));
}

String ConvertHTMLBodyToText(StringView S, char16_t LineEnd) {
  const String lowered = LowerCase(S);
  TextSink sink(LineEnd);
  std::size_t pos = 0;
  while (pos < S.size()) {
    std::size_t lt = S.find(u'<', pos);
    // A "<" that starts no tag is text: look for the next one that does.
    while (lt != StringView::npos && lt + 1 < S.size() && !IsLetter(S[lt + 1]) &&
           S[lt + 1] != u'/' && S[lt + 1] != u'!' && S[lt + 1] != u'?')
      lt = S.find(u'<', lt + 1);
    if (lt != StringView::npos && lt + 1 == S.size()) lt = StringView::npos;
    const std::size_t textEnd = lt == StringView::npos ? S.size() : lt;
    sink.Text(ResolveHTMLEntities(S.substr(pos, textEnd - pos)));
    if (lt == StringView::npos) break;

    if (lowered.compare(lt, 4, u"<!--") == 0) {
      const std::size_t close = lowered.find(u"-->", lt + 4);
      pos = close == StringView::npos ? S.size() : close + 3;
      continue;
    }
    pos = TagEnd(S, lt);
    const bool closing = S[lt + 1] == u'/';
    std::size_t nameEnd = lt + (closing ? 2 : 1);
    while (nameEnd < S.size() && IsDigitLetter(S[nameEnd])) ++nameEnd;
    const std::size_t nameStart = lt + (closing ? 2 : 1);
    const StringView name = StringView(lowered).substr(nameStart, nameEnd - nameStart);
    if (name == u"br") {
      sink.Break(true);
    } else if (IsBlockElement(name)) {
      sink.Break(false);
    } else if (!closing && (name == u"script" || name == u"style")) {
      // Their content is code, not text: go on at their end tag.
      const String endTag = u"</" + String(name);
      const std::size_t close = FindTag(lowered, endTag, pos);
      pos = close == StringView::npos ? S.size() : close;
    }
  }
  return sink.Take();
}

}  // namespace kez
