#include "kez/dstruct/assocarray.hpp"

#include <gtest/gtest.h>

#include "kez/dstruct.hpp"
#include "kez/platform/stream.hpp"
#include "kez/platform/sysutils.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

TEST(AssocArray, Examples) {
  TAssocArray a(nullptr);
  EXPECT_EQ(a.Granularity(), 1024);
  EXPECT_TRUE(a.IgnoreCase());
  EXPECT_EQ(a.DataID(), u"");
  a.Add(u"Width", std::int32_t{640});
  a.Add(u"Ratio", AnsiString("1,5"));
  EXPECT_EQ(a.NumEntries(), 2);
  EXPECT_EQ(a.ResolveAsInt(u"WIDTH"), 640);
  EXPECT_EQ(a.ResolveAsNumber(u"ratio"), 1.5);
  EXPECT_EQ(a.ResolveAsString(u"width"), u"640");
  EXPECT_TRUE(a.Resolve(u"missing").IsNull());
  EXPECT_EQ(a.ResolveAsNumber(u"missing"), 0);
  EXPECT_EQ(a.ResolveAsString(u"missing"), u"");
}

TEST(AssocArray, AddFoldsCaseOnlyWhenIgnoreCase) {
  TAssocArray a(nullptr);
  a.Add(u"Alpha", std::int32_t{1});
  a.Add(u"ALPHA", std::int32_t{2});
  ASSERT_EQ(a.NumEntries(), 1);
  EXPECT_EQ(a.Keys(1), u"alpha");
  EXPECT_EQ(a.Values(1), Variant(2));

  TAssocArray b(nullptr);
  b.SetIgnoreCase(false);
  b.Add(u"Alpha", std::int32_t{1});
  b.Add(u"ALPHA", std::int32_t{2});
  ASSERT_EQ(b.NumEntries(), 2);
  EXPECT_EQ(b.Keys(1), u"Alpha");
  EXPECT_EQ(b.ResolveAsInt(u"ALPHA"), 2);
  EXPECT_TRUE(b.Resolve(u"alpha").IsNull());
  // Both keys are equal once case is ignored: the first entry answers, and removing it
  // lets the second one answer.
  b.SetIgnoreCase(true);
  EXPECT_EQ(b.ResolveAsInt(u"alpha"), 1);
  EXPECT_TRUE(b.Remove(u"alpha"));
  EXPECT_EQ(b.ResolveAsInt(u"alpha"), 2);
  EXPECT_TRUE(b.Remove(u"alpha"));
  EXPECT_EQ(b.NumEntries(), 0);
}

TEST(AssocArray, SetKeysStoresAsWrittenAndStaysFindable) {
  TAssocArray a(nullptr);
  a.Add(u"x", std::int32_t{1});
  a.Add(u"y", std::int32_t{2});
  a.SetKeys(1, u"Beta");
  EXPECT_EQ(a.Keys(1), u"Beta");
  EXPECT_EQ(a.ResolveAsInt(u"BETA"), 1);
  EXPECT_TRUE(a.Resolve(u"x").IsNull());
  a.SetIgnoreCase(false);
  EXPECT_TRUE(a.Resolve(u"BETA").IsNull());
  EXPECT_EQ(a.ResolveAsInt(u"Beta"), 1);
  // A key made equal to a later entry's: the earlier entry wins, the later is found again
  // once the earlier is renamed.
  a.SetKeys(2, u"Beta");
  EXPECT_EQ(a.ResolveAsInt(u"Beta"), 1);
  a.SetKeys(1, u"Gamma");
  EXPECT_EQ(a.ResolveAsInt(u"Beta"), 2);
  EXPECT_EQ(a.ResolveAsInt(u"Gamma"), 1);
  // Outside the range nothing happens.
  a.SetKeys(0, u"z");
  a.SetKeys(3, u"z");
  EXPECT_EQ(a.Keys(3), u"");
  EXPECT_TRUE(a.Resolve(u"z").IsNull());
}

