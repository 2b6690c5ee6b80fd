#include "kez/platform/variant.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kez/platform/exceptions.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

TEST(Variant, Examples) {
  EXPECT_EQ(Variant(std::int16_t{7}).VarType(), varSmallint);
  EXPECT_EQ(Variant(std::int16_t{7}).ToString(), u"7");
  EXPECT_EQ(Variant("2.5").ToDouble(), 2.5);
  EXPECT_TRUE(Null().IsNull());
  EXPECT_TRUE(Variant().IsEmpty());
  EXPECT_THROW_MSG(Variant(u"abc").ToDouble(), EConvertError,
                   u"Could not convert variant of type (UnicodeString) into type (Double)");
}

TEST(Variant, TypeCodeFollowsTheCxxType) {
  const struct {
    Variant v;
    TVarType code;
  } cases[] = {
      {Variant(), varEmpty},
      {Null(), varNull},
      {Variant(std::int16_t{1}), varSmallint},
      {Variant(std::int32_t{1}), varInteger},
      {Variant(1.0f), varSingle},
      {Variant(1.0), varDouble},
      {Variant(Currency{10000}), varCurrency},
      {Variant(true), varBoolean},
      {Variant(std::int8_t{1}), varShortInt},
      {Variant(std::uint8_t{1}), varByte},
      {Variant(std::uint16_t{1}), varWord},
      {Variant(std::uint32_t{1}), varLongWord},
      {Variant(std::int64_t{1}), varInt64},
      {Variant("a"), varString},
      {Variant(u"a"), varUString},
  };
  for (const auto& c : cases) EXPECT_EQ(c.v.VarType(), c.code) << c.code;
}

TEST(Variant, ToString) {
  const struct {
    Variant v;
    const char16_t* text;
  } cases[] = {
      {Variant(), u""},
      {Null(), u""},
      {Variant(std::int8_t{-128}), u"-128"},
      {Variant(std::uint32_t{4294967295u}), u"4294967295"},
      {Variant(std::int64_t{INT64_MIN}), u"-9223372036854775808"},
      {Variant(0.1f), u"0.1"},
      {Variant(0.1), u"0.1"},
      {Variant(1e20), u"1E20"},
      {Variant(Currency{15000}), u"1.5"},
      {Variant(Currency{-1}), u"-0.0001"},
      {Variant(Currency{INT64_MIN}), u"-922337203685477.5808"},
      {Variant(true), u"True"},
      {Variant(false), u"False"},
      {Variant("caf\xE9"), u"caf\u00E9"},
  };
  for (const auto& c : cases) EXPECT_EQ(test::U8(c.v.ToString()), test::U8(c.text));
}

TEST(Variant, ToDoubleAndToInt) {
  EXPECT_EQ(Variant().ToDouble(), 0);
  EXPECT_EQ(Variant(true).ToDouble(), -1);
  EXPECT_EQ(Variant(Currency{12345}).ToDouble(), 1.2345);
  EXPECT_EQ(Variant(" -1.5e1 ").ToDouble(), -15);
  EXPECT_EQ(Variant(2.5).ToInt32(), 2);  // ties to even
  EXPECT_EQ(Variant(3.5).ToInt32(), 4);
  EXPECT_EQ(Variant(Currency{25000}).ToInt32(), 2);
  EXPECT_EQ(Variant(Currency{-35000}).ToInt32(), -4);
  EXPECT_EQ(Variant("42").ToInt32(), 42);
  EXPECT_EQ(Variant("4.6").ToInt32(), 5);
  // Integer kinds keep their low 32 bits.
  EXPECT_EQ(Variant(std::int64_t{0x100000005}).ToInt32(), 5);
  EXPECT_EQ(Variant(std::uint32_t{0xFFFFFFFF}).ToInt32(), -1);
  EXPECT_EQ(Variant(std::int64_t{INT64_MAX}).ToInt64(), INT64_MAX);
}

TEST(Variant, RejectedConversionsRaise) {
  EXPECT_THROW_MSG(Null().ToDouble(), EConvertError,
                   u"Could not convert variant of type (Null) into type (Double)");
  EXPECT_THROW_MSG(Variant("12x").ToInt32(), EConvertError,
                   u"Could not convert variant of type (String) into type (Integer)");
  EXPECT_THROW_MSG(Variant(3e9).ToInt32(), EConvertError,
                   u"Could not convert variant of type (Double) into type (Integer)");
  EXPECT_THROW(Variant(std::nan("")).ToInt64(), EConvertError);
  EXPECT_THROW(Variant("").ToDouble(), EConvertError);
  EXPECT_THROW(Variant(u"maybe").ToBoolean(), EConvertError);
  EXPECT_THROW(Currency::FromDouble(1e300), EConvertError);
}

TEST(Variant, ToBooleanAndCurrency) {
  EXPECT_TRUE(Variant(u"TRUE").ToBoolean());
  EXPECT_FALSE(Variant("false").ToBoolean());
  EXPECT_TRUE(Variant(std::int8_t{-3}).ToBoolean());
  EXPECT_FALSE(Variant().ToBoolean());
  EXPECT_EQ(Variant(std::int64_t{900000000000000}).ToCurrency().Scaled, 9000000000000000000);
  EXPECT_EQ(Variant(1.23456).ToCurrency().Scaled, 12346);
}

TEST(Variant, Equality) {
  EXPECT_EQ(Variant(std::int8_t{5}), Variant(std::int64_t{5}));
  EXPECT_EQ(Variant(std::int32_t{5}), Variant(5.0));
  EXPECT_EQ(Variant("abc"), Variant(u"abc"));
  EXPECT_EQ(Null(), Null());
  EXPECT_EQ(Variant(), Variant());
  EXPECT_EQ(Variant(Currency{15000}), Variant(1.5));
  EXPECT_NE(Variant(), Null());
  EXPECT_NE(Variant(u"5"), Variant(5));
  EXPECT_NE(Variant(true), Variant(-1));
  EXPECT_NE(Variant(std::int64_t{INT64_MAX}), Variant(std::int64_t{INT64_MAX - 1}));
  EXPECT_NE(Variant(std::nan("")), Variant(std::nan("")));
}

}  // namespace
}  // namespace kez
