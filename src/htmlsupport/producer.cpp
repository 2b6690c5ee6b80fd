// THtmlProducer: template reading, tag replacement and output of the converted page.
#include <algorithm>
#include <limits>

#include "htmlsupport/internal.hpp"
#include "kez/htmlsupport.hpp"
#include "kez/platform/safesave.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/platform/textfile.hpp"
#include "kez/streams/lines.hpp"
#include "kez/stringl/chars.hpp"

namespace kez {

THtmlProducer::THtmlProducer(TComponent* AOwner) : TComponent(AOwner) {}

THtmlProducer::~THtmlProducer() = default;

void THtmlProducer::SetTemplate(StringView Value) { FTemplate.assign(Value); }

void THtmlProducer::ReadTemplateFromFile(StringView FName) {
  TextFile file(FName);
  file.Reset();
  String text;
  String line;
  while (!file.Eof()) {
    file.ReadLn(line);
    text += line;
    text += u"\r\n";
  }
  const bool markedUtf8 = file.Encoding() != teAnsi;  // a file with the byte-order mark
  file.Close();
  FTemplate = markedUtf8 ? std::move(text) : detail::HTMLPageText(std::move(text));
}

void THtmlProducer::ReadTemplateFromStream(TStream& InStream) {
  InStream.SetPosition(0);
  FTemplate = detail::HTMLPageText(StreamAsString(InStream));
}

const String& THtmlProducer::Convert() {
  FSPos = 0;
  FConvertedHTML.clear();
  // Copies, so that a handler may change the template or the handler itself meanwhile.
  const String source = FTemplate;
  const TOnHTMLTagEvent handler = FOnHTMLTag;

  String out;
  out.reserve(source.size());
  const StringView text(source);
  std::size_t pos = 0;  // characters consumed
  while (pos < text.size()) {
    const std::size_t start = text.find(u"<#", pos);
    if (start == StringView::npos) {
      out.append(text.substr(pos));
      pos = text.size();
      break;
    }
    out.append(text.substr(pos, start - pos));
    const std::size_t close = text.find(u'>', start + 2);
    const std::size_t end = close == StringView::npos ? text.size() : close + 1;
    const StringView inner = text.substr(start + 2, std::min(close, text.size()) - start - 2);
    const std::size_t blank = inner.find(u' ');
    const String name = LowerCase(inner.substr(0, blank));
    const String params =
        blank == StringView::npos ? String() : StripLTBlanks(inner.substr(blank + 1));
    String replacement(text.substr(start, end - start));
    if (handler) handler(this, name, params, replacement);
    out += replacement;
    pos = end;
  }
  FSPos = static_cast<std::int32_t>(
      std::min<std::size_t>(pos, std::numeric_limits<std::int32_t>::max()));
  FConvertedHTML = std::move(out);
  return FConvertedHTML;
}

TStringStream& THtmlProducer::ConvertedHTMLAsStream() {
  FStrStream.reset();
  FStrStream =
      std::make_unique<TStringStream>(std::string_view(detail::HTMLPageBytes(FConvertedHTML)));
  FStrStream->SetPosition(0);
  return *FStrStream;
}

void THtmlProducer::WriteConvertedHTMLToFile(StringView FName) {
  // The bytes first: a page that cannot be encoded leaves an existing file alone.
  const AnsiString bytes = detail::HTMLPageBytes(FConvertedHTML);
  SaveTextFile(FName, teAnsi, [&](TextFile& file) { file.WriteAnsi(bytes); });
}

}  // namespace kez
