#include "kez/dstruct/featurematrix.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kez/dstruct.hpp"
#include "kez/platform/sysutils.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

// A named matrix with one feature of each kind, in TFeatKind order, and Objs objects.
struct KindMatrix {
  explicit KindMatrix(std::int32_t Objs = 2) : m(nullptr) {
    m.SetName(u"FM");
    m.Resize(5, Objs);
    for (std::int32_t k = 0; k < 5; ++k) {
      TFeatProps p = m.GetFeatProps(k + 1);
      p.FeatKind = static_cast<TFeatKind>(k);
      p.FeatName = "f" + std::to_string(k);
      m.SetFeatProps(k + 1, p);
    }
    m.SetOnChange([this](TObject* Sender) {
      EXPECT_EQ(Sender, &m);
      ++changes;
    });
  }
  static std::int32_t Feat(TFeatKind k) { return k + 1; }
  TFeatureMatrix m;
  int changes = 0;
};

String Msg(StringView Name, StringView Text) {
  return u"Component \"" + String(Name) + u"\": " + String(Text);
}

TEST(FeatureMatrix, Examples) {
  TFeatureMatrix m(nullptr);
  EXPECT_EQ(m.NFeatures(), 0);
  EXPECT_EQ(m.NObjects(), 0);
  ASSERT_TRUE(m.Resize(2, 3));
  TFeatProps p = m.GetFeatProps(1);
  EXPECT_EQ(p.FeatName, "");  // grown descriptions are all zero
  p.FeatName = "Length";
  p.FeatKind = fkDouble;
  m.SetFeatProps(1, p);
  m.SetFeatValDouble(1, 2, 12.5);
  EXPECT_EQ(m.FeatVal(1, 2), u"12.5");
  EXPECT_EQ(m.FeatValAsDouble(1, 2), 12.5);
  EXPECT_EQ(m.FindFeatName("LENGTH"), 1);
  EXPECT_EQ(m.FindFeatName(u"length"), 1);
  EXPECT_EQ(m.FindFeatName("width"), -1);
  p.FeatName = "caf\xE9?";
  m.SetFeatProps(2, p);
  EXPECT_EQ(m.FindFeatName(u"CAF\u00E9?"), 2);
  EXPECT_EQ(m.FindFeatName(u"caf\u00E9\u4E00"), -1);  // no "?" stands in for it
  EXPECT_EQ(FEATKINDIDS[fkTriState], u"tristate");
  EXPECT_EQ(FeatKindNames[fkDouble], u"fkDouble");
}

TEST(FeatureMatrix, ErrorsCarryTheComponentName) {
  for (const char16_t* name : {u"FM", u""}) {
    KindMatrix k;
    k.m.SetName(name);
    k.m.SetFeatValStr(KindMatrix::Feat(fkString), 1, u"abc");
    EXPECT_THROW_MSG(k.m.FeatValAsInt(KindMatrix::Feat(fkString), 1), EKEZDStructError,
                     Msg(name, u"feature is not an integer"));
    EXPECT_THROW_MSG(k.m.Fill(KindMatrix::Feat(fkString), 3.5), EKEZDStructError,
                     Msg(name, u"feature 4 is not floating point number"));
  }
}

