/// @file
/// THtmlProducer: an HTML template whose "<#name params>" tags are replaced by text that the
/// application supplies through an event.
///
/// @code
///   kez::THtmlProducer p(nullptr);
///   p.ReadTemplateFromFile(u"page.tpl");
///   p.SetOnHTMLTag(handler);
///   p.Convert();
///   p.WriteConvertedHTMLToFile(u"page.html");
/// @endcode
///
/// Threads: separate objects may be used from separate threads at once; one object belongs to
/// one thread at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "kez/platform/classes.hpp"
#include "kez/platform/export.hpp"
#include "kez/platform/stream.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// TOnHTMLTagEvent
/// Called by Convert for each template tag with the tag's name (ASCII letters lower-cased),
/// its parameters (blanks trimmed) and the replacement, which holds the whole tag text
/// ("<#Name x=1>") on entry. Leave it as it is to keep the tag, set it empty to remove it.
using TOnHTMLTagEvent = std::function<void(TObject* Sender, const String& TagName,
                                           const String& Params, String& Replacement)>;

/// THtmlProducer
/// Holds a template and turns it into a page. A tag starts with "<#" and ends with the next
/// ">" (or the end of the template when there is none); its name runs from "<#" to the first
/// blank or the ">", its parameters from that blank to the ">". Everything else, ordinary
/// HTML tags included, is copied unchanged.
class THtmlProducer : public TComponent {
 public:
  /// A producer owned by AOwner (see TComponent), with an empty template and no handler.
  explicit THtmlProducer(TComponent* AOwner);
  ~THtmlProducer() override;

  /// Template / SetTemplate
  ///@{
  const String& Template() const { return FTemplate; }
  void SetTemplate(StringView Value);
  ///@}

  /// OnHTMLTag / SetOnHTMLTag
  /// Without a handler Convert returns the template unchanged.
  ///@{
  const TOnHTMLTagEvent& OnHTMLTag() const { return FOnHTMLTag; }
  void SetOnHTMLTag(TOnHTMLTagEvent Handler) { FOnHTMLTag = std::move(Handler); }
  ///@}

  /// ReadTemplateFromFile
  /// The template becomes the file's lines as the text-file layer reads them (lines end at
  /// CR LF or LF; a lone CR stays in its line as a character), each followed by CR LF, the
  /// last one too. The file is read as Windows-1252, or as UTF-8 when it starts with the
  /// UTF-8 byte-order mark or its head declares UTF-8 (see WriteConvertedHTMLToFile). Errors
  /// raise EInOutError; the template is then left as it was.
  void ReadTemplateFromFile(StringView FName);

  /// ReadTemplateFromStream
  /// The template becomes the whole stream, read from position 0, one character per byte
  /// (the byte's code, as StreamAsString reads), or decoded as UTF-8 when the page's head
  /// declares UTF-8 (bytes that are not UTF-8 as U+DC80-U+DCFF). Either way a page written
  /// back unchanged keeps its bytes.
  void ReadTemplateFromStream(TStream& InStream);

  /// Convert
  /// Builds ConvertedHTML from the template and returns it, calling OnHTMLTag once per tag
  /// in template order. Never raises by itself; an exception of the handler passes through
  /// and leaves ConvertedHTML empty. The handler may change the template or convert again:
  /// this run goes on with the template it started with. Work is linear in the template and
  /// the replacements.
  const String& Convert();

  /// ConvertedHTML: the result of the last Convert (empty before the first).
  const String& ConvertedHTML() const { return FConvertedHTML; }

  /// ConvertedHTMLAsStream
  /// A new stream holding ConvertedHTML as the bytes WriteConvertedHTMLToFile writes,
  /// positioned at 0. The producer owns it: the stream of the previous call is freed, and
  /// this one lives until the next call or the producer's destruction. A character the page
  /// cannot hold raises EInOutError 101 as in WriteConvertedHTMLToFile.
  TStringStream& ConvertedHTMLAsStream();

  /// WriteConvertedHTMLToFile
  /// Creates or overwrites the file with ConvertedHTML, no line end added, in the encoding
  /// the page's head declares: a page whose meta tag says charset=utf-8 (letter case
  /// ignored, also inside content="...") is written in UTF-8 without a byte-order mark,
  /// every other page in Windows-1252. In Windows-1252 the C1 codes U+0080-U+009F are
  /// written as the bytes of the same value (what ReadTemplateFromStream reads such bytes
  /// as, so a page read and written back keeps its bytes), and a character the code page
  /// cannot hold as a numeric reference ("&#20013;" for U+4E2D), which a browser reads as
  /// that character; inside a comment or an element whose text a browser takes raw (script,
  /// style, xmp, iframe, noembed, noframes, and everything after plaintext), where it would
  /// not, such a character is write error 101 and nothing is written. So is an unpaired
  /// surrogate in any page (in a UTF-8 page U+DC80-U+DCFF stand for the bytes 0x80-0xFF
  /// that ReadTemplateFromStream found invalid, and are written back as those bytes).
  /// Errors raise EInOutError.
  void WriteConvertedHTMLToFile(StringView FName);

 private:
  String FTemplate;
  TOnHTMLTagEvent FOnHTMLTag;
  std::int32_t FSPos = 0;  // 1-based position of the last template character consumed
  String FConvertedHTML;
  std::unique_ptr<TStringStream> FStrStream;
};

KEZ_API_END
}  // namespace kez
