#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "kez/kezbase.hpp"
#include "kez/platform/exceptions.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

// Counts the notifications an object sends and checks their sender.
struct Receiver {
  int Count = 0;
  TObject* Last = nullptr;
  TNotifyEvent Handler() {
    return [this](TObject* Sender) {
      ++Count;
      Last = Sender;
    };
  }
};

// One row of a notification table: a setter call and how many notifications it sends when
// applied to a fresh object twice (once with a new value, once with the same value again).
template <class T>
struct SetterRow {
  std::string Name;
  std::function<void(T&)> Call;
  int Expected;
};

template <class T>
void CheckNotifications(const std::vector<SetterRow<T>>& Rows) {
  for (const auto& row : Rows) {
    T object;
    Receiver r;
    object.SetOnChange(r.Handler());
    row.Call(object);
    row.Call(object);
    EXPECT_EQ(r.Count, row.Expected) << row.Name;
    if (r.Count > 0) {
      EXPECT_EQ(r.Last, &object) << row.Name;
    }
  }
}

TEST(CrossHair, EverySetterNotifiesEvenWithoutChange) {
  CheckNotifications<TCrossHair>({
      {"PosX", [](TCrossHair& c) { c.SetCrossHPosX(1.5); }, 2},
      {"PosY", [](TCrossHair& c) { c.SetCrossHPosY(-2); }, 2},
      {"Color", [](TCrossHair& c) { c.SetCrossHColor(0xFF); }, 2},
      {"Mode", [](TCrossHair& c) { c.SetCrossHMode(chBoth); }, 2},
      {"LineType", [](TCrossHair& c) { c.SetCrossHLineType(psDot); }, 2},
      {"LineWid", [](TCrossHair& c) { c.SetCrossHLineWid(3); }, 2},
      {"Layer", [](TCrossHair& c) { c.SetCrossHLayer(2); }, 2},
      {"SetPos", [](TCrossHair& c) { c.SetPos(4, 5); }, 1},
  });
}

TEST(CrossHair, NewObjectIsAllZeroAndLayerIsClamped) {
  TCrossHair c;
  EXPECT_EQ(c.PosX(), 0);
  EXPECT_EQ(c.Color(), 0u);
  EXPECT_EQ(c.Mode(), chOff);
  EXPECT_EQ(c.LineType(), psSolid);
  EXPECT_EQ(c.LineWid(), 0);
  EXPECT_EQ(c.Layer(), 0);
  const std::pair<std::int32_t, std::int32_t> cases[] = {
      {0, 1}, {1, 1}, {2, 2}, {7, 2}, {-1, 1}, {INT32_MAX, 2}, {INT32_MIN, 1}};
  for (auto [in, out] : cases) {
    Receiver r;
    c.SetOnChange(r.Handler());
    c.SetCrossHLayer(in);
    EXPECT_EQ(c.Layer(), out) << in;
    EXPECT_EQ(r.Count, 1) << in;
  }
}

TEST(CrossHair, SetPosNotifiesOnceWhenEitherCoordinateMoves) {
  TCrossHair c;
  Receiver r;
  c.SetOnChange(r.Handler());
  c.SetPos(0, 0);
  EXPECT_EQ(r.Count, 0);
  c.SetPos(0, 3);
  EXPECT_EQ(r.Count, 1);
  c.SetPos(2, 3);
  EXPECT_EQ(r.Count, 2);
  EXPECT_EQ(c.PosX(), 2);
  EXPECT_EQ(c.PosY(), 3);
}

TEST(DTLabel, OnlyTimeFormatAndDateOrderNotifyWithoutChange) {
  CheckNotifications<TDTLabel>({
      {"TimeFormat", [](TDTLabel& d) { d.SetTimeFormat(tfAMPM); }, 2},
      {"DateOrder", [](TDTLabel& d) { d.SetDAteOrder(doYYMMDD); }, 2},
      {"DateSeparator", [](TDTLabel& d) { d.SetDateSeparator(u'.'); }, 1},
      {"TimeSeparator", [](TDTLabel& d) { d.SetTimeSeparator(u':'); }, 1},
      {"YearLength", [](TDTLabel& d) { d.SetYearLength(ylYYYY); }, 1},
      {"MonthName", [](TDTLabel& d) { d.SetMonthName(true); }, 1},
      {"DateForTime", [](TDTLabel& d) { d.SetDateForTime(dtAllTicks); }, 1},
      // The initial values: the unconditional setters still notify.
      {"DateOrder initial", [](TDTLabel& d) { d.SetDAteOrder(doMMDDYY); }, 2},
      {"DateSeparator initial", [](TDTLabel& d) { d.SetDateSeparator(0); }, 0},
      {"MonthName initial", [](TDTLabel& d) { d.SetMonthName(false); }, 0},
  });
}