TEST(AssocArray, RemoveMovesTheLastEntry) {
  TAssocArray a(nullptr);
  a.Add(u"a", std::int32_t{1});
  a.Add(u"b", std::int32_t{2});
  a.Add(u"c", std::int32_t{3});
  EXPECT_FALSE(a.Remove(u"zz"));
  EXPECT_TRUE(a.Remove(u"A"));
  ASSERT_EQ(a.NumEntries(), 2);
  EXPECT_EQ(a.Keys(1), u"c");
  EXPECT_EQ(a.Values(1), Variant(3));
  EXPECT_EQ(a.Keys(2), u"b");
  EXPECT_EQ(a.ResolveAsInt(u"c"), 3);
  EXPECT_TRUE(a.Remove(u"b"));  // the last entry itself
  EXPECT_EQ(a.NumEntries(), 1);
  EXPECT_EQ(a.ResolveAsInt(u"c"), 3);
}

TEST(AssocArray, ValuesOutsideTheRange) {
  TAssocArray a(nullptr);
  a.Add(u"k", 1.5);
  EXPECT_EQ(a.GetValues(0).VarType(), varUString);
  EXPECT_EQ(a.GetValues(0).ToString(), u"");
  EXPECT_EQ(a.GetValues(2).VarType(), varUString);
  a.SetValues(2, 7.0);
  a.SetValues(1, std::int8_t{9});
  EXPECT_EQ(a.GetValues(1).VarType(), varShortInt);
  EXPECT_EQ(a.NumEntries(), 1);
}

