// TFeatureMatrix: the text file of descriptions and values.
#include <algorithm>
#include <charconv>
#include <filesystem>
#include <limits>
#include <system_error>
#include <unordered_map>

#include "kez/dstruct.hpp"
#include "kez/dstruct/numberscan.hpp"
#include "kez/platform/path.hpp"
#include "kez/platform/safesave.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/stringl/chars.hpp"
#include "kez/stringl/format.hpp"

namespace kez {
namespace {

enum FileKeyword : std::int32_t { kwNone, kwFeatDef, kwFeatVals, kwFeatEnd };

// The file's content does not fit the format; ends the reading.
struct MalformedFile {};

// Makes every I/O failure of a caller's file raise while the matrix works on it, whatever
// mode the caller chose, and gives the caller its mode back afterwards.
class RaisingErrors {
 public:
  explicit RaisingErrors(TextFile& f) : FFile(f), FSaved(f.ErrorMode()) {
    f.SetErrorMode(iemRaise);
  }
  ~RaisingErrors() { FFile.SetErrorMode(FSaved); }
  RaisingErrors(const RaisingErrors&) = delete;
  RaisingErrors& operator=(const RaisingErrors&) = delete;

 private:
  TextFile& FFile;
  TIOErrorMode FSaved;
};

// Splits a text at its first blank; false when it has none.
bool SplitAtBlank(StringView text, StringView& head, StringView& tail) {
  const std::size_t blank = text.find(u' ');
  if (blank == StringView::npos) return false;
  head = text.substr(0, blank);
  tail = text.substr(blank + 1);
  return true;
}

String Keyword(std::int32_t kw) {
  String text(u"#");
  text += FeatFileKeywords[static_cast<std::size_t>(kw - 1)];
  return text;
}

// A decimal integer within 32 bits, blanks around it allowed. Only decimal digits count:
// "$10" and "0x10", which the general conversions read as hexadecimal, are not numbers in
// this file.
bool DecimalToInt(StringView text, std::int32_t& value) {
  std::size_t i = 0, end = text.size();
  while (i < end && text[i] == u' ') ++i;
  while (end > i && text[end - 1] == u' ') --end;
  const bool negative = i < end && text[i] == u'-';
  if (i < end && (text[i] == u'-' || text[i] == u'+')) ++i;
  if (i == end) return false;
  std::int64_t magnitude = 0;
  for (; i < end; ++i) {
    if (text[i] < u'0' || text[i] > u'9') return false;
    magnitude = magnitude * 10 + (text[i] - u'0');
    if (magnitude > std::int64_t{1} << 31) return false;
  }
  const std::int64_t v = negative ? -magnitude : magnitude;
  if (v > std::numeric_limits<std::int32_t>::max()) return false;
  value = static_cast<std::int32_t>(v);
  return true;
}

// Whether a value block may claim its cells. The cells of a block are empty texts unless a
// line fills them, so a short file may describe a large, sparse matrix (and the writer
// leaves empty cells out): a block is taken while its cells fit a memory budget, and beyond
// it only when every further cell is backed by a byte still to be read. A few bytes thus
// never make the reader allocate gigabytes, yet every matrix up to the budget loads back,
// from a file or through a pipe.
bool ValueBlockFits(TextFile& f, std::int32_t nFeats, std::int32_t nObjs) {
  // A matrix without features still counts its objects, which a later InsertFeature fills.
  const std::int64_t cells = std::int64_t{std::max(nFeats, 1)} * nObjs;
  const std::int64_t freeCells = kReadBudget / static_cast<std::int64_t>(sizeof(String));
  return cells <= freeCells || f.MayAnnounce(cells - freeCells, sizeof(String));
}

// A description text cut to its longest length; blanks the cut leaves at the end go too, as
// the reader drops blanks around texts: the next reading of the file keeps the same text.
ShortString CutAnsi(StringView text, std::size_t length) {
  ShortString bytes = StringToAnsi(text);
  if (bytes.size() > length) {
    bytes.resize(length);
    while (!bytes.empty() && bytes.back() == ' ') bytes.pop_back();
  }
  return bytes;
}

// The value block is written in chunks of about this many bytes rather than line by line.
constexpr std::size_t kWriteChunk = 64 * 1024;

void AppendDecimal(AnsiString& out, std::int32_t value) {
  char digits[12];
  const auto r = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, r.ptr);
}

std::string_view StripBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

// ---- Writing ------------------------------------------------------------------------------

void TFeatureMatrix::SaveToOpenFile(TextFile& f) const {
  // While an error is pending the file ignores every write: raise it rather than report
  // success for a section that was never written.
  if (const int code = f.IOResult(); code != 0) throw EInOutError(IOErrorText(code), code);
  RaisingErrors raising(f);
  f.WriteLn(Keyword(kwFeatDef) + u" " + IntToStr(FNFeats) + u" 1");
  for (std::int32_t i = 1; i <= FNFeats; ++i) {
    const TFeatProps& p = FFeatProps[static_cast<std::size_t>(i - 1)];
    const TFeatKind kind = p.FeatKind <= fkTriState ? p.FeatKind : fkUndefined;
    const String values[] = {
        IntToStr(p.FeatNum),     AnsiToString(p.FeatName), String(FeatKindNames[kind]),
        AnsiToString(p.Comment), p.PresetValues,           BoolToStr(p.Sorted, 0)};
    const String prefix = IntToStr(i) + u" ";
    for (std::size_t item = fplFeatNum; item <= fplSorted; ++item)
      f.WriteLn(prefix + String(FeatPropNames[item]) + u" " + values[item]);
  }
  f.WriteLn(Keyword(kwFeatVals) + u" " + IntToStr(FNFeats) + u" " + IntToStr(FNObjs));
  // The lines of the values are gathered into chunks: the bytes are those WriteLn would write
  // line by line. Counted from 0, so that the object count may be the largest int32.
  AnsiString chunk;
  chunk.reserve(kWriteChunk + 256);
  for (std::int32_t o = 0; o < FNObjs; ++o) {
    for (std::int32_t fix = 1; fix <= FNFeats; ++fix) {
      const String& value = Cell(fix, o + 1);
      if (value.empty()) continue;
      AppendDecimal(chunk, fix);
      chunk.push_back(' ');
      AppendDecimal(chunk, o + 1);
      chunk.push_back(' ');
      if (!f.EncodeText(value, chunk)) f.Write(value);  // raises: the file cannot hold it
      chunk.append("\r\n");
      if (chunk.size() >= kWriteChunk) {
        f.WriteAnsi(chunk);
        chunk.clear();
      }
    }
  }
  f.WriteAnsi(chunk);
  f.WriteLn(Keyword(kwFeatEnd));
}

void TFeatureMatrix::Save(StringView FName) const {
  // Scanning a million cells for a character Windows-1252 lacks costs as much as a tenth of
  // the save, and almost never finds one: write Windows-1252 at once, and when the write
  // fails, start again in UTF-8 if a character was the cause. The failed attempt has left
  // nothing behind, and every other failure is raised as it came.
  const auto write = [&](TextFile& f) { SaveToOpenFile(f); };
  try {
    SaveTextFile(FName, teAnsi, write);
  } catch (const EInOutError&) {
    if (!NeedsUtf8()) throw;
    SaveTextFile(FName, teUtf8, write);
  }
}

bool TFeatureMatrix::NeedsUtf8() const {
  for (const TFeatProps& p : FFeatProps) {
    if (TextNeedsUtf8(p.PresetValues)) return true;
  }
  for (const auto& column : FFeatVals) {
    for (const String& value : column) {
      if (TextNeedsUtf8(value)) return true;
    }
  }
  return false;
}

// ---- Reading ------------------------------------------------------------------------------

std::int32_t TFeatureMatrix::Load(StringView FName) {
  const std::string native = NativeFileName(FName);
  std::error_code ec;
  if (!std::filesystem::exists(native, ec) || std::filesystem::is_directory(native, ec)) return -1;
  TextFile f(FName);
  f.Reset();
  const std::int32_t result = LoadFromOpenFile(f);
  f.Close();
  return result != 0 ? result - 1 : 0;
}

std::int32_t TFeatureMatrix::LoadFromOpenFile(TextFile& f) {
  Clear();
  std::int32_t result = -1;
  try {
    // An error pending from earlier work on the file is an error of this reading.
    if (f.IOResult() != 0) throw MalformedFile{};
    RaisingErrors raising(f);
    f.EoLn();  // raises for a file that is not open for reading
    ReadFrom(f, result);
  } catch (const MalformedFile&) {
    result = -2;
  } catch (const Exception&) {  // I/O and conversion errors of the platform
    result = -2;
  } catch (const std::bad_alloc&) {
    result = -2;
  } catch (const std::length_error&) {
    result = -2;
  }
  Changed();
  return result;
}

void TFeatureMatrix::ReadDescriptions(TextFile& f, std::int32_t n) {
  // The records are gathered before the matrix is sized: n features take storage only once
  // the file has delivered their 6 * n records, so a count the file does not back ends the
  // reading without allocating for it.
  std::unordered_map<std::int32_t, TFeatProps> described;
  String line;
  for (std::int64_t record = 0; record < 6 * std::int64_t{n}; ++record) {
    if (f.Eof()) throw MalformedFile{};
    const std::int32_t i = f.ReadInteger();
    if (i < 1 || i > n) throw MalformedFile{};
    f.ReadLn(line);
    StringView key, value;
    const String property = StripLTBlanks(line);
    if (!SplitAtBlank(property, key, value)) continue;  // an empty property
    const String text = StripLTBlanks(value);
    TFeatProps& props = described[i];
    switch (StringIx(key, false, FeatPropNames) - 1) {
      case fplFeatNum:
        if (!DecimalToInt(text, props.FeatNum)) throw MalformedFile{};
        break;
      case fplFeatName:
        props.FeatName = CutAnsi(text, kMaxFeatNameLength);
        break;
      case fplFeatKind: {
        const std::int32_t kind = StringIx(text, false, FeatKindNames);
        if (kind == 0) throw MalformedFile{};
        props.FeatKind = static_cast<TFeatKind>(kind - 1);
        break;
      }
      case fplComment:
        props.Comment = CutAnsi(text, kMaxCommentLength);
        break;
      case fplPresets:
        props.PresetValues = text;
        break;
      case fplSorted:
        props.Sorted = LowerCase(text) == u"true";
        break;
      default:  // fplGUIElem and unknown keys
        break;
    }
  }
  if (!Reshape(n, FNObjs)) throw MalformedFile{};
  for (std::size_t i = 0; i < FFeatProps.size(); ++i) {
    const auto found = described.find(static_cast<std::int32_t>(i + 1));
    FFeatProps[i] = found != described.end() ? std::move(found->second) : TFeatProps{};
  }
}

void TFeatureMatrix::ReadValues(TextFile& f, std::int32_t nFeats, std::int32_t nObjs) {
  if (nFeats != FNFeats || nObjs < 0 || !ValueBlockFits(f, nFeats, nObjs) ||
      !Reshape(nFeats, nObjs))
    throw MalformedFile{};
  // The lines are taken apart as bytes; only the value is converted to characters (the
  // numbers, the blanks and "#" are the same in both). At the end of the file the line read
  // is empty, which ends the block as an empty line does.
  AnsiString line;
  for (;;) {
    f.ReadLnAnsi(line);
    if (line.empty() || line[0] == '#') break;
    const std::string_view bytes(line);
    std::size_t pos = 0;
    std::int32_t fix = 0, obj = 0;
    if (!ScanIntegerAt(bytes, pos, fix) || !ScanIntegerAt(bytes, pos, obj) || !InRange(fix, obj))
      throw MalformedFile{};
    f.DecodeText(StripBlanks(bytes.substr(pos)), Cell(fix, obj));
  }
}

void TFeatureMatrix::ReadFrom(TextFile& f, std::int32_t& Result) {
  String line;
  while (!f.Eof()) {
    f.ReadLn(line);
    if (line.empty() || line[0] != u'#') continue;
    StringView keyword, rest;
    if (!SplitAtBlank(StringView(line).substr(1), keyword, rest)) continue;
    const String args = StripLTBlanks(rest);
    switch (StringIx(keyword, false, FeatFileKeywords)) {
      case kwFeatDef: {
        Result = 0;
        std::size_t pos = 0;
        std::int32_t n = 0, version = 0;
        if (!ScanIntegerAt(args, pos, n) || !ScanIntegerAt(args, pos, version) || version != 1 ||
            n < 0)
          throw MalformedFile{};
        ReadDescriptions(f, n);
        break;
      }
      case kwFeatVals: {
        StringView first, second;
        std::int32_t nf = 0, no = 0;
        if (!SplitAtBlank(args, first, second) || !DecimalToInt(first, nf) ||
            !DecimalToInt(second, no))
          throw MalformedFile{};
        ReadValues(f, nf, no);
        return;  // the value block ends the reading
      }
      default:  // "featend" and unknown keywords
        break;
    }
  }
}

}  // namespace kez
