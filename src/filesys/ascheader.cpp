// The header of ASC data files, from a named file or from a stream.
#include "kez/filesys/textfiles.hpp"
#include "kez/platform/exceptions.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/streams.hpp"
#include "kez/stringl/chars.hpp"

namespace kez {

namespace {

// Reads the flag words of line 4 (upper-cased, without surrounding blanks): the first three
// must be TRUE or FALSE, the fourth is true when it starts with TRUE. Returns 0 or -3.
int ReadFlags(String Line, bool& Flag1, bool& Flag2, bool& Flag3, bool& Flag4) {
  Flag1 = Flag2 = Flag3 = Flag4 = false;
  Line = StripLTBlanks(UpperCase(Line));
  for (bool* flag : {&Flag1, &Flag2, &Flag3}) {
    if (Line.starts_with(u"TRUE")) {
      *flag = true;
      Line.erase(0, 4);
    } else if (Line.starts_with(u"FALSE")) {
      Line.erase(0, 5);
    } else {
      return -3;
    }
    Line = StripLTBlanks(Line);
  }
  Flag4 = Line.starts_with(u"TRUE");
  return 0;
}

// Reads an integer of the file and skips the rest of its line; false when the text-file
// layer refuses the number.
bool ReadIntegerLine(TextFile& F, std::int32_t& Value) {
  try {
    Value = F.ReadInteger();
    F.ReadLn();
    return true;
  } catch (const EInOutError&) {
    return false;
  }
}

// Reads an integer of the stream and the rest of its line. The scanner consumes the
// character that ended the number; when that was the line feed, the line is finished.
std::int32_t ScanIntegerLine(TStream& Stream) {
  const std::int64_t start = Stream.Position();
  const std::int32_t value = ScanStreamDecimal(Stream);
  const std::int64_t end = Stream.Position();
  unsigned char last = 0;
  if (end > start) {
    Stream.Seek(end - 1, soBeginning);
    if (Stream.Read(&last, 1) != 1) last = 0;
  }
  if (last != '\n') {
    bool eos = false;
    ReadLnStream(Stream, eos, 0);
  }
  return value;
}

}  // namespace

int ReadHeaderOfASC(StringView FileName, String& Comment, std::int32_t& FirstInt,
                    std::int32_t& SecondInt, bool& Flag1, bool& Flag2, bool& Flag3, bool& Flag4) {
  TextFile f(FileName);
  f.Reset();
  f.ReadLn(Comment);
  int status = Comment.find(u'\n') != String::npos ? -4 : 0;
  if (!ReadIntegerLine(f, FirstInt)) status = -1;
  if (status == 0 && !ReadIntegerLine(f, SecondInt)) status = -2;
  if (status == 0) {
    String line;
    f.ReadLn(line);
    status = ReadFlags(ReplaceCharInString(line, u'\t', u' '), Flag1, Flag2, Flag3, Flag4);
  }
  f.Close();
  return status;
}

int ReadHeaderOfASC(TStream& Stream, String& Comment, std::int32_t& FirstInt,
                    std::int32_t& SecondInt, bool& Flag1, bool& Flag2, bool& Flag3, bool& Flag4) {
  bool eos = false;
  Comment = ReadLnStream(Stream, eos, 0);
  FirstInt = ScanIntegerLine(Stream);
  SecondInt = ScanIntegerLine(Stream);
  return ReadFlags(ReadLnStream(Stream, eos, 0), Flag1, Flag2, Flag3, Flag4);
}

}  // namespace kez
