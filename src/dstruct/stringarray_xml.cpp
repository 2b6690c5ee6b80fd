// TStringArray: saving to and loading from the XML-like block format in text files.
#include <array>
#include <exception>
#include <memory>

#include "kez/dstruct.hpp"
#include "kez/platform/exceptions.hpp"
#include "kez/platform/safesave.hpp"
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
      // Empty cells are written too: every cell of the table stands for input the reader
      // can count on before it allocates the table.
      line = u"  <cell c=\"" + IntToStr(c) + u"\" r=\"" + IntToStr(r) + u"\"";
      const ShortString text = GetString(c, r);
      if (!text.empty()) line += u" v=\"" + detail::XmlEscape(text) + u"\"";
      line += u"/>";
      OutFile.WriteLn(line);
    }
  }
  OutFile.WriteLn(detail::BlockEndLine(kElement));
}

void TStringArray::SaveAsXMLFile(StringView FName, StringView DataID) const {
  SaveTextFile(FName, TextNeedsUtf8(DataID) ? teUtf8 : teAnsi,
               [&](TextFile& f) { WriteToOpenXMLFile(f, true, DataID); });
}

// The block is read into a table of its own, which takes this table's place only when the
// whole block has been read; the swap copies nothing.
bool TStringArray::ReadXMLBlock(TextFile& InFile, StringView DataID) {
  std::int64_t cols = 0;
  std::int64_t rows = 0;
  std::unique_ptr<TStringArray> loaded;
  std::string text;
  String foundID;
  const bool complete = detail::ReadBlockFromTextFile(
      InFile, kElement, DataID, Words(),
      [&](std::int32_t ix, const String& attributes) {
        if (ix == wNumCols || ix == wNumRows) {
          std::int64_t& count = ix == wNumCols ? cols : rows;
          if (count != 0 || !detail::AttrInt(attributes, u"val", 1, INT32_MAX, count)) return false;
          if (cols == 0 || rows == 0) return true;
          // A block this library writes holds an item of more than one byte for every cell,
          // so a table larger than the rest of the file is a damaged or hostile count; where
          // the rest cannot be told (a pipe), a memory budget bounds the table instead.
          if (!InFile.MayAnnounce((cols + 1) * rows, sizeof(std::uint32_t))) return false;
          loaded = std::make_unique<TStringArray>(nullptr);
          loaded->SetAllocRowsBy(FAllocRowsBy);
          loaded->FBlockLimit = FBlockLimit;
          return loaded->Resize(static_cast<std::int32_t>(cols), static_cast<std::int32_t>(rows));
        }
        // The dimensions come first, so that every cell can be checked against them.
        std::int64_t c = 0;
        std::int64_t r = 0;
        if (!loaded || !detail::AttrInt(attributes, u"c", 0, cols, c) ||
            !detail::AttrInt(attributes, u"r", 1, rows, r) ||
            !detail::XmlUnescapeBytes(ScanForXMLAttrib(attributes, u"v"), text) ||
            text.size() > kMaxCellLength) {
          return false;
        }
        const auto col = static_cast<std::int32_t>(c);
        const auto row = static_cast<std::int32_t>(r);
        // An empty cell needs no slot in the pool (the new table shows its rows in order).
        if (text.empty()) {
          loaded->Handle(col, row) = 0;
        } else {
          loaded->StorePhysical(col, row, text);
        }
        return true;
      },
      foundID);
  if (!complete || !loaded) return false;
  SwapContent(*loaded);
  return true;
}

bool TStringArray::ReadFromOpenXMLFile(TextFile& InFile, StringView DataID) {
  bool done = false;
  try {
    done = ReadXMLBlock(InFile, DataID);
  } catch (const std::exception&) {
    // Running out of memory, a full pool or an error of the file: the table stays.
    done = false;
  }
  if (done) Changed();
  return done;
}

bool TStringArray::LoadFromXMLFile(StringView FName, StringView DataID) {
  bool done = false;
  try {
    TextFile f(FName);
    f.Reset();
    done = ReadXMLBlock(f, DataID);
    f.Close();
  } catch (const std::exception&) {
    done = false;
  }
  if (done) Changed();
  return done;
}

}  // namespace kez