TEST(TextLabel, SettersNotifyExceptRefusedLayers) {
  TFont font;
  font.SetName(u"DejaVu Serif");
  CheckNotifications<TCustomTextLabel>({
      {"PosX", [](TCustomTextLabel& l) { l.SetTxtLblPosX(100); }, 2},
      {"PosY", [](TCustomTextLabel& l) { l.SetTxtLblPosY(1); }, 2},
      {"Layer 16", [](TCustomTextLabel& l) { l.SetTxtLblLayer(16); }, 2},
      {"Layer 1", [](TCustomTextLabel& l) { l.SetTxtLblLayer(1); }, 2},
      {"Layer 0", [](TCustomTextLabel& l) { l.SetTxtLblLayer(0); }, 0},
      {"Layer 17", [](TCustomTextLabel& l) { l.SetTxtLblLayer(17); }, 0},
      {"Layer min", [](TCustomTextLabel& l) { l.SetTxtLblLayer(INT32_MIN); }, 0},
      {"ShadowDx", [](TCustomTextLabel& l) { l.SetTxtLblShadowDx(-2); }, 2},
      {"ShadowDy", [](TCustomTextLabel& l) { l.SetTxtLblShadowDy(2); }, 2},
      {"ColorShadow", [](TCustomTextLabel& l) { l.SetTxtLblColorShadow(1); }, 2},
      {"Alignment", [](TCustomTextLabel& l) { l.SetTxtLblAlignment(taCenter); }, 2},
      {"VertAlignment", [](TCustomTextLabel& l) { l.SetTxtLblVertAlignment(vaTop); }, 2},
      {"AttachMode", [](TCustomTextLabel& l) { l.SetTxtLblScreenPos(tlamBoth); }, 2},
      {"ColorBkg", [](TCustomTextLabel& l) { l.SetTxtLblColorBkg(2); }, 2},
      {"ColorBrd", [](TCustomTextLabel& l) { l.SetTxtLblColorBrd(3); }, 2},
      {"Transparent", [](TCustomTextLabel& l) { l.SetTxtLblTranspar(true); }, 2},
      {"Font", [&](TCustomTextLabel& l) { l.SetTxtLblFont(font); }, 2},
      {"Caption", [](TCustomTextLabel& l) { l.SetTxtLblCaption(u"x"); }, 2},
      {"Mode", [](TCustomTextLabel& l) { l.SetTxtLblMode(tlBox); }, 2},
      {"Visible", [](TCustomTextLabel& l) { l.SetTxtLblVisible(true); }, 2},
  });
}

TEST(TextLabel, InitialValues) {
  TCustomTextLabel l;
  EXPECT_EQ(l.PosX(), 100.0);
  EXPECT_EQ(l.PosY(), 10.0);
  EXPECT_EQ(l.Layer(), 1);
  EXPECT_EQ(l.ColorShadow(), 0x808080u);
  EXPECT_EQ(l.Alignment(), taCenter);
  EXPECT_EQ(l.VertAlignment(), vaBottom);
  EXPECT_EQ(l.AttachMode(), tlamNone);
  EXPECT_EQ(l.ColorBkg(), 0xC0C0C0u);
  EXPECT_EQ(l.ColorBrd(), 0u);
  EXPECT_FALSE(l.Transparent());
  EXPECT_TRUE(l.Visible());
  EXPECT_EQ(l.Mode(), tlsimple);
  EXPECT_EQ(l.Caption(), u"");
  EXPECT_EQ(l.Font().Name(), TFont().Name());
}

TEST(TextLabel, CaptionTurnsControlCharactersButLineFeedIntoBlanks) {
  TCustomTextLabel l;
  l.SetTxtLblCaption(u"A\tB\nC");
  EXPECT_EQ(l.Caption(), u"A B\nC");
  l.SetTxtLblCaption(std::u16string(u"\0\r\x1f\x20\x7f\u00e9", 6));
  EXPECT_EQ(l.Caption(), u"    \x7f\u00e9");
}

TEST(TextLabel, FontIsCopiedByAttributes) {
  TCustomTextLabel l;
  const TFont* own = &l.Font();
  TFont font;
  font.SetName(u"DejaVu Serif");
  font.SetSize(14);
  font.SetStyle({fsItalic});
  l.SetTxtLblFont(font);
  EXPECT_EQ(&l.Font(), own);
  EXPECT_EQ(l.Font().Name(), u"DejaVu Serif");
  EXPECT_EQ(l.Font().Size(), 14);
  EXPECT_EQ(l.Font().Style(), TFontStyles{fsItalic});
  font.SetName(u"Other");
  EXPECT_EQ(l.Font().Name(), u"DejaVu Serif");
}

