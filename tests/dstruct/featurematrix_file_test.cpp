#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <new>
#include <random>
#include <string>

#include "kez/dstruct.hpp"
#include "kez/platform/sysutils.hpp"
#include "support/test_support.hpp"

// The largest single request made through operator new since the last reset, for the tests
// that check that sizes written in a file do not turn into allocations. The library's own
// requests come here too, the replacement being global to the program.
namespace {
std::atomic<std::size_t> LargestRequest{0};
}

// These replace the global pair, so free() does receive what this malloc() returned.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t n) {
  std::size_t seen = LargestRequest.load(std::memory_order_relaxed);
  while (n > seen && !LargestRequest.compare_exchange_weak(seen, n, std::memory_order_relaxed)) {
  }
  if (void* p = std::malloc(n != 0 ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace kez {
namespace {

// The matrix of two features (a length and a colour) and two objects, of which object 2
// has no colour.
void BuildExample(TFeatureMatrix& m) {
  m.Resize(2, 2);
  TFeatProps p;
  p.FeatNum = 10;
  p.FeatName = "Length";
  p.FeatKind = fkDouble;
  p.Comment = "mm";
  m.SetFeatProps(1, p);
  p = TFeatProps{};
  p.FeatNum = 11;
  p.FeatName = "Colour";
  p.FeatKind = fkString;
  p.PresetValues = u"red,green,blue";
  p.Sorted = true;
  m.SetFeatProps(2, p);
  m.SetFeatValDouble(1, 1, 12.5);
  m.SetFeatValStr(2, 1, u"red");
  m.SetFeatValint(1, 2, 7);
}

const char* const kExample =
    "#featdef 2 1\r\n"
    "1 fplFeatNum 10\r\n"
    "1 fplFeatName Length\r\n"
    "1 fplFeatKind fkDouble\r\n"
    "1 fplComment mm\r\n"
    "1 fplPresets \r\n"
    "1 fplSorted FALSE\r\n"
    "2 fplFeatNum 11\r\n"
    "2 fplFeatName Colour\r\n"
    "2 fplFeatKind fkString\r\n"
    "2 fplComment \r\n"
    "2 fplPresets red,green,blue\r\n"
    "2 fplSorted TRUE\r\n"
    "#featvals 2 2\r\n"
    "1 1 12.5\r\n"
    "2 1 red\r\n"
    "1 2 7\r\n"
    "#featend\r\n";

// The six description lines of feature i with only a name and a kind.
std::string Describe(int i, const std::string& name, const std::string& kind) {
  const std::string p = std::to_string(i) + " ";
  return p + "fplFeatNum " + std::to_string(i) + "\n" + p + "fplFeatName " + name + "\n" + p +
         "fplFeatKind " + kind + "\n" + p + "fplComment \n" + p + "fplPresets \n" + p +
         "fplSorted FALSE\n";
}

class FeatureFile : public testing::Test {
 protected:
  // Loads Bytes from a file; counts the change events.
  std::int32_t LoadBytes(const std::string& Bytes) {
    test::WriteBytes(dir.NativeFile("m.txt"), Bytes);
    changes = 0;
    m.SetOnChange([this](TObject*) { ++changes; });
    return m.Load(dir.File("m.txt"));
  }
  test::TempDir dir;
  TFeatureMatrix m{nullptr};
  int changes = 0;
};

// The save starts in Windows-1252 and begins again in UTF-8 when a value needs it: the
// late value decides the whole file, the first attempt leaves nothing behind, and a matrix of
// Windows-1252 text keeps its single-byte file.
TEST_F(FeatureFile, AValueOutsideWindows1252MakesTheWholeFileUtf8) {
  BuildExample(m);
  m.Save(dir.File("m.txt"));
  const String wide = u"\u0394T \u4E2D \U0001F600";
  m.Resize(2, 3000);
  m.SetFeatValStr(2, 3000, wide);
  m.SetFeatValStr(2, 1, u"caf\u00E9");  // in Windows-1252, written before the wide one
  m.Save(dir.File("m.txt"));
  const std::string bytes = test::ReadBytes(dir.NativeFile("m.txt"));
  EXPECT_EQ(bytes.rfind("\xEF\xBB\xBF#featdef 2 1\r\n", 0), 0U);
  EXPECT_NE(bytes.find("2 1 caf\xC3\xA9\r\n"), std::string::npos);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"m.txt"});
  TFeatureMatrix back(nullptr);
  ASSERT_EQ(back.Load(dir.File("m.txt")), 0);
  EXPECT_EQ(back.GetFeatValStr(2, 3000), wide);
  EXPECT_EQ(back.GetFeatValStr(2, 1), u"caf\u00E9");

  m.SetFeatValStr(2, 3000, u"plain");
  m.Save(dir.File("m.txt"));
  const std::string plain = test::ReadBytes(dir.NativeFile("m.txt"));
  EXPECT_EQ(plain.rfind("#featdef 2 1\r\n", 0), 0U);
  EXPECT_NE(plain.find("2 1 caf\xE9\r\n"), std::string::npos);
}

TEST_F(FeatureFile, ExampleIsWrittenByteForByteAndReadBack) {
  BuildExample(m);
  m.Save(dir.File("m.txt"));
  EXPECT_EQ(test::ReadBytes(dir.NativeFile("m.txt")), kExample);

  TFeatureMatrix back(nullptr);
  back.SetName(u"kept");
  ASSERT_EQ(back.Load(dir.File("m.txt")), 0);
  EXPECT_EQ(back.Name(), u"kept");
  ASSERT_EQ(back.NFeatures(), 2);
  ASSERT_EQ(back.NObjects(), 2);
  const TFeatProps c = back.GetFeatProps(2);
  EXPECT_EQ(c.FeatNum, 11);
  EXPECT_EQ(c.FeatName, "Colour");
  EXPECT_EQ(c.FeatKind, fkString);
  EXPECT_EQ(c.PresetValues, u"red,green,blue");
  EXPECT_TRUE(c.Sorted);
  EXPECT_EQ(back.GetFeatProps(1).Comment, "mm");
  EXPECT_EQ(back.FeatValAsDouble(1, 1), 12.5);
  EXPECT_EQ(back.FeatVal(2, 1), u"red");
  EXPECT_EQ(back.FeatVal(2, 2), u"");
  EXPECT_EQ(back.FeatValAsInt(1, 2), 7);
}

TEST_F(FeatureFile, RoundTripLosesOnlyBlanksAroundTexts) {
  m.Resize(3, 2);
  TFeatProps p;
  p.FeatNum = -5;
  p.FeatName = " pad ";
  p.FeatKind = fkTriState;
  p.Comment = " note\xE9 ";  // a Windows-1252 byte survives
  p.PresetValues = u"  a b  ";
  int dummy;
  p.GUIElem = &dummy;
  m.SetFeatProps(2, p);
  p.FeatKind = fkString;
  m.SetFeatProps(3, p);
  m.SetFeatValTriState(2, 1, tsTrue);
  m.SetFeatValStr(3, 1, u"  inner  blanks ");
  m.SetFeatValStr(3, 2, u"   ");
  m.Save(dir.File("m.txt"));

  TFeatureMatrix back(nullptr);
  ASSERT_EQ(back.Load(dir.File("m.txt")), 0);
  ASSERT_EQ(back.NFeatures(), 3);
  const TFeatProps q = back.GetFeatProps(2);
  EXPECT_EQ(q.FeatNum, -5);
  EXPECT_EQ(q.FeatName, "pad");
  EXPECT_EQ(q.FeatKind, fkTriState);
  EXPECT_EQ(q.Comment, "note\xE9");
  EXPECT_EQ(q.PresetValues, u"a b");
  EXPECT_EQ(q.GUIElem, nullptr);
  EXPECT_EQ(back.GetFeatProps(1).FeatName, "");  // the all-zero description
  EXPECT_EQ(back.FeatValAsTriState(2, 1), tsTrue);
  EXPECT_EQ(back.FeatVal(3, 1), u"inner  blanks");
  EXPECT_EQ(back.FeatVal(3, 2), u"");
}

// A name or comment longer than a description holds is cut; a blank at the cut would be
// dropped by the next reading, so the text read ends before it.
TEST_F(FeatureFile, TextsCutAtABlankReadBackTheSame) {
  const std::string name = "Length of the part  in mm";  // cut after "part  "
  const std::string comment = std::string(59, 'c') + "  tail";
  std::string file = "#featdef 1 1\n1 fplFeatNum 1\n1 fplFeatName " + name +
                     "\n1 fplFeatKind fkString\n1 fplComment " + comment +
                     "\n1 fplPresets \n1 fplSorted FALSE\n#featvals 1 0\n#featend\n";
  ASSERT_EQ(LoadBytes(file), 0);
  EXPECT_EQ(m.GetFeatProps(1).FeatName, "Length of the part");
  EXPECT_EQ(m.GetFeatProps(1).Comment, std::string(59, 'c'));

  m.Save(dir.File("again.txt"));
  TFeatureMatrix back(nullptr);
  ASSERT_EQ(back.Load(dir.File("again.txt")), 0);
  EXPECT_EQ(back.GetFeatProps(1).FeatName, m.GetFeatProps(1).FeatName);
  EXPECT_EQ(back.GetFeatProps(1).Comment, m.GetFeatProps(1).Comment);
}

TEST_F(FeatureFile, EmptyMatrixAndFilesWithoutBlocks) {
  m.Save(dir.File("m.txt"));
  EXPECT_EQ(test::ReadBytes(dir.NativeFile("m.txt")),
            "#featdef 0 1\r\n#featvals 0 0\r\n#featend\r\n");
  m.Resize(2, 2);
  EXPECT_EQ(m.Load(dir.File("m.txt")), 0);
  EXPECT_EQ(m.NFeatures(), 0);
  EXPECT_EQ(m.NObjects(), 0);

  EXPECT_EQ(LoadBytes("no keyword here\n\n1 2 3\n#featend\n# featdef 1 1\n"), -2);
  EXPECT_EQ(changes, 2);  // cleared, done
  EXPECT_EQ(m.NFeatures(), 0);
  EXPECT_EQ(m.Load(dir.File("missing.txt")), -1);
}

TEST_F(FeatureFile, ReaderTakesAnyRecordOrderAndCaseAndStopsAfterTheValues) {
  const std::string file =
      "header line\n"
      "#FEATDEF 2 1\n"
      "2 fplsorted true\n"
      "  1   FPLFEATNAME   Name  \n"
      "2 fplFeatKind FKINTEGER\n"
      "1 fplFeatKind fkString\n"
      "2 fplGUIElem 1234\n"
      "2 fplUnknown 1\n"
      "1 fplPresets\n"
      "\n"
      "1\n"
      "2 fplFeatNum 42\n"
      "1 fplComment c\n"
      "1 fplSorted no\n"
      "2 fplComment x\n"
      "#featvals 2 12\n"
      "1 12 hello world\n"
      "2 3\n"
      "2 1 -9\n"
      "#featend\n"
      "1 1 not read\n";
  ASSERT_EQ(LoadBytes(file), 0);
  EXPECT_EQ(m.NFeatures(), 2);
  EXPECT_EQ(m.NObjects(), 12);
  EXPECT_EQ(m.GetFeatProps(1).FeatName, "Name");
  EXPECT_EQ(m.GetFeatProps(1).FeatKind, fkString);
  EXPECT_EQ(m.GetFeatProps(1).Comment, "c");
  EXPECT_FALSE(m.GetFeatProps(1).Sorted);
  EXPECT_TRUE(m.GetFeatProps(2).Sorted);
  EXPECT_EQ(m.GetFeatProps(2).FeatKind, fkInteger);
  EXPECT_EQ(m.FindFeatNum(42), 2);
  EXPECT_EQ(m.FeatVal(1, 12), u"hello world");
  EXPECT_EQ(m.FeatValAsInt(2, 1), -9);
  EXPECT_EQ(m.FeatVal(1, 1), u"");
}

TEST_F(FeatureFile, MatrixCanBeOneSectionOfALargerFile) {
  BuildExample(m);
  TextFile out(dir.File("big.txt"));
  out.SetErrorMode(iemDeferred);
  out.Rewrite();
  out.WriteLn(u"before");
  m.SaveToOpenFile(out);
  EXPECT_EQ(out.ErrorMode(), iemDeferred);
  out.WriteLn(u"after");
  out.Close();
  EXPECT_EQ(test::ReadBytes(dir.NativeFile("big.txt")),
            std::string("before\r\n") + kExample + "after\r\n");

  TextFile in(dir.File("big.txt"));
  in.Reset();
  TFeatureMatrix back(nullptr);
  EXPECT_EQ(back.LoadFromOpenFile(in), 0);
  String line;
  in.ReadLn(line);  // the value block ended at "#featend"
  EXPECT_EQ(line, u"after");
  in.Close();
  EXPECT_EQ(back.FeatVal(2, 1), u"red");
}

TEST_F(FeatureFile, ValueWithLineBreakDoesNotReadBackWhole) {
  m.Resize(1, 1);
  TFeatProps p;
  p.FeatKind = fkString;
  m.SetFeatProps(1, p);
  m.SetFeatValStr(1, 1, u"one\r\ntwo");
  m.Save(dir.File("m.txt"));
  EXPECT_NE(test::ReadBytes(dir.NativeFile("m.txt")).find("1 1 one\r\ntwo\r\n"), std::string::npos);
  // "two" reads as a value line without indexes: an error, keeping the first part.
  EXPECT_EQ(m.Load(dir.File("m.txt")), -3);
  EXPECT_EQ(m.FeatVal(1, 1), u"one");
}

// Each malformed file ends the reading with -3 from Load, keeping what was read before.
TEST_F(FeatureFile, MalformedFilesEndTheReading) {
  const std::string one = "#featdef 1 1\n" + Describe(1, "a", "fkString");
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"FeatNum that is no number",
       "#featdef 1 1\n1 fplFeatNum abc\n" + Describe(1, "a", "fkString")},
      {"FeatNum beyond 32 bits", "#featdef 1 1\n1 fplFeatNum 99999999999\n"},
      {"FeatNum in hexadecimal ($)",
       "#featdef 1 1\n1 fplFeatNum $10\n" + Describe(1, "a", "fkString")},
      {"FeatNum in hexadecimal (0x)",
       "#featdef 1 1\n1 fplFeatNum 0x10\n" + Describe(1, "a", "fkString")},
      {"property of feature 0", "#featdef 1 1\n0 fplFeatName a\n"},
      {"property of feature n+1", "#featdef 1 1\n2 fplFeatName a\n"},
      {"property index no number", "#featdef 1 1\nx fplFeatName a\n"},
      {"property index beyond 32 bits", "#featdef 1 1\n4294967297 fplFeatName a\n"},
      {"unknown kind", "#featdef 1 1\n" + Describe(1, "a", "fkReal")},
      {"version 2", "#featdef 1 2\n" + Describe(1, "a", "fkString")},
      {"no version", "#featdef 1\n" + Describe(1, "a", "fkString")},
      {"negative count", "#featdef -1 1\n"},
      {"count beyond 32 bits", "#featdef 99999999999 1\n"},
      {"huge count, file ends", "#featdef 2147483647 1\n1 fplFeatName a\n"},
      {"file ends in the block", "#featdef 2 1\n" + Describe(1, "a", "fkString")},
      {"value block early", "#featdef 2 1\n" + Describe(1, "a", "fkString") + "#featvals 2 1\n"},
      {"feature counts differ", one + "#featvals 2 1\n"},
      {"values without descriptions", "#featvals 1 1\n1 1 x\n"},
      {"value sizes not numbers", one + "#featvals 1 x\n"},
      {"value sizes missing", one + "#featvals 1\n"},
      {"value feature count in hexadecimal", one + "#featvals $1 1\n"},
      {"value object count in hexadecimal", one + "#featvals 1 0x1\n"},
      {"negative object count", one + "#featvals 1 -1\n"},
      {"value of feature 2", one + "#featvals 1 1\n2 1 x\n"},
      {"value of object 0", one + "#featvals 1 1\n1 0 x\n"},
      {"value of object m+1", one + "#featvals 1 1\n1 2 x\n"},
      {"value index beyond 32 bits", one + "#featvals 1 1\n1 4294967297 x\n"},
      {"value line of blanks", one + "#featvals 1 1\n   \n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(LoadBytes(c.text), -3);
    EXPECT_EQ(changes, 2);
  }
  // What was read before the error stays.
  ASSERT_EQ(LoadBytes(one + "#featvals 1 2\n1 1 first\n1 3 bad\n1 2 never\n"), -3);
  EXPECT_EQ(m.GetFeatProps(1).FeatName, "a");
  EXPECT_EQ(m.FeatVal(1, 1), u"first");
  EXPECT_EQ(m.FeatVal(1, 2), u"");
}

// A description block of many features may announce a value block far beyond memory.
TEST_F(FeatureFile, ImpossibleValueBlockSizeIsAnError) {
  std::string file = "#featdef 1000 1\n";
  for (int i = 1; i <= 1000; ++i) file += Describe(i, "f", "fkString");
  EXPECT_EQ(LoadBytes(file + "#featvals 1000 100000000\n"), -3);
  EXPECT_EQ(m.NFeatures(), 1000);
  EXPECT_EQ(m.NObjects(), 0);
  EXPECT_EQ(LoadBytes(file + "#featvals 1000 3\n1000 3 last\n"), 0);
  EXPECT_EQ(m.FeatVal(1000, 3), u"last");
}

// Counts and sizes in a file never turn into storage the file does not back.
TEST_F(FeatureFile, SizesTheFileDoesNotBackAllocateNothing) {
  const std::string one = "#featdef 1 1\n" + Describe(1, "a", "fkString");
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"a million features, no records", "#featdef 1000000 1\n"},
      {"a million features, one record", "#featdef 1000000 1\n999999 fplFeatName x\n"},
      {"700 million values", one + "#featvals 1 700000000\n"},
      {"objects without features", "#featdef 0 1\n#featvals 0 2000000000\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LargestRequest = 0;
    EXPECT_EQ(LoadBytes(c.text), -3);
    EXPECT_LT(LargestRequest.load(), std::size_t{1} << 20);
    EXPECT_EQ(m.NObjects(), 0);
  }
  // A broken-off description block leaves no features; a refused value block keeps them.
  EXPECT_EQ(LoadBytes("#featdef 1000000 1\n" + Describe(1, "a", "fkString")), -3);
  EXPECT_EQ(m.NFeatures(), 0);
  EXPECT_EQ(LoadBytes(one + "#featvals 1 700000000\n"), -3);
  EXPECT_EQ(m.NFeatures(), 1);
  // Large empty matrices within the allowance read back.
  std::string file = "#featdef 1000 1\n";
  for (int i = 1; i <= 1000; ++i) file += Describe(i, "f", "fkString");
  EXPECT_EQ(LoadBytes(file + "#featvals 1000 1000\n#featend\n"), 0);
  EXPECT_EQ(m.NObjects(), 1000);
}

