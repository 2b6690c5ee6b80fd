// TFeatureMatrix: the text file of descriptions and values.
#include <filesystem>
#include <system_error>

#include "kez/dstruct.hpp"
#include "kez/dstruct/numberscan.hpp"
#include "kez/platform/path.hpp"
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

ShortString CutAnsi(StringView text, std::size_t length) {
  ShortString bytes = StringToAnsi(text);
  if (bytes.size() > length) bytes.resize(length);
  return bytes;
}

}  // namespace

// ---- Writing ------------------------------------------------------------------------------

void TFeatureMatrix::SaveToOpenFile(TextFile& f) const {
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
  for (std::int32_t o = 1; o <= FNObjs; ++o) {
    for (std::int32_t fix = 1; fix <= FNFeats; ++fix) {
      const String& value = Cell(fix, o);
      if (!value.empty()) f.WriteLn(IntToStr(fix) + u" " + IntToStr(o) + u" " + value);
    }
  }
  f.WriteLn(Keyword(kwFeatEnd));
}

void TFeatureMatrix::Save(StringView FName) const {
  TextFile f(FName);
  f.Rewrite();
  SaveToOpenFile(f);
  f.Close();
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
    RaisingErrors raising(f);
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
        if (!ScanIntegerAt(args, pos, n) || !ScanIntegerAt(args, pos, version))
          throw MalformedFile{};
        if (version != 1 || !Reshape(n, FNObjs)) throw MalformedFile{};
        for (TFeatProps& props : FFeatProps) props = TFeatProps{};
        for (std::int64_t record = 0; record < 6 * std::int64_t{n}; ++record) {
          if (f.Eof()) throw MalformedFile{};
          const std::int32_t i = f.ReadInteger();
          if (i < 1 || i > n) throw MalformedFile{};
          f.ReadLn(line);
          StringView key, value;
          const String property = StripLTBlanks(line);
          if (!SplitAtBlank(property, key, value)) continue;  // an empty property
          const String text = StripLTBlanks(value);
          TFeatProps& props = FFeatProps[static_cast<std::size_t>(i - 1)];
          switch (StringIx(key, false, FeatPropNames) - 1) {
            case fplFeatNum:
              if (!TryStrToInt(text, props.FeatNum)) throw MalformedFile{};
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
        break;
      }
      case kwFeatVals: {
        StringView first, second;
        std::int32_t nf = 0, no = 0;
        if (!SplitAtBlank(args, first, second) || !TryStrToInt(first, nf) ||
            !TryStrToInt(second, no))
          throw MalformedFile{};
        if (nf != FNFeats || !Reshape(nf, no)) throw MalformedFile{};
        while (!f.Eof()) {
          f.ReadLn(line);
          if (line.empty() || line[0] == u'#') break;
          std::size_t pos = 0;
          std::int32_t fix = 0, obj = 0;
          if (!ScanIntegerAt(line, pos, fix) || !ScanIntegerAt(line, pos, obj) ||
              !InRange(fix, obj))
            throw MalformedFile{};
          Cell(fix, obj) = StripLTBlanks(StringView(line).substr(pos));
        }
        return;  // the value block ends the reading
      }
      default:  // "featend" and unknown keywords
        break;
    }
  }
}

}  // namespace kez
