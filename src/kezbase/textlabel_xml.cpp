// TCustomTextLabel: the label as one XML-like element in a text file, written line by line
// and read back character by character.
#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "kez/kezbase/chartelements.hpp"
#include "kez/platform/stream.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/streams/numbers.hpp"
#include "kez/streams/tags.hpp"
#include "kez/stringl/chars.hpp"
#include "kez/stringl/format.hpp"

namespace kez {
namespace {

constexpr char16_t kEndTag[] = u"/custtextlbl";

// The elements of a label, by the index the reader acts on; every other name is "dummy".
enum TLabelItem : std::int32_t {
  liPosXY,
  liColors,
  liShadowOfs,
  liLayer,
  liTransparent,
  liVisible,
  liAlignment,
  liAttachMode,
  liFont,
  liStyle,
  liCaption,
  liEnd,
  liDummy
};
constexpr std::array<StringView, 13> kItemNames = {
    u"posxy",      u"colors", u"shadowofs", u"layer",   u"transparent", u"visible", u"alignment",
    u"attachmode", u"font",   u"style",     u"caption", kEndTag,        u"dummy"};

TLabelItem ItemIndex(StringView LowerName) {
  for (std::size_t i = 0; i < kItemNames.size(); ++i)
    if (kItemNames[i] == LowerName) return static_cast<TLabelItem>(i);
  return liDummy;
}

// Six upper-case hex digits of the colour's low 24 bits.
String Hex6(TColor Color) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  String s(6, u'0');
  for (int i = 5; i >= 0; --i, Color >>= 4) s[static_cast<std::size_t>(i)] = kDigits[Color & 15];
  return s;
}

// The word of an enumeration value; empty for a value outside the table.
template <std::size_t N>
StringView WordOf(const TWordTable<N>& Table, unsigned Ordinal) {
  return Ordinal < N ? Table[Ordinal] : StringView();
}

// Looks Word up (letter case counts) and stores its ordinal in Field; a word not in the
// table leaves Field as it was.
template <class E, std::size_t N>
void SetFromWord(const TWordTable<N>& Table, StringView Word, E& Field) {
  for (std::size_t i = 0; i < N; ++i)
    if (Table[i] == Word) {
      Field = static_cast<E>(i);
      return;
    }
}

String FontStyleWords(TFontStyles Style) {
  String words;
  for (std::size_t s = 0; s < xmlFontStyle.size(); ++s) {
    if (!Style.Contains(static_cast<TFontStyle>(s))) continue;
    if (!words.empty()) words += u' ';
    words += xmlFontStyle[s];
  }
  return words;
}

// The style set of blank-separated style words; false when a word is not a style word.
bool ParseFontStyleWords(StringView Words, TFontStyles& Style) {
  TFontStyles result;
  std::size_t i = 0;
  while (i < Words.size()) {
    if (Words[i] == u' ') {
      ++i;
      continue;
    }
    std::size_t end = Words.find(u' ', i);
    if (end == StringView::npos) end = Words.size();
    const StringView word = Words.substr(i, end - i);
    TFontStyle style = fsBold;
    bool known = false;
    for (std::size_t s = 0; s < xmlFontStyle.size(); ++s)
      if (xmlFontStyle[s] == word) {
        style = static_cast<TFontStyle>(s);
        known = true;
      }
    if (!known) return false;
    result.Include(style);
    i = end;
  }
  Style = result;
  return true;
}

// Index of the first character that is not a blank, stopping at the last character.
std::size_t SkipBlanks(StringView Value) {
  std::size_t i = 0;
  while (i + 1 < Value.size() && Value[i] == u' ') ++i;
  return i;
}

// A decimal integer at the start of Value (blanks, one sign, digits); 0 without digits. A
// number beyond 32 bits gives the nearest 32-bit value.
std::int32_t IntValue(StringView Value) {
  std::size_t i = SkipBlanks(Value);
  bool negative = false;
  if (i < Value.size() && (Value[i] == u'-' || Value[i] == u'+')) negative = Value[i++] == u'-';
  constexpr std::int64_t kLimit = std::int64_t{1} << 31;
  std::int64_t magnitude = 0;
  for (; i < Value.size() && Value[i] >= u'0' && Value[i] <= u'9'; ++i)
    magnitude = std::min(magnitude * 10 + (Value[i] - u'0'), kLimit);
  const std::int64_t v = negative ? -magnitude : std::min(magnitude, kLimit - 1);
  return static_cast<std::int32_t>(v);
}

// A hexadecimal number at the start of Value, after a leading "$" or blanks; the digits are
// accumulated in 32 bits (so only the last eight count). 0 without digits.
TColor HexValue(StringView Value) {
  std::size_t i = !Value.empty() && Value[0] == u'$' ? 1 : SkipBlanks(Value);
  TColor v = 0;
  for (; i < Value.size(); ++i) {
    const char16_t c = Value[i];
    int digit;
    if (c >= u'0' && c <= u'9')
      digit = c - u'0';
    else if (c >= u'a' && c <= u'f')
      digit = c - u'a' + 10;
    else if (c >= u'A' && c <= u'F')
      digit = c - u'A' + 10;
    else
      break;
    v = (v << 4) | static_cast<TColor>(digit);
  }
  return v;
}

// A real number at the start of Value by the stream number grammar ("." or "," as the
// decimal point, an exponent allowed); 0 for an empty or malformed value.
double NumberValue(StringView Value) {
  TStringStream stream(Value);
  return static_cast<double>(ScanStreamFPNum(stream, true, 3));
}

// Reads characters up to and including Stop, appending them to Text when given; false when
// the file ends first.
bool ReadThrough(TextFile& File, char16_t Stop, String* Text) {
  while (!File.Eof()) {
    const char16_t c = File.ReadChar();
    if (Text != nullptr) *Text += c;
    if (c == Stop) return true;
  }
  return false;
}

// How a caption's text ended.
enum class TCaptionEnd { Tag, LabelEnd, FileEnd };

// Reads a caption's text up to its end tag, which is not kept: "</caption" (any letter
// case) followed by a blank or ">", read through the next ">" (so "</caption >" ends it).
// The label's own end tag "</custtextlbl" ends it too: a caption that lost its end tag ends
// the label there and never reads into the next label. Any other "</" is caption text. Each
// character costs the same, whatever the caption's length.
TCaptionEnd ReadCaption(TextFile& File, String& Text) {
  constexpr StringView kCaption = u"caption";
  const StringView label = StringView(kEndTag).substr(1);
  constexpr std::size_t kNone = String::npos;
  std::size_t tagStart = kNone;  // where the "</" of a possible end tag starts in Text
  while (!File.Eof()) {
    const char16_t c = File.ReadChar();
    if (tagStart != kNone && (c == u' ' || c == u'>')) {
      const String name = LowerCase(StringView(Text).substr(tagStart + 2));
      if (name == kCaption || name == label) {
        Text.resize(tagStart);
        if (c != u'>' && !ReadThrough(File, u'>', nullptr)) return TCaptionEnd::FileEnd;
        return name == kCaption ? TCaptionEnd::Tag : TCaptionEnd::LabelEnd;
      }
      tagStart = kNone;
    }
    Text += c;
    if (c == u'/' && Text.size() >= 2 && Text[Text.size() - 2] == u'<')
      tagStart = Text.size() - 2;
    else if (tagStart != kNone && Text.size() - tagStart > 2 + label.size())
      tagStart = kNone;  // longer than either name
  }
  return TCaptionEnd::FileEnd;
}

// The value of the attribute Name (ASCII case ignored) in a list of attribute pairs, or
// nothing when the attribute is missing: an attribute written empty is a value too.
std::optional<String> AttributeIfPresent(const std::vector<std::pair<String, String>>& Pairs,
                                         StringView Name) {
  for (const auto& [name, value] : Pairs)
    if (LowerCase(name) == Name) return value;
  return std::nullopt;
}

// Line search for the start tag of a label with the identifier (lower case) Wanted, or of
// any label when Wanted is empty; false at the end of the file.
bool FindLabelStart(TextFile& File, StringView Wanted) {
  String line;
  while (!File.Eof()) {
    File.ReadLn(line);
    line = AnsiLowerCase(line);
    if (line.find(u"<custtextlbl") == String::npos || line.find(u"orvantium") == String::npos)
      continue;
    if (Wanted.empty()) return true;
    const std::size_t p = line.find(u"id=\"");
    if (p == String::npos) continue;
    const std::size_t close = line.find(u'"', p + 4);
    if (close == String::npos) continue;
    if (StripLTBlanks(StringView(line).substr(p + 4, close - p - 4)) == Wanted) return true;
  }
  return false;
}

}  // namespace

