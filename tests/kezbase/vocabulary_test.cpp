// The shared vocabulary: enumerations, records, word tables, status globals.
#include <gtest/gtest.h>

#include <set>

#include "kez/kezbase.hpp"
#include "kez/package.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

// Layout facts that files and other packages rely on.
static_assert(sizeof(TMouseActMode) == 1 && sizeof(TLanguage) == 1 && sizeof(TFrameStyle) == 1);
static_assert(sizeof(TRectDouble) == 4 * sizeof(double));
static_assert(sizeof(ProcStat) == 8 && sizeof(LastProcStat) == 8);
static_assert(maZoomPanColors == 18 && tlsimple == 1 && Bool == 5 && csvTab == 4);

// Each word table has exactly one word per member of its enumeration.
static_assert(xmlVerticalAlignment.size() == vaBottom + 1);
static_assert(xmlAlignment.size() == taCenter + 1);
static_assert(xmlBkgFill.size() == bfTile + 1);
static_assert(xmlBoundingBox.size() == bbFaces + 1);
static_assert(xmlColorScheme.size() == csSystem + 1);
static_assert(xmlFigType.size() == ftUserText + 1);
static_assert(xmlScaleType.size() == sctYR + 1);
static_assert(xmlYearLength.size() == ylYYYY + 1);
static_assert(xmlDateOrder.size() == doYYMMDD + 1);
static_assert(xmlDateForTime.size() == dtAllTicks + 1);
static_assert(xmlShadowStyle.size() == ssBox + 1);
static_assert(xmlFrameStyle.size() == fsEngraved + 1);
static_assert(xmlTimeFormat.size() == tfAMPM + 1);
static_assert(xmlDirection.size() == dirRightward + 1);
static_assert(xmlLanguage.size() == lgSpanish + 1);
static_assert(xmlVarKind.size() == strg + 1);
static_assert(xmlMouseBoxState.size() == msFinished + 1);
static_assert(xmlMouseActMode.size() == maZoomPanColors + 1);
static_assert(xmlZoomState.size() == zsDrawWin + 1);
static_assert(xmlCrossHMode.size() == chBox + 1);
static_assert(xmlTxtLblMode.size() == tlShadow + 1);
static_assert(xmlTxtLblAttachMode.size() == tlamBoth + 1);
static_assert(xmlFontStyle.size() == fsStrikeOut + 1);

TEST(VocabularyTest, Examples) {
  EXPECT_EQ(xmlFrameStyle[fsLowered], u"fsLowered");
  EXPECT_EQ(ResolveCSVDelimiter(u';'), csvSemicolon);
  EXPECT_EQ(AnsiToString(MonthShort[lgGerman][3]), u"Mär");
}

TEST(VocabularyTest, WordTablesSpellTheMembers) {
  EXPECT_EQ(xmlVarKind[Bool], u"bool");
  EXPECT_EQ(xmlVarKind[rnum], u"rnum");
  EXPECT_EQ(xmlTxtLblMode[tlsimple], u"tlsimple");
  EXPECT_EQ(xmlAlignment[taRightJustify], u"taRightJustify");
  EXPECT_EQ(xmlFontStyle[fsStrikeOut], u"fsStrikeOut");
  EXPECT_EQ(xmlMouseActMode[maZoomPanColors], u"maZoomPanColors");
  EXPECT_EQ(xmlMouseActMode[maRotZOnly], u"maRotZOnly");
  EXPECT_EQ(xmlTimeFormat[tfHHhMM], u"tfHHhMM");
  EXPECT_EQ(xmlTxtLblAttachMode[tlamYOnly], u"tlamYOnly");
  EXPECT_EQ(xmlCrossHMode[chCrossBox], u"chCrossBox");
  // The reader looks words up, so no table may hold one twice.
  for (auto table :
       {std::span<const StringView>(xmlMouseActMode), std::span<const StringView>(xmlFrameStyle),
        std::span<const StringView>(xmlTxtLblMode)}) {
    EXPECT_EQ(std::set<StringView>(table.begin(), table.end()).size(), table.size());
  }
}

TEST(VocabularyTest, ResolveCSVDelimiterInvertsTheTable) {
  for (TCSVDelimiters d : {csvSemicolon, csvComma, csvColon, csvTab}) {
    EXPECT_EQ(ResolveCSVDelimiter(CSVDelimiters[d]), d);
  }
  EXPECT_EQ(CSVDelimiters[csvTab], u'\t');
  for (char16_t c : {u'\0', u'.', u' ', u'|', u'\uFF1B'}) {
    EXPECT_EQ(ResolveCSVDelimiter(c), csvUnknown) << int(c);
  }
}