TEST(AssocArray, TypedReadersByKind) {
  TAssocArray a(nullptr);
  a.Add(u"i16", std::int16_t{-5});
  a.Add(u"u32", std::uint32_t{4000000000u});
  a.Add(u"i64", std::int64_t{0x100000007});
  a.Add(u"dbl", 3.7);
  a.Add(u"cur", Currency{25000});
  a.Add(u"bool", true);
  a.Add(u"null", Null());
  a.Add(u"empty", Variant());
  a.Add(u"ansi", AnsiString("  -42abc"));
  a.Add(u"wide", String(u" 1,5e2x"));
  a.Add(u"bad", AnsiString("1.2.3"));
  const struct {
    const char16_t* key;
    double number;
    std::int32_t integer;
  } cases[] = {
      {u"i16", -5, -5},
      {u"u32", 4e9, -294967296},
      {u"i64", 4294967303.0, 7},
      {u"dbl", 3.7, 0},
      {u"cur", 2.5, 0},
      {u"bool", 0, 0},
      {u"null", 0, 0},
      {u"empty", 0, 0},
      {u"ansi", -42, -42},
      {u"wide", 150, 1},
      {u"bad", 0, 1},
      {u"absent", 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(a.ResolveAsNumber(c.key), c.number) << test::U8(c.key);
    EXPECT_EQ(a.ResolveAsInt(c.key), c.integer) << test::U8(c.key);
  }
  EXPECT_EQ(a.ResolveAsString(u"null"), u"");
  EXPECT_EQ(a.ResolveAsString(u"cur"), u"2.5");
  EXPECT_EQ(a.ResolveAsString(u"bool"), u"True");
}

TEST(AssocArray, ClearAndGranularity) {
  TAssocArray a(nullptr);
  a.SetGranularity(0);
  EXPECT_EQ(a.Granularity(), 1);
  a.SetGranularity(-5);
  EXPECT_EQ(a.Granularity(), 1);
  for (int i = 0; i < 100; ++i) a.Add(IntToStr(i), std::int32_t{i});
  EXPECT_EQ(a.NumEntries(), 100);
  EXPECT_EQ(a.ResolveAsInt(u"57"), 57);
  a.Clear();
  EXPECT_EQ(a.NumEntries(), 0);
  EXPECT_TRUE(a.Resolve(u"57").IsNull());
  a.Add(u"again", std::int32_t{1});
  EXPECT_EQ(a.Keys(1), u"again");
}

TEST(AssocArray, ExtremeGranularityAndIndexes) {
  for (std::int32_t g : {INT32_MIN, -1, 0, 1, INT32_MAX}) {
    TAssocArray a(nullptr);
    a.SetGranularity(g);
    EXPECT_EQ(a.Granularity(), std::max(g, 1));
    a.Clear();
    for (std::int32_t i = 0; i < 3000; ++i) a.Add(IntToStr(i), i);
    EXPECT_EQ(a.ResolveAsInt(u"2999"), 2999);
    a.Clear();
    EXPECT_EQ(a.NumEntries(), 0);
    for (std::int32_t ix : {INT32_MIN, -1, 0, 1, INT32_MAX}) {
      a.SetKeys(ix, u"x");
      a.SetValues(ix, 1);
      EXPECT_EQ(a.GetKeys(ix), u"");
      EXPECT_EQ(a.GetValues(ix).VarType(), varUString);
    }
  }
}

// Keys made equal by switching the comparison stay in the table; removing them one by one
// must find each time the lowest entry that holds the key.
TEST(AssocArray, RemovingKeysMadeEqualFindsTheLowestEachTime) {
  TAssocArray a(nullptr);
  a.SetIgnoreCase(false);
  const char16_t* spellings[] = {u"key", u"KEY", u"Key", u"kEy"};
  for (std::int32_t i = 0; i < 400; ++i) a.Add(spellings[i % 4] + IntToStr(i / 4), i);
  a.SetIgnoreCase(true);
  for (std::int32_t i = 0; i < 100; ++i) {
    const String key = u"KEY" + IntToStr(i);
    for (int copy = 0; copy < 4; ++copy) {
      std::int32_t lowest = 0;
      for (std::int32_t ix = a.NumEntries(); ix >= 1; --ix) {
        if (LowerCase(a.Keys(ix)) == LowerCase(key)) lowest = ix;
      }
      ASSERT_NE(lowest, 0);
      EXPECT_EQ(a.Resolve(key), a.Values(lowest));
      ASSERT_TRUE(a.Remove(key));
    }
    EXPECT_FALSE(a.Remove(key));
  }
  EXPECT_EQ(a.NumEntries(), 0);
}

// The index must answer exactly as a scan of the entries in order would, through any mix of
// adds, removals, renames and case toggles.
TEST(AssocArray, IndexAgreesWithALinearScan) {
  TAssocArray a(nullptr);
  auto scan = [&](StringView key) -> std::int32_t {
    for (std::int32_t i = 1; i <= a.NumEntries(); ++i) {
      const String k = a.Keys(i);
      if (a.IgnoreCase() ? LowerCase(k) == LowerCase(key) : k == key) return i;
    }
    return 0;
  };
  std::uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) % 40; };
  const char16_t* names[] = {u"k", u"K", u"kk", u"Kk"};
  for (int step = 0; step < 3000; ++step) {
    const String key = names[next() % 4] + IntToStr(next() % 10);
    switch (next() % 6) {
      case 0:
      case 1:
        a.Add(key, std::int32_t{step});
        break;
      case 2: {
        const bool present = scan(key) != 0;
        EXPECT_EQ(a.Remove(key), present) << step;
        break;
      }
      case 3:
        a.SetKeys(static_cast<std::int32_t>(next() % 12) + 1, key);
        break;
      case 4:
        if (next() % 8 == 0) a.SetIgnoreCase(!a.IgnoreCase());
        break;
      default:
        if (next() % 10 == 0) {  // the entries read back from their own block
          TMemoryStream m;
          a.WriteToXMLStream(m, false, u"t");
          m.SetPosition(0);
          ASSERT_TRUE(a.ReadFromXMLStream(m, u"t")) << step;
        } else if (next() % 25 == 0) {
          a.Clear();
        }
        break;
    }
    for (const char16_t* n : names) {
      const String probe = n + IntToStr(step % 10);
      const std::int32_t ix = scan(probe);
      const Variant v = a.Resolve(probe);
      if (ix == 0) {
        ASSERT_TRUE(v.IsNull()) << step;
      } else {
        ASSERT_EQ(v, a.Values(ix)) << step;
      }
    }
  }
}

}  // namespace
}  // namespace kez