// Which typed writers each kind takes, and the error text of a refusal.
TEST(FeatureMatrix, TypedWritersByKind) {
  const char16_t* noInt = u"feature is not of numeric or string type";
  const char16_t* noDouble = u"feature is not a floating point or string type";
  const char16_t* noTri = u"feature is not a tri-state or string type";
  const struct {
    TFeatKind kind;
    const char16_t *intErr, *doubleErr, *triErr;
  } cases[] = {{fkUndefined, noInt, noDouble, noTri},
               {fkInteger, nullptr, noDouble, noTri},
               {fkDouble, nullptr, nullptr, noTri},
               {fkString, nullptr, nullptr, nullptr},
               {fkTriState, noInt, noDouble, nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    KindMatrix k;
    const std::int32_t f = KindMatrix::Feat(c.kind);
    auto check = [&](auto write, const char16_t* err, const char16_t* stored) {
      k.changes = 0;
      if (err != nullptr) {
        EXPECT_THROW_MSG(write(), EKEZDStructError, Msg(u"FM", err));
        EXPECT_EQ(k.changes, 0);
      } else {
        write();
        EXPECT_EQ(k.changes, 1);
        EXPECT_EQ(k.m.FeatVal(f, 1), stored);
      }
    };
    check([&] { k.m.SetFeatValint(f, 1, std::int64_t{1} << 40); }, c.intErr, u"1099511627776");
    check([&] { k.m.SetFeatValDouble(f, 1, -0.25); }, c.doubleErr, u"-0.25");
    check([&] { k.m.SetFeatValTriState(f, 1, tsFalse); }, c.triErr, u"false");
  }
}

TEST(FeatureMatrix, IntegerWriteIntoDoubleReadsBack) {
  KindMatrix k;
  k.m.SetFeatValint(KindMatrix::Feat(fkDouble), 1, 5);
  EXPECT_EQ(k.m.FeatValAsDouble(KindMatrix::Feat(fkDouble), 1), 5);
  for (std::int64_t v : {std::int64_t{1} << 40, std::numeric_limits<std::int64_t>::min(),
                         std::numeric_limits<std::int64_t>::max()}) {
    k.m.SetFeatValint(KindMatrix::Feat(fkInteger), 2, v);
    EXPECT_EQ(k.m.FeatValAsInt(KindMatrix::Feat(fkInteger), 2), v);
  }
}

// SetFeatValStr checks the text by the kind; Fill does the same but refuses the empty text
// for the numeric kinds.
TEST(FeatureMatrix, TextWritesAreCheckedByKind) {
  const char16_t* badInt = u" is not a valid integer number";
  const char16_t* badFloat = u" is not a valid floating point number";
  const char16_t* badTri = u" is not a valid tri-state value";
  const struct {
    TFeatKind kind;
    const char16_t* text;
    const char16_t* setErr;   // nullptr: accepted
    const char16_t* fillErr;  // nullptr: accepted
  } cases[] = {
      {fkInteger, u"-12", nullptr, nullptr},
      {fkInteger, u"+7", nullptr, nullptr},
      {fkInteger, u"", nullptr, badInt},
      {fkInteger, u"+", badInt, badInt},
      {fkInteger, u" 5", badInt, badInt},
      {fkInteger, u"1.5", badInt, badInt},
      {fkInteger, u"9223372036854775808", badInt, badInt},  // beyond 64 bits
      {fkDouble, u"1.5e3", nullptr, nullptr},
      {fkDouble, u"1.5abc", nullptr, nullptr},  // starts with a number
      {fkDouble, u"", nullptr, badFloat},
      {fkDouble, u"abc", badFloat, badFloat},
      {fkDouble, u"1e5000", badFloat, badFloat},
      {fkDouble, u"1.2.3", badFloat, badFloat},
      {fkTriState, u"TRUE", nullptr, nullptr},
      {fkTriState, u"", nullptr, nullptr},
      {fkTriState, u"yes", badTri, badTri},
      {fkTriState, u" true", badTri, badTri},
      {fkString, u" any text ", nullptr, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(test::U8(c.text));
    KindMatrix k(3);
    const std::int32_t f = KindMatrix::Feat(c.kind);
    const String err =
        c.setErr ? Msg(u"FM", u"feature value \"" + String(c.text) + u"\"" + String(c.setErr))
                 : String();
    if (c.setErr) {
      EXPECT_THROW_MSG(k.m.SetFeatValStr(f, 2, c.text), EKEZDStructError, err);
    } else {
      k.m.SetFeatValStr(f, 2, c.text);
      EXPECT_EQ(k.m.FeatVal(f, 2), c.text);
    }
    k.changes = 0;
    if (c.fillErr) {
      EXPECT_THROW_MSG(
          k.m.Fill(f, StringView(c.text)), EKEZDStructError,
          Msg(u"FM", u"feature value \"" + String(c.text) + u"\"" + String(c.fillErr)));
      EXPECT_EQ(k.changes, 0);
    } else {
      EXPECT_TRUE(k.m.Fill(f, StringView(c.text)));
      EXPECT_EQ(k.changes, 1);
      for (std::int32_t o = 1; o <= 3; ++o) EXPECT_EQ(k.m.FeatVal(f, o), c.text);
    }
  }
  KindMatrix k;
  EXPECT_THROW_MSG(k.m.SetFeatValStr(1, 1, u"x"), EKEZDStructError,
                   Msg(u"FM", u"feature 1 is undefined"));
  EXPECT_THROW_MSG(k.m.Fill(1, StringView(u"x")), EKEZDStructError,
                   Msg(u"FM", u"feature 1 is undefined"));
  EXPECT_THROW_MSG(k.m.FeatVal(1, 1), EKEZDStructError, Msg(u"FM", u"feature 1 is undefined"));
}

// The getters read any kind's text; each kind of text against each getter.
TEST(FeatureMatrix, TypedReadersTestTheStoredText) {
  KindMatrix k;
  const std::int32_t f = KindMatrix::Feat(fkString);
  const String notInt = Msg(u"FM", u"feature is not an integer");
  const String notFloat = Msg(u"FM", u"feature is not a floating point number");
  const String notTri = Msg(u"FM", u"feature is not a tri-state value");
  k.m.SetFeatValStr(f, 1, u"42");
  EXPECT_EQ(k.m.FeatValAsInt(f, 1), 42);
  EXPECT_EQ(k.m.FeatValAsDouble(f, 1), 42);
  EXPECT_THROW_MSG(k.m.FeatValAsTriState(f, 1), EKEZDStructError, notTri);
  k.m.SetFeatValStr(f, 1, u"FALSE");
  EXPECT_EQ(k.m.FeatValAsTriState(f, 1), tsFalse);
  EXPECT_THROW_MSG(k.m.FeatValAsInt(f, 1), EKEZDStructError, notInt);
  EXPECT_THROW_MSG(k.m.FeatValAsDouble(f, 1), EKEZDStructError, notFloat);
  k.m.SetFeatValStr(f, 1, u"");
  EXPECT_EQ(k.m.FeatValAsTriState(f, 1), tsUndefined);
  EXPECT_THROW_MSG(k.m.FeatValAsInt(f, 1), EKEZDStructError, notInt);
  k.m.SetFeatValStr(f, 1, u"99999999999999999999");
  EXPECT_THROW_MSG(k.m.FeatValAsInt(f, 1), EKEZDStructError, notInt);
  // Passes the number test, but is not a number as a whole: the conversion's own error.
  k.m.SetFeatValStr(f, 1, u"1.5abc");
  EXPECT_THROW(k.m.FeatValAsDouble(f, 1), EConvertError);
}

TEST(FeatureMatrix, TypedFillsNeedTheirKind) {
  KindMatrix k(4);
  EXPECT_TRUE(k.m.Fill(KindMatrix::Feat(fkInteger), 7));
  EXPECT_EQ(k.m.FeatVal(KindMatrix::Feat(fkInteger), 4), u"7");
  EXPECT_TRUE(k.m.Fill(KindMatrix::Feat(fkDouble), 0.1));
  EXPECT_EQ(k.m.FeatVal(KindMatrix::Feat(fkDouble), 4), u"0.1");
  EXPECT_TRUE(k.m.Fill(KindMatrix::Feat(fkTriState), tsTrue));
  EXPECT_EQ(k.m.FeatVal(KindMatrix::Feat(fkTriState), 4), u"true");
  EXPECT_EQ(k.changes, 3);

  const std::int32_t s = KindMatrix::Feat(fkString);
  EXPECT_THROW_MSG(k.m.Fill(s, std::int64_t{1}), EKEZDStructError,
                   Msg(u"FM", u"feature 4 is not an integer number"));
  EXPECT_THROW_MSG(k.m.Fill(KindMatrix::Feat(fkDouble), 1), EKEZDStructError,
                   Msg(u"FM", u"feature 3 is not an integer number"));
  EXPECT_THROW_MSG(k.m.Fill(s, tsTrue), EKEZDStructError,
                   Msg(u"FM", u"feature 4 is not a tri-state value"));
  for (std::int32_t bad : {0, 6}) {
    EXPECT_FALSE(k.m.Fill(bad, 1));
    EXPECT_FALSE(k.m.Fill(bad, 1.0));
    EXPECT_FALSE(k.m.Fill(bad, tsTrue));
    EXPECT_FALSE(k.m.Fill(bad, StringView(u"x")));
  }
  EXPECT_EQ(k.changes, 3);
}

TEST(FeatureMatrix, NonFiniteValuesStayOutOfDoubleFeatures) {
  KindMatrix k;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::int32_t d = KindMatrix::Feat(fkDouble);
  EXPECT_THROW_MSG(k.m.SetFeatValDouble(d, 1, nan), EKEZDStructError,
                   Msg(u"FM", u"feature value \"NAN\" is not a valid floating point number"));
  EXPECT_THROW(k.m.Fill(d, -std::numeric_limits<double>::infinity()), EKEZDStructError);
  // A string feature keeps the text.
  k.m.SetFeatValDouble(KindMatrix::Feat(fkString), 1, nan);
  EXPECT_EQ(k.m.FeatVal(KindMatrix::Feat(fkString), 1), u"NAN");
}

TEST(FeatureMatrix, OutOfRangeIsNeutralAndSilent) {
  KindMatrix k;
  const std::int32_t i = KindMatrix::Feat(fkInteger);
  for (auto [f, o] : {std::pair{0, 1}, {6, 1}, {i, 0}, {i, 3}}) {
    EXPECT_EQ(k.m.FeatVal(f, o), u"");
    EXPECT_EQ(k.m.FeatValAsInt(f, o), 0);
    EXPECT_EQ(k.m.FeatValAsDouble(f, o), 0);
    EXPECT_EQ(k.m.FeatValAsTriState(f, o), tsUndefined);
    k.m.SetFeatValint(f, o, 1);
    k.m.SetFeatValDouble(f, o, 1);
    k.m.SetFeatValTriState(f, o, tsTrue);
    k.m.SetFeatValStr(f, o, u"1");
    if (f != i) k.m.SetFeatProps(f, TFeatProps{});
  }
  EXPECT_EQ(k.changes, 0);
  const TFeatProps p = k.m.GetFeatProps(0);
  EXPECT_EQ(p.FeatName, "undefined");
  EXPECT_EQ(p.FeatKind, fkUndefined);
}

TEST(FeatureMatrix, SetFeatPropsKeepsTheRecordWithinItsLimits) {
  KindMatrix k;
  k.m.SetFeatValint(2, 1, 9);
  TFeatProps p;
  p.FeatNum = 17;
  p.FeatName = std::string(30, 'n');
  p.Comment = std::string(70, 'c');
  p.FeatKind = static_cast<TFeatKind>(200);
  k.m.SetFeatProps(2, p);
  const TFeatProps q = k.m.GetFeatProps(2);
  EXPECT_EQ(q.FeatName, std::string(20, 'n'));
  EXPECT_EQ(q.Comment, std::string(60, 'c'));
  EXPECT_EQ(q.FeatKind, fkUndefined);
  EXPECT_EQ(k.m.FindFeatNum(17), 2);
  EXPECT_EQ(k.m.FindFeatNum(99), -1);
  EXPECT_EQ(k.m.FeatValAsInt(2, 1), 9);  // the kind change left the values alone
}

TEST(FeatureMatrix, ResizeKeepsTheCommonPartOrFailsCleanly) {
  KindMatrix k(3);
  k.m.SetFeatValStr(KindMatrix::Feat(fkString), 3, u"keep");
  k.m.SetFeatValStr(KindMatrix::Feat(fkInteger), 1, u"5");
  k.changes = 0;
  ASSERT_TRUE(k.m.Resize(7, 4));
  EXPECT_EQ(k.changes, 1);
  EXPECT_EQ(k.m.FeatVal(4, 3), u"keep");
  EXPECT_EQ(k.m.GetFeatProps(4).FeatName, "f3");
  EXPECT_EQ(k.m.GetFeatProps(7).FeatName, "");
  EXPECT_EQ(k.m.FeatVal(4, 4), u"");
  ASSERT_TRUE(k.m.Resize(2, 1));
  EXPECT_EQ(k.m.FeatValAsInt(2, 1), 5);

  for (auto [nf, no] :
       {std::pair{-1, 1}, {1, -1}, {100000000, 100000000}, {INT32_MAX, INT32_MAX}}) {
    EXPECT_FALSE(k.m.Resize(nf, no));
  }
  EXPECT_EQ(k.m.NFeatures(), 2);
  EXPECT_EQ(k.m.NObjects(), 1);
  EXPECT_EQ(k.changes, 2);
  TFeatureMatrix wide(nullptr);
  wide.SetName(u"FM");
  ASSERT_TRUE(wide.Resize(100000, 1));
  EXPECT_THROW_MSG(wide.SetNObjs(2000000000), EKEZDStructError,
                   Msg(u"FM", u"not enough memory on heap"));
  EXPECT_EQ(wide.NObjects(), 1);
  k.m.SetNObjs(-3);  // ignored
  EXPECT_EQ(k.m.NObjects(), 1);
  k.m.SetNObjs(0);
  k.m.SetNFeats(3);
  EXPECT_EQ(k.m.NFeatures(), 3);
  EXPECT_EQ(k.m.NObjects(), 0);
  k.m.Clear();
  EXPECT_EQ(k.m.NFeatures(), 0);
  EXPECT_EQ(k.changes, 5);
}

TEST(FeatureMatrix, LargestObjectCountCannotGrow) {
  // Without features the largest object count takes no storage; one more cannot be counted.
  TFeatureMatrix m(nullptr);
  m.SetName(u"FM");
  ASSERT_TRUE(m.Resize(0, INT32_MAX));
  EXPECT_THROW_MSG(m.InsertObject(1), EKEZDStructError, Msg(u"FM", u"not enough memory on heap"));
  EXPECT_EQ(m.NObjects(), INT32_MAX);
  m.RemoveObject(INT32_MAX);
  EXPECT_EQ(m.NObjects(), INT32_MAX - 1);
}

TEST(FeatureMatrix, ObjectsInsertRemoveCopyAndClear) {
  KindMatrix k(3);
  const std::int32_t i = KindMatrix::Feat(fkInteger), s = KindMatrix::Feat(fkString);
  for (std::int32_t o = 1; o <= 3; ++o) {
    k.m.SetFeatValint(i, o, o * 10);
    k.m.SetFeatValStr(s, o, u"s" + IntToStr(o));
  }
  k.changes = 0;
  k.m.InsertObject(2);
  ASSERT_EQ(k.m.NObjects(), 4);
  EXPECT_EQ(k.m.FeatVal(i, 2), u"0");  // the cleared value of its kind
  EXPECT_EQ(k.m.FeatVal(s, 2), u"");
  EXPECT_EQ(k.m.FeatVal(i, 3), u"20");
  EXPECT_EQ(k.m.FeatVal(s, 4), u"s3");
  k.m.InsertObject(5);  // cannot append
  k.m.InsertObject(0);
  EXPECT_EQ(k.m.NObjects(), 4);

  k.m.CopyObject(4, 1);
  EXPECT_EQ(k.m.FeatVal(i, 1), u"30");
  EXPECT_EQ(k.m.FeatVal(s, 1), u"s3");
  k.m.CopyObject(4, 5);
  k.m.RemoveObject(1);
  EXPECT_EQ(k.m.NObjects(), 3);
  EXPECT_EQ(k.m.FeatVal(i, 2), u"20");
  k.m.RemoveObject(4);
  k.m.ClearObject(2);
  EXPECT_EQ(k.m.FeatVal(i, 2), u"0");
  EXPECT_EQ(k.m.FeatVal(s, 2), u"");
  EXPECT_EQ(k.m.FeatVal(s, 3), u"s3");
  EXPECT_EQ(k.changes, 4);  // insert, copy, remove, clear

  k.m.ClearFeature(s);
  EXPECT_EQ(k.m.FeatVal(s, 3), u"");
  k.changes = 0;
  k.m.ResetToDefault();
  EXPECT_EQ(k.changes, 3);  // once per object
  EXPECT_EQ(k.m.FeatVal(i, 3), u"0");
  EXPECT_EQ(k.m.FeatVal(KindMatrix::Feat(fkDouble), 1), u"0");
  k.m.RemoveObject(1);
  k.m.RemoveObject(1);
  k.m.RemoveObject(1);
  EXPECT_EQ(k.m.NObjects(), 0);
}

TEST(FeatureMatrix, InsertFeatureShiftsDescriptionsAndValues) {
  KindMatrix k;
  k.m.SetFeatValStr(KindMatrix::Feat(fkString), 2, u"x");
  k.changes = 0;
  k.m.InsertFeature(2);
  ASSERT_EQ(k.m.NFeatures(), 6);
  EXPECT_EQ(k.m.GetFeatProps(2).FeatName, "undefined");
  EXPECT_EQ(k.m.GetFeatProps(3).FeatName, "f1");
  EXPECT_EQ(k.m.FeatVal(5, 2), u"x");
  EXPECT_EQ(k.m.FindFeatName("UNDEFINED"), 2);
  k.m.InsertFeature(7);  // appends
  EXPECT_EQ(k.m.NFeatures(), 7);
  EXPECT_EQ(k.m.GetFeatProps(7).FeatKind, fkUndefined);
  k.m.InsertFeature(9);
  k.m.InsertFeature(0);
  EXPECT_EQ(k.m.NFeatures(), 7);
  EXPECT_EQ(k.changes, 2);
}

TEST(FeatureMatrix, AssignCopiesEverythingButFiresNothing) {
  KindMatrix k;
  k.m.SetFeatValStr(KindMatrix::Feat(fkString), 2, u"x");
  TFeatureMatrix copy(nullptr);
  int copyChanges = 0;
  copy.SetOnChange([&](TObject*) { ++copyChanges; });
  copy.Assign(&k.m);
  EXPECT_EQ(copyChanges, 0);
  EXPECT_EQ(copy.NFeatures(), 5);
  EXPECT_EQ(copy.NObjects(), 2);
  EXPECT_EQ(copy.FeatVal(4, 2), u"x");
  EXPECT_EQ(copy.GetFeatProps(3).FeatName, "f2");
  // The handler came along: it now counts the original's changes and sees the original.
  k.changes = 0;
  copy.OnChange()(&k.m);
  EXPECT_EQ(k.changes, 1);

  TComponent plain(nullptr);
  EXPECT_THROW(copy.Assign(&plain), EConvertError);
  EXPECT_THROW(plain.Assign(&copy), EConvertError);
}

}  // namespace
}  // namespace kez