TEST(VocabularyTest, CalendarWordsAreWindows1252) {
  EXPECT_EQ(MonthShort[lgGerman][1], "J\xE4n");
  EXPECT_EQ(MonthShort[lgFrench][6], "juin");
  EXPECT_EQ(MonthShort[lgFrench][12],
            "d\xE9"
            "c");
  EXPECT_EQ(MonthLong[lgFrench][2], "f\xE9vrier ");  // the trailing blank belongs to it
  EXPECT_EQ(AnsiToString(MonthLong[lgGerman][1]), u"Jänner");
  EXPECT_EQ(MonthLong[lgSpanish][5], "mai");
  EXPECT_EQ(MonthLong[lgEnglish][9], "September");
  EXPECT_EQ(WeekDayShort[lgGerman][1], "Mo");  // Monday first
  EXPECT_EQ(WeekDayShort[lgEnglish][7], "Sun");
  EXPECT_EQ(AnsiToString(WeekDayLong[lgSpanish][3]), u"miércoles");
  EXPECT_EQ(AnsiToString(WeekDayLong[lgSpanish][6]), u"sábado");
  EXPECT_EQ(NumWords[lgEnglish][0], "zero");
  EXPECT_EQ(AnsiToString(NumWords[lgGerman][12]), u"zwölf");
  EXPECT_EQ(NumWords[lgFrench][1], "celui");
  EXPECT_EQ(NumWords[lgSpanish][12], "doce");
}

TEST(VocabularyTest, UnknownLanguageHoldsPlaceholders) {
  auto two = [](int n) { return std::string(1, char('0' + n / 10)) + char('0' + n % 10); };
  for (int m = 1; m <= 12; ++m) {
    EXPECT_EQ(MonthShort[lgUnknown][m], "M" + two(m));
    EXPECT_EQ(MonthLong[lgUnknown][m], "M" + two(m));
  }
  for (int d = 1; d <= 7; ++d) {
    EXPECT_EQ(WeekDayShort[lgUnknown][d], "D" + two(d));
    EXPECT_EQ(WeekDayLong[lgUnknown][d], "D" + two(d));
  }
  for (int n = 0; n <= 12; ++n) EXPECT_EQ(NumWords[lgUnknown][n], "N" + two(n));
}

TEST(VocabularyTest, LanguageNames) {
  for (long lg = lgUnknown; lg <= lgSpanish; ++lg) {
    EXPECT_EQ(LanguageID[lgUnknown][lg], "???");
    EXPECT_EQ(LanguageID[lg][lgUnknown], "???");
  }
  EXPECT_EQ(LanguageID[lgEnglish][lgGerman], "German");
  EXPECT_EQ(AnsiToString(LanguageID[lgGerman][lgFrench]), u"französisch");
  EXPECT_EQ(AnsiToString(LanguageID[lgFrench][lgFrench]), u"français");
  EXPECT_EQ(AnsiToString(LanguageID[lgSpanish][lgGerman]), u"alemán");
  EXPECT_EQ(AnsiToString(LanguageID[lgSpanish][lgSpanish]), u"español");
}

TEST(VocabularyTest, RectangleCornersShareTheFields) {
  TRectDouble r{1, 2, 3, 4};
  EXPECT_EQ(r.TopLeft(), (TPointDouble{1, 2}));
  EXPECT_EQ(r.BottomRight(), (TPointDouble{3, 4}));
  r.SetTopLeft({-1, -2});
  r.SetBottomRight({5, 6});
  EXPECT_EQ(r.Left, -1);
  EXPECT_EQ(r.Top, -2);
  EXPECT_EQ(r.Right, 5);
  EXPECT_EQ(r.Bottom, 6);
}

TEST(VocabularyTest, StatusGlobals) {
  EXPECT_FALSE(AbortMathProc);
  EXPECT_FALSE(MathFeedBackProc());
  double seen = 0;
  MathFeedBackProc() = [&](double s) { seen = s; };
  MathFeedBackProc()(2.5);
  EXPECT_EQ(seen, 2.5);
  MathFeedBackProc() = nullptr;

  // A new start of the library clears ProcStat and leaves LastProcStat alone.
  ProcStat = 42;
  LastProcStat = 7;
  Finalize();
  EXPECT_EQ(ProcStat, 42);
  Initialize();
  EXPECT_EQ(ProcStat, 0);
  EXPECT_EQ(LastProcStat, 7);
  LastProcStat = 0;
}

}  // namespace
}  // namespace kez