void TCustomTextLabel::WriteToOpenXMLFile(TextFile& File, bool CreateHeader, StringView DataID,
                                          std::int32_t Indent) const {
  const String p = MultiChar(u' ', Indent);
  // A label that starts a file with text beyond Windows-1252 writes it in UTF-8. In a
  // Windows-1252 file that already holds text, such a label is refused before any line of
  // it is written: the write of the text reports error 101 in the file's error mode.
  for (const StringView text : {DataID, StringView(FCaption), StringView(FFont->Name())}) {
    if (TextNeedsUtf8(text) && !File.StartInUtf8()) {
      File.Write(text);
      return;
    }
  }
  if (CreateHeader) File.WriteLn(p + u"<?xml version=\"1.0\"?>");
  File.WriteLn();
  File.WriteLn(p + u"<!-- TCustomTextLabel / Orvantium -->");
  File.WriteLn(p + u"<custtextlbl sig=\"Orvantium\" vers=\"1.0\" id=\"" + String(DataID) + u"\">");
  File.WriteLn(p + u"  <posxy x=" + FloatToStrLayout(FPosX, 12, -1) + u" y=" +
               FloatToStrLayout(FPosY, 12, -1) + u" />");
  File.WriteLn(p + u"  <caption>" + FCaption + u"</caption>");
  File.WriteLn(p + u"  <colors brd=$" + Hex6(FColorBrd) + u" bg=$" + Hex6(FColorBkg) + u" shdw=$" +
               Hex6(FColorShadow) + u" />");
  File.WriteLn(p + u"  <shadowofs dx=" + IntToStr(FXShadow) + u" dy=" + IntToStr(FYShadow) +
               u" />");
  File.WriteLn(p + u"  <layer val=" + IntToStr(FLayer) + u" />");
  File.WriteLn(p + u"  <transparent val=" + BoolToStr(FTransPar, 3) + u" />");
  File.WriteLn(p + u"  <visible val=" + BoolToStr(FVisible, 3) + u" />");
  File.WriteLn(p + u"  <alignment horiz=" + String(WordOf(xmlAlignment, FAlignment)) + u" vert=" +
               String(WordOf(xmlVerticalAlignment, FVertAlign)) + u" />");
  File.WriteLn(p + u"  <attachmode val=" + String(WordOf(xmlTxtLblAttachMode, FAttachDat)) +
               u" />");
  File.WriteLn(p + u"  <font name=\"" + FFont->Name() + u"\" size=" + IntToStr(FFont->Size()) +
               u" color=$" + Hex6(FFont->Color()) + u" style=\"" + FontStyleWords(FFont->Style()) +
               u"\" />");
  File.WriteLn(p + u"  <style val=" + String(WordOf(xmlTxtLblMode, FMode)) + u" />");
  File.WriteLn(p + u"</custtextlbl>");
}

