// TAssocArray: the XML-like block on byte streams, and AddXMLAttributes.
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <exception>

#include "kez/dstruct.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/streams.hpp"
#include "xmlblock.hpp"

namespace kez {
namespace {

constexpr char16_t kElement[] = u"assocarray";
// The tag list of the reader: the items, the end tag and the list end marker.
const std::array<String, 4>& Words() {
  static const std::array<String, 4> words = {u"numentries", u"assoc", u"/assocarray", u"dummy"};
  return words;
}
enum : std::int32_t { wNumEntries, wAssoc };

// Floats are written as the shortest decimal that reads back to the same value; values that
// are not finite as "$" and the hexadecimal image of their bits.
template <class F>
String FloatText(F value) {
  char buf[64];
  if (std::isfinite(value)) {
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    return ToString(std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
  }
  using Bits = std::conditional_t<sizeof(F) == 4, std::uint32_t, std::uint64_t>;
  const auto r = std::to_chars(buf, buf + sizeof buf, std::bit_cast<Bits>(value), 16);
  return u"$" + ToString(std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
}

template <class F>
bool ParseFloat(StringView text, F& value) {
  std::string a = StringToAnsi(text);
  if (!a.empty() && a[0] == '$') {
    using Bits = std::conditional_t<sizeof(F) == 4, std::uint32_t, std::uint64_t>;
    Bits bits = 0;
    const auto r = std::from_chars(a.data() + 1, a.data() + a.size(), bits, 16);
    if (r.ec != std::errc() || r.ptr != a.data() + a.size() || a.size() == 1) return false;
    value = std::bit_cast<F>(bits);
    return true;
  }
  const auto r = std::from_chars(a.data(), a.data() + a.size(), value);
  return r.ec == std::errc() && r.ptr == a.data() + a.size() && !a.empty();
}

String ValueText(const Variant& v) {
  switch (v.VarType()) {
    case varEmpty:
    case varNull:
      return {};
    case varSingle:
      return FloatText(static_cast<float>(v.ToDouble()));
    case varDouble:
      return FloatText(v.ToDouble());
    case varCurrency:
      return IntToStr(v.ToCurrency().Scaled);
    case varBoolean:
      return v.ToBoolean() ? u"1" : u"0";
    case varString:
      return detail::XmlEscape(v.ToAnsiString());
    case varUString:
      return detail::XmlEscape(v.ToString());
    default:
      return IntToStr(v.ToInt64());
  }
}

template <class T>
bool IntegerValue(StringView text, Variant& out) {
  std::int64_t v = 0;
  if (!TryStrToInt64(text, v) || v < std::numeric_limits<T>::min() ||
      v > static_cast<std::int64_t>(std::numeric_limits<T>::max())) {
    return false;
  }
  out = Variant(static_cast<T>(v));
  return true;
}

// The value of an item from its type code and value text; false when they do not fit.
bool ParseValue(std::int64_t type, StringView text, Variant& out) {
  switch (type) {
    case varEmpty:
      out = Variant();
      return true;
    case varNull:
      out = Null();
      return true;
    case varSmallint:
      return IntegerValue<std::int16_t>(text, out);
    case varInteger:
      return IntegerValue<std::int32_t>(text, out);
    case varShortInt:
      return IntegerValue<std::int8_t>(text, out);
    case varByte:
      return IntegerValue<std::uint8_t>(text, out);
    case varWord:
      return IntegerValue<std::uint16_t>(text, out);
    case varLongWord:
      return IntegerValue<std::uint32_t>(text, out);
    case varInt64:
      return IntegerValue<std::int64_t>(text, out);
    case varSingle: {
      float f = 0;
      if (!ParseFloat(text, f)) return false;
      out = Variant(f);
      return true;
    }
    case varDouble: {
      double d = 0;
      if (!ParseFloat(text, d)) return false;
      out = Variant(d);
      return true;
    }
    case varCurrency: {
      std::int64_t scaled = 0;
      if (!TryStrToInt64(text, scaled)) return false;
      out = Variant(Currency{scaled});
      return true;
    }
    case varBoolean:
      if (text != u"1" && text != u"0") return false;
      out = Variant(text == u"1");
      return true;
    case varString: {
      std::string bytes;
      if (!detail::XmlUnescapeBytes(text, bytes)) return false;
      out = Variant(std::move(bytes));
      return true;
    }
    case varUString: {
      String s;
      if (!detail::XmlUnescape(text, s)) return false;
      out = Variant(std::move(s));
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

void TAssocArray::WriteToXMLStream(TStream& OutStream, bool CreateHeader, StringView DataID) const {
  if (CreateHeader) WriteLnStream(OutStream, detail::kXmlHeader);
  WriteLnStream(OutStream, detail::BlockStartLine(kElement, DataID));
  WriteLnStream(OutStream, u"  <numentries val=\"" + IntToStr(FNEntries) + u"\"/>");
  String line;
  for (std::size_t i = 0; i < static_cast<std::size_t>(FNEntries); ++i) {
    const Variant& v = FDataArray[i];
    line = u"  <assoc key=\"" + detail::XmlEscape(FKeyArray[i]) + u"\" type=\"" +
           IntToStr(v.VarType()) + u"\"";
    if (!v.IsEmpty() && !v.IsNull()) line += u" val=\"" + ValueText(v) + u"\"";
    line += u"/>";
    WriteLnStream(OutStream, line);
  }
  WriteLnStream(OutStream, detail::BlockEndLine(kElement));
}

bool TAssocArray::ReadFromXMLStream(TStream& InStream, StringView DataID) {
  try {
    // The entries are added to a table of their own by the rule of Add, which takes this
    // table's place only when the whole block has been read.
    TAssocArray loaded(nullptr);
    loaded.FIgnoreCase = FIgnoreCase;
    loaded.FGranularity = FGranularity;
    String foundID;
    std::int64_t announced = -1;
    std::int64_t items = 0;
    const bool complete = detail::ReadBlockFromStream(
        InStream, kElement, DataID, Words(),
        [&](std::int32_t ix, const String& attributes) {
          if (ix == wNumEntries) {
            return announced < 0 && detail::AttrInt(attributes, u"val", 0, INT32_MAX, announced);
          }
          std::int64_t type = 0;
          String key;
          Variant value;
          if (!detail::AttrInt(attributes, u"type", 0, 0xFFFF, type) ||
              !detail::XmlUnescape(ScanForXMLAttrib(attributes, u"key"), key) ||
              !ParseValue(type, ScanForXMLAttrib(attributes, u"val"), value) ||
              items >= INT32_MAX) {
            return false;
          }
          ++items;
          loaded.Add(key, value);
          return true;
        },
        foundID);
    if (!complete || announced != items) return false;
    TakeEntries(loaded);
    FDataID = std::move(foundID);
    return true;
  } catch (const std::exception&) {
    // Running out of memory or an error of the stream: the table stays as it was.
    return false;
  }
}

// Everything that allocates comes first; the exchange itself cannot fail. The index nodes
// move over: they hold entry numbers only, and are hashed again with this table's keys.
void TAssocArray::TakeEntries(TAssocArray& Source) {
  std::vector<IndexNode> nodes;
  nodes.reserve(Source.FIndex.size());
  FIndex.reserve(Source.FIndex.size());
  while (!Source.FIndex.empty()) nodes.push_back(Source.FIndex.extract(Source.FIndex.begin()));
  FIndex.clear();
  FDups.clear();
  FKeyArray.swap(Source.FKeyArray);
  FDataArray.swap(Source.FDataArray);
  FHashes.swap(Source.FHashes);  // Source compares as this table does
  std::swap(FNEntries, Source.FNEntries);
  Source.FNEntries = 0;
  for (IndexNode& node : nodes) FIndex.insert(std::move(node));
}

std::int32_t TAssocArray::AddXMLAttributes(StringView Attributes) {
  std::int32_t added = 0;
  for (auto& [name, value] : ListXMLAttribs(Attributes)) {
    if (name.empty()) continue;
    Add(name, Variant(std::move(value)));
    if (added < INT32_MAX) ++added;
  }
  return added;
}

}  // namespace kez