TEST_F(FeatureFile, OpenFileInTheWrongStateIsAnError) {
  BuildExample(m);
  TextFile f(dir.File("m.txt"));
  f.SetErrorMode(iemDeferred);
  f.Rewrite();
  f.ReadLn();  // error 104, pending
  try {
    m.SaveToOpenFile(f);
    ADD_FAILURE() << "a pending error must raise";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode(), ioNotOpenForInput);
  }
  EXPECT_EQ(f.IOResult(), 0);            // raised, hence cleared
  EXPECT_EQ(m.LoadFromOpenFile(f), -2);  // open for output
  EXPECT_EQ(f.ErrorMode(), iemDeferred);
  f.Close();
  EXPECT_EQ(test::ReadBytes(dir.NativeFile("m.txt")), "");

  test::WriteBytes(dir.NativeFile("m.txt"), kExample);
  f.Reset();
  f.WriteLn(u"x");  // error 105, pending
  EXPECT_EQ(m.LoadFromOpenFile(f), -2);
  EXPECT_EQ(f.IOResult(), 0);
  EXPECT_EQ(m.LoadFromOpenFile(f), 0);  // the same file, the error dealt with
  f.Close();
}

// The reader as the file format describes it, on the whole text: lines end at LF or CR LF;
// a description record is an integer token (blanks and line ends before it skipped), then
// the rest of its line. Where the format leaves the reaction open, this library rejects the
// file (-2): indexes outside the sizes, feature counts that differ, a version other than 1,
// an unknown kind. A description block takes effect only when complete.
struct ModelMatrix {
  std::int32_t result = -1;
  std::int32_t nFeats = 0, nObjs = 0;
  std::map<std::int32_t, TFeatProps> props;
  std::map<std::pair<std::int32_t, std::int32_t>, std::string> values;
};