TEST(Assign, CopiesEveryFieldAndSharesTheHandlerWithoutFiring) {
  Receiver r;
  TCustomTextLabel a;
  a.SetTxtLblPosX(1);
  a.SetTxtLblPosY(2);
  a.SetTxtLblLayer(5);
  a.SetTxtLblShadowDx(-1);
  a.SetTxtLblShadowDy(-2);
  a.SetTxtLblColorShadow(7);
  a.SetTxtLblAlignment(taLeftJustify);
  a.SetTxtLblVertAlignment(vaCenter);
  a.SetTxtLblScreenPos(tlamYOnly);
  a.SetTxtLblColorBkg(8);
  a.SetTxtLblColorBrd(9);
  a.SetTxtLblTranspar(true);
  a.Font().SetName(u"DejaVu Serif");
  a.SetTxtLblCaption(u"cap");
  a.SetTxtLblMode(tlUnderline);
  a.SetTxtLblVisible(false);
  a.SetOnChange(r.Handler());

  TCustomTextLabel b;
  b.Assign(&a);
  EXPECT_EQ(r.Count, 0);
  EXPECT_EQ(b.PosX(), 1);
  EXPECT_EQ(b.PosY(), 2);
  EXPECT_EQ(b.Layer(), 5);
  EXPECT_EQ(b.ShadowDx(), -1);
  EXPECT_EQ(b.ShadowDy(), -2);
  EXPECT_EQ(b.ColorShadow(), 7u);
  EXPECT_EQ(b.Alignment(), taLeftJustify);
  EXPECT_EQ(b.VertAlignment(), vaCenter);
  EXPECT_EQ(b.AttachMode(), tlamYOnly);
  EXPECT_EQ(b.ColorBkg(), 8u);
  EXPECT_EQ(b.ColorBrd(), 9u);
  EXPECT_TRUE(b.Transparent());
  EXPECT_EQ(b.Font().Name(), u"DejaVu Serif");
  EXPECT_NE(&b.Font(), &a.Font());
  EXPECT_EQ(b.Caption(), u"cap");
  EXPECT_EQ(b.Mode(), tlUnderline);
  EXPECT_FALSE(b.Visible());
  // Both objects now notify the same receiver, each as its own sender.
  b.Changed();
  EXPECT_EQ(r.Count, 1);
  EXPECT_EQ(r.Last, &b);
  a.Changed();
  EXPECT_EQ(r.Last, &a);
  b.Assign(&b);  // assigning itself keeps everything
  EXPECT_EQ(b.Caption(), u"cap");
}

TEST(Assign, CrossHairAndDTLabelCopyTheirFieldsAndHandler) {
  Receiver r;
  TCrossHair c;
  c.SetPos(1, 2);
  c.SetCrossHColor(3);
  c.SetCrossHMode(chBox);
  c.SetCrossHLineType(psDash);
  c.SetCrossHLineWid(4);
  c.SetCrossHLayer(2);
  c.SetOnChange(r.Handler());
  TCrossHair c2;
  c2.Assign(&c);
  EXPECT_EQ(r.Count, 0);
  EXPECT_EQ(c2.PosX(), 1);
  EXPECT_EQ(c2.PosY(), 2);
  EXPECT_EQ(c2.Color(), 3u);
  EXPECT_EQ(c2.Mode(), chBox);
  EXPECT_EQ(c2.LineType(), psDash);
  EXPECT_EQ(c2.LineWid(), 4);
  EXPECT_EQ(c2.Layer(), 2);
  c2.Changed();
  EXPECT_EQ(r.Last, &c2);

  TDTLabel d;
  d.SetTimeFormat(tfHHhMM);
  d.SetDateSeparator(u'/');
  d.SetTimeSeparator(u'h');
  d.SetYearLength(ylYY);
  d.SetMonthName(true);
  d.SetDAteOrder(doDDMMYY);
  d.SetDateForTime(dtOnePerDay);
  d.SetOnChange(r.Handler());
  TDTLabel d2;
  d2.Assign(&d);
  EXPECT_EQ(d2.TimeFormat(), tfHHhMM);
  EXPECT_EQ(d2.DateSeparator(), u'/');
  EXPECT_EQ(d2.TimeSeparator(), u'h');
  EXPECT_EQ(d2.YearLength(), ylYY);
  EXPECT_TRUE(d2.MonthName());
  EXPECT_EQ(d2.DateOrder(), doDDMMYY);
  EXPECT_EQ(d2.DateForTime(), dtOnePerDay);
  d2.Changed();
  EXPECT_EQ(r.Last, &d2);
}

TEST(Assign, OtherClassesAreRefused) {
  TCrossHair c;
  TDTLabel d;
  TCustomTextLabel l;
  EXPECT_THROW_MSG(c.Assign(&d), EConvertError, u"Cannot assign a TDTLabel to a TCrossHair");
  EXPECT_THROW_MSG(l.Assign(&c), EConvertError,
                   u"Cannot assign a TCrossHair to a TCustomTextLabel");
  EXPECT_THROW_MSG(d.Assign(nullptr), EConvertError, u"Cannot assign a nil to a TDTLabel");
}

// A label class derived from the base one, as the chart components declare them.
class TChartLabel : public TCustomTextLabel {};

TEST(Assign, DerivedLabelsCopyBothWays) {
  TChartLabel derived;
  derived.SetTxtLblCaption(u"derived");
  TCustomTextLabel base;
  base.Assign(&derived);
  EXPECT_EQ(base.Caption(), u"derived");
  base.SetTxtLblCaption(u"base");
  derived.Assign(&base);
  EXPECT_EQ(derived.Caption(), u"base");
}

}  // namespace
}  // namespace kez