// The values are read into a copy of the label, which this label takes over only when the
// end tag has been read: a truncated element or a read error leaves the label as it was.
bool TCustomTextLabel::ReadFromOpenXMLFile(TextFile& File, StringView DataID) {
  if (!FindLabelStart(File, AnsiLowerCase(DataID))) return false;
  TCustomTextLabel read;
  read.CopyFields(*this);
  String tag;
  String attributes;
  String contents;
  for (;;) {
    tag.clear();
    if (!ReadThrough(File, u'<', nullptr) || !ReadThrough(File, u'>', &tag)) return false;
    // The name runs to the first blank; the attributes follow it, without the closing ">"
    // or "/>". Without a blank a self-closing tag keeps its whole text as the name, which
    // matches no element.
    const bool selfClosing = tag.find(u"/>") != String::npos;
    const std::size_t blank = tag.find(u' ');
    const std::size_t closing = selfClosing ? 2 : 1;
    String name = blank != String::npos ? tag.substr(0, blank)
                  : selfClosing         ? tag
                                        : tag.substr(0, tag.size() - 1);
    attributes.clear();
    if (blank != String::npos && blank + 1 + closing <= tag.size())
      attributes =
          StripLTBlanks(StringView(tag).substr(blank + 1, tag.size() - closing - blank - 1));
    const TLabelItem item = ItemIndex(LowerCase(name));
    contents.clear();
    if (selfClosing) {
      // A self-closing element has no contents.
    } else if (item == liCaption) {
      const TCaptionEnd end = ReadCaption(File, contents);
      if (end == TCaptionEnd::FileEnd) return false;
      read.FCaption = contents;
      if (end == TCaptionEnd::LabelEnd) {
        ReadThrough(File, u'>', nullptr);  // as after the end tag itself
        CopyFields(read);
        Changed();
        return true;
      }
      continue;
    } else {
      // The contents of any other element run to the next ">" (after the end tag of the
      // label that is the comment line of a label written after it).
      const bool closed = ReadThrough(File, u'>', &contents);
      const std::size_t cut = contents.find(u"</");
      if (cut != String::npos)
        contents.resize(cut);
      else if (closed)
        contents.pop_back();
    }
    const auto attr = [&](StringView Name) { return ScanForXMLAttrib(attributes, Name); };
    switch (item) {
      case liPosXY:
        read.FPosX = NumberValue(attr(u"x"));
        read.FPosY = NumberValue(attr(u"y"));
        break;
      case liColors:
        read.FColorBrd = HexValue(attr(u"brd"));
        read.FColorBkg = HexValue(attr(u"bg"));
        read.FColorShadow = HexValue(attr(u"shdw"));
        break;
      case liShadowOfs:
        read.FXShadow = IntValue(attr(u"dx"));
        read.FYShadow = IntValue(attr(u"dy"));
        break;
      case liLayer:
        read.FLayer = IntValue(attr(u"val"));
        break;
      case liTransparent:
        read.FTransPar = IntValue(attr(u"val")) == 1;
        break;
      case liVisible:
        read.FVisible = IntValue(attr(u"val")) == 1;
        break;
      case liAlignment:
        SetFromWord(xmlAlignment, attr(u"horiz"), read.FAlignment);
        SetFromWord(xmlVerticalAlignment, attr(u"vert"), read.FVertAlign);
        break;
      case liAttachMode:
        SetFromWord(xmlTxtLblAttachMode, attr(u"val"), read.FAttachDat);
        break;
      case liStyle:
        SetFromWord(xmlTxtLblMode, attr(u"val"), read.FMode);
        break;
      case liFont: {
        // Each attribute that is present is restored, an empty name or style included; a
        // missing one keeps the font's value.
        TFont& font = *read.FFont;
        const auto pairs = ListXMLAttribs(attributes);
        if (auto name = AttributeIfPresent(pairs, u"name")) font.SetName(std::move(*name));
        if (auto size = AttributeIfPresent(pairs, u"size")) font.SetSize(IntValue(*size));
        if (auto color = AttributeIfPresent(pairs, u"color")) font.SetColor(HexValue(*color));
        TFontStyles style = font.Style();
        if (auto words = AttributeIfPresent(pairs, u"style");
            words && ParseFontStyleWords(*words, style))
          font.SetStyle(style);
        break;
      }
      case liCaption:  // read above
        break;
      case liEnd:
        CopyFields(read);
        Changed();
        return true;
      case liDummy:
        break;
    }
  }
}

}  // namespace kez