class ModelReader {
 public:
  explicit ModelReader(std::string text) : FText(std::move(text)) {}

  ModelMatrix Read() {
    ModelMatrix m;
    try {
      Run(m);
    } catch (const Bad&) {
      m.result = -2;
    }
    return m;
  }

 private:
  struct Bad {};

  bool Eof() const { return FPos >= FText.size(); }
  std::string ReadLn() {
    const std::size_t end = FText.find_first_of("\r\n", FPos);
    std::string line =
        FText.substr(FPos, end == std::string::npos ? std::string::npos : end - FPos);
    FPos = end == std::string::npos ? FText.size() : end + 1;
    if (end != std::string::npos && FText[end] == '\r' && FPos < FText.size() &&
        FText[FPos] == '\n')
      ++FPos;
    return line;
  }
  static bool Space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
  std::int32_t ReadToken() {
    while (!Eof() && Space(FText[FPos])) ++FPos;
    std::string token;
    while (!Eof() && !Space(FText[FPos])) token += FText[FPos++];
    if (token.empty()) return 0;
    std::int64_t v = 0;
    if (!Decimal(token, v, false)) throw Bad{};
    return static_cast<std::int32_t>(v);
  }
  // Optional sign and digits, within 32 bits; blanks around only where Blanks is set.
  static bool Decimal(std::string t, std::int64_t& v, bool Blanks) {
    if (Blanks) t = Trim(t);
    std::size_t i = !t.empty() && (t[0] == '-' || t[0] == '+') ? 1 : 0;
    if (i == t.size() || t.size() > 12) return false;
    for (std::size_t j = i; j < t.size(); ++j)
      if (t[j] < '0' || t[j] > '9') return false;
    v = std::stoll(t);
    return v >= INT32_MIN && v <= INT32_MAX;
  }
  // The lenient scan of "#featdef": blanks, a sign, digits up to the first other character.
  static std::int32_t Scan(const std::string& t, std::size_t& pos) {
    while (pos + 1 < t.size() && t[pos] == ' ') ++pos;
    bool negative = false;
    if (pos < t.size() && (t[pos] == '-' || t[pos] == '+')) negative = t[pos++] == '-';
    std::int64_t v = 0;
    while (pos < t.size() && t[pos] >= '0' && t[pos] <= '9') {
      v = v * 10 + (t[pos++] - '0');
      if (v > (std::int64_t{1} << 32)) v = std::int64_t{1} << 32;
    }
    if (negative) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) throw Bad{};
    return static_cast<std::int32_t>(v);
  }
  static std::string Trim(const std::string& t) {
    const std::size_t a = t.find_first_not_of(' ');
    if (a == std::string::npos) return "";
    return t.substr(a, t.find_last_not_of(' ') - a + 1);
  }
  static std::string Lower(std::string t) {
    for (char& c : t)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return t;
  }

  void Run(ModelMatrix& m) {
    while (!Eof()) {
      const std::string line = ReadLn();
      if (line.empty() || line[0] != '#') continue;
      const std::size_t blank = line.find(' ');
      if (blank == std::string::npos) continue;
      const std::string keyword = Lower(line.substr(1, blank - 1));
      const std::string rest = Trim(line.substr(blank + 1));
      if (keyword == "featdef") {
        m.result = 0;
        std::size_t pos = 0;
        const std::int32_t n = Scan(rest, pos);
        if (Scan(rest, pos) != 1 || n < 0) throw Bad{};
        std::map<std::int32_t, TFeatProps> props;
        for (std::int64_t r = 0; r < 6 * std::int64_t{n}; ++r) {
          if (Eof()) throw Bad{};
          const std::int32_t i = ReadToken();
          if (i < 1 || i > n) throw Bad{};
          const std::string property = Trim(ReadLn());
          const std::size_t sep = property.find(' ');
          if (sep == std::string::npos) continue;
          const std::string key = Lower(property.substr(0, sep));
          const std::string value = Trim(property.substr(sep + 1));
          TFeatProps& p = props[i];
          if (key == "fplfeatnum") {
            std::int64_t v;
            if (!Decimal(value, v, true)) throw Bad{};
            p.FeatNum = static_cast<std::int32_t>(v);
          } else if (key == "fplfeatname") {
            p.FeatName = value.substr(0, 20);
          } else if (key == "fplfeatkind") {
            const std::string kinds[] = {"fkundefined", "fkinteger", "fkdouble", "fkstring",
                                         "fktristate"};
            const auto* k = std::find(std::begin(kinds), std::end(kinds), Lower(value));
            if (k == std::end(kinds)) throw Bad{};
            p.FeatKind = static_cast<TFeatKind>(k - std::begin(kinds));
          } else if (key == "fplcomment") {
            p.Comment = value.substr(0, 60);
          } else if (key == "fplpresets") {
            p.PresetValues = AnsiToString(value);
          } else if (key == "fplsorted") {
            p.Sorted = Lower(value) == "true";
          }
        }
        m.nFeats = n;
        m.props = std::move(props);
      } else if (keyword == "featvals") {
        const std::size_t sep = rest.find(' ');
        std::int64_t nf, no;
        if (sep == std::string::npos || !Decimal(rest.substr(0, sep), nf, true) ||
            !Decimal(rest.substr(sep + 1), no, true) || nf != m.nFeats || no < 0)
          throw Bad{};
        m.nObjs = static_cast<std::int32_t>(no);
        m.values.clear();
        while (!Eof()) {
          const std::string value = ReadLn();
          if (value.empty() || value[0] == '#') break;
          std::size_t pos = 0;
          const std::int32_t f = Scan(value, pos);
          const std::int32_t o = Scan(value, pos);
          if (f < 1 || f > nf || o < 1 || o > no) throw Bad{};
          m.values[{f, o}] = Trim(value.substr(pos));
        }
        return;
      }
    }
  }

  std::string FText;
  std::size_t FPos = 0;
};

