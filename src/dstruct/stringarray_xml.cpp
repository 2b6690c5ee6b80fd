// TStringArray: saving to and loading from the XML-like block format in text files.
#include <array>
#include <vector>

#include "kez/dstruct.hpp"
#include "kez/platform/exceptions.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/streams.hpp"
#include "xmlblock.hpp"

namespace kez {
namespace {

constexpr char16_t kElement[] = u"strarray";
// The tag list of the reader: the items, the end tag and the list end marker.
const std::array<String, 5>& Words() {
  static const std::array<String, 5> words = {u"numcols", u"numrows", u"cell", u"/strarray",
                                              u"dummy"};
  return words;
}
enum : std::int32_t { wNumCols, wNumRows, wCell };

struct CellItem {
  std::int32_t c;
  std::int32_t r;
  std::string text;
};

}  // namespace

void TStringArray::WriteToOpenXMLFile(TextFile& OutFile, bool CreateHeader,
                                      StringView DataID) const {
  if (CreateHeader) OutFile.WriteLn(detail::kXmlHeader);
  OutFile.WriteLn(detail::BlockStartLine(kElement, DataID));
  OutFile.WriteLn(u"  <numcols val=\"" + IntToStr(FNCol) + u"\"/>");
  OutFile.WriteLn(u"  <numrows val=\"" + IntToStr(FNRow) + u"\"/>");
  String line;
  for (std::int32_t r = 1; r <= FNRow; ++r) {
    for (std::int32_t c = 0; c <= FNCol; ++c) {
      const ShortString text = GetString(c, r);
      if (text.empty()) continue;
      line = u"  <cell c=\"" + IntToStr(c) + u"\" r=\"" + IntToStr(r) + u"\" v=\"" +
             detail::XmlEscape(text) + u"\"/>";
      OutFile.WriteLn(line);
    }
  }
  OutFile.WriteLn(detail::BlockEndLine(kElement));
}

void TStringArray::SaveAsXMLFile(StringView FName, StringView DataID) const {
  TextFile f(FName);
  f.Rewrite();
  WriteToOpenXMLFile(f, true, DataID);
  f.Close();
}

bool TStringArray::ReadFromOpenXMLFile(TextFile& InFile, StringView DataID) {
  detail::TextFileTagInput input(InFile);
  String foundID;
  if (!detail::FindBlock(input, kElement, DataID, foundID)) return false;
  std::int64_t cols = 0;
  std::int64_t rows = 0;
  std::vector<CellItem> cells;
  const bool complete =
      detail::ReadBlockItems(input, Words(), [&](std::int32_t ix, const String& attributes) {
        if (ix == wNumCols)
          return cols == 0 && detail::AttrInt(attributes, u"val", 1, INT32_MAX, cols);
        if (ix == wNumRows)
          return rows == 0 && detail::AttrInt(attributes, u"val", 1, INT32_MAX, rows);
        // The dimensions come first, so that every cell can be checked against them.
        std::int64_t c = 0;
        std::int64_t r = 0;
        CellItem cell;
        if (cols == 0 || rows == 0 || !detail::AttrInt(attributes, u"c", 0, cols, c) ||
            !detail::AttrInt(attributes, u"r", 1, rows, r) ||
            !detail::XmlUnescapeBytes(ScanForXMLAttrib(attributes, u"v"), cell.text) ||
            cell.text.size() > kMaxCellLength) {
          return false;
        }
        cell.c = static_cast<std::int32_t>(c);
        cell.r = static_cast<std::int32_t>(r);
        cells.push_back(std::move(cell));
        return true;
      });
  if (!complete || cols == 0 || rows == 0) return false;
  // Build the new content aside, so that a failure leaves this table untouched; the copy
  // then takes this table's handlers along.
  TStringArray loaded(nullptr);
  loaded.SetAllocRowsBy(FAllocRowsBy);
  if (!loaded.Resize(static_cast<std::int32_t>(cols), static_cast<std::int32_t>(rows)))
    return false;
  for (const CellItem& cell : cells) loaded.SetString(cell.c, cell.r, cell.text);
  loaded.FOnChange = FOnChange;
  loaded.FOnBefSortExc = FOnBefSortExc;
  loaded.FOnPercentDone = FOnPercentDone;
  Assign(&loaded);
  Changed();
  return true;
}

bool TStringArray::LoadFromXMLFile(StringView FName, StringView DataID) {
  try {
    TextFile f(FName);
    f.Reset();
    const bool ok = ReadFromOpenXMLFile(f, DataID);
    f.Close();
    return ok;
  } catch (const EInOutError&) {
    return false;
  }
}

}  // namespace kez