// Random files near the format: a skeleton of both blocks with a few lines replaced,
// dropped or added, and numbers that are not quite numbers.
std::string RandomFeatureFile(std::mt19937& gen) {
  auto pick = [&](std::initializer_list<const char*> words) {
    return std::string(words.begin()[gen() % words.size()]);
  };
  auto number = [&](int below) {
    if (gen() % 8 == 0) return pick({"x", "-1", "$1", "0x1", "+2", "99999999999", "", "1x"});
    return std::to_string(gen() % below);
  };
  auto randomLine = [&] {
    switch (gen() % 5) {
      case 0:
        return pick({"", "junk", "#", "#featend", "#FEATVALS", " #featdef 1 1", "#other 1"});
      case 1:
        return number(4) + " " +
               pick({"fplFeatNum", "FPLFEATNAME", "fplFeatKind", "fplComment", "fplPresets",
                     "fplSorted", "fplGUIElem", "fplOther"}) +
               pick({"", " ", " 12", " $10", " abc", " fkString", " fkinteger", " TRUE",
                     "   two words  "});
      case 2:
        return number(4) + " " + number(5) + pick({"", " v", "  spaced value ", " #"});
      case 3:
        return "#featdef " + number(4) + " " + pick({"1", "1", "2", "1x", ""});
      default:
        return "#featvals " + number(4) + pick({" ", "  "}) + number(5);
    }
  };
  std::vector<std::string> lines;
  if (gen() % 4 == 0) lines.push_back(randomLine());
  const int n = static_cast<int>(gen() % 4);
  lines.push_back("#featdef " + std::to_string(n) + " 1");
  std::vector<std::string> records;
  const char* const keys[] = {"fplFeatNum 7",   "fplFeatName nm", "fplFeatKind fkDouble",
                              "fplComment c c", "fplPresets a,b", "fplSorted TRUE"};
  for (int i = 1; i <= n; ++i)
    for (const char* key : keys) records.push_back(std::to_string(i) + " " + key);
  std::shuffle(records.begin(), records.end(), gen);
  lines.insert(lines.end(), records.begin(), records.end());
  const int objs = static_cast<int>(gen() % 4);
  lines.push_back("#featvals " + std::to_string(n) + " " + std::to_string(objs));
  for (int v = gen() % 5; v > 0; --v)
    lines.push_back(std::to_string(1 + gen() % (n + 1)) + " " +
                    std::to_string(1 + gen() % (objs + 1)) + " val" + std::to_string(v));
  lines.push_back("#featend");
  for (int change = gen() % 3; change > 0; --change) {
    const std::size_t at = gen() % (lines.size() + 1);
    switch (gen() % 3) {
      case 0:
        if (at < lines.size()) lines[at] = randomLine();
        break;
      case 1:
        if (at < lines.size()) lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
        break;
      default:
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), randomLine());
    }
  }
  std::string text;
  for (const std::string& line : lines) text += line + (gen() % 2 ? "\r\n" : "\n");
  return text;
}

TEST_F(FeatureFile, ReaderAgreesWithTheFormatOnRandomFiles) {
  std::mt19937 gen(77);
  std::map<std::int32_t, int> outcomes;
  for (int round = 0; round < 400; ++round) {
    const std::string text = RandomFeatureFile(gen);
    SCOPED_TRACE(text);
    const ModelMatrix want = ModelReader(text).Read();
    ++outcomes[want.result];
    test::WriteBytes(dir.NativeFile("m.txt"), text);
    TextFile f(dir.File("m.txt"));
    f.Reset();
    ASSERT_EQ(m.LoadFromOpenFile(f), want.result);
    f.Close();
    ASSERT_EQ(m.NFeatures(), want.nFeats);
    ASSERT_EQ(m.NObjects(), want.nObjs);
    for (std::int32_t i = 1; i <= want.nFeats; ++i) {
      const auto found = want.props.find(i);
      const TFeatProps p = found != want.props.end() ? found->second : TFeatProps{};
      const TFeatProps q = m.GetFeatProps(i);
      EXPECT_EQ(q.FeatNum, p.FeatNum);
      EXPECT_EQ(q.FeatName, p.FeatName);
      EXPECT_EQ(q.FeatKind, p.FeatKind);
      EXPECT_EQ(q.Comment, p.Comment);
      EXPECT_EQ(q.PresetValues, p.PresetValues);
      EXPECT_EQ(q.Sorted, p.Sorted);
      for (std::int32_t o = 1; o <= want.nObjs; ++o) {
        const auto value = want.values.find({i, o});
        TFeatProps asString = q;
        asString.FeatKind = fkString;  // read the text whatever the kind
        m.SetFeatProps(i, asString);
        EXPECT_EQ(m.FeatVal(i, o), AnsiToString(value != want.values.end() ? value->second : ""));
        m.SetFeatProps(i, q);
      }
    }
  }
  // The files must exercise both sound reading and the errors.
  EXPECT_GT(outcomes[0], 40);
  EXPECT_GT(outcomes[-2], 50);
}

}  // namespace
}  // namespace kez
