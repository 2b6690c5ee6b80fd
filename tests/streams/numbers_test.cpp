// Number scanners.
#include <gtest/gtest.h>

#include <string>

#include "kez/streams.hpp"

namespace kez {
namespace {

struct DecimalCase {
  const char* Data;
  std::int32_t Value;
  std::int64_t PositionAfter;
};

class ScanStreamDecimalCases : public ::testing::TestWithParam<DecimalCase> {};

TEST_P(ScanStreamDecimalCases, ReadsTheNumber) {
  const DecimalCase& c = GetParam();
  TStringStream s{std::string_view(c.Data)};
  EXPECT_EQ(ScanStreamDecimal(s), c.Value) << c.Data;
  EXPECT_EQ(s.Position(), c.PositionAfter) << c.Data;
}

INSTANTIATE_TEST_SUITE_P(Table, ScanStreamDecimalCases,
                         ::testing::Values(DecimalCase{"  -42;", -42, 6},
                                           DecimalCase{"\r\n+7 8", 7, 5}, DecimalCase{"\t5", 0, 1},
                                           DecimalCase{"x", 0, 1}, DecimalCase{"-", 0, 1},
                                           DecimalCase{"123", 123, 3}, DecimalCase{"", 0, 0},
                                           DecimalCase{"2147483647 ", 2147483647, 11},
                                           DecimalCase{"-2147483648 ", -2147483647 - 1, 12},
                                           DecimalCase{"99999999999999999999;", 2147483647, 21},
                                           DecimalCase{"-99999999999", -2147483647 - 1, 12}));

struct FPCase {
  const char* Data;
  bool AllowExponent;
  int PointMode;
  double Value;
  std::int64_t PositionAfter;
};

class ScanStreamFPNumStates : public ::testing::TestWithParam<FPCase> {};

TEST_P(ScanStreamFPNumStates, FollowsTheStateTable) {
  const FPCase& c = GetParam();
  TStringStream s{std::string_view(c.Data)};
  const Extended v = ScanStreamFPNum(s, c.AllowExponent, c.PointMode);
  EXPECT_EQ(static_cast<double>(v), c.Value) << c.Data;
  EXPECT_EQ(s.Position(), c.PositionAfter) << c.Data;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScanStreamFPNumStates,
    ::testing::Values(
        // state 1: blanks skipped, point, digit, sign; "E" and others fail
        FPCase{" \t\r\n12 ", true, 1, 12, 7}, FPCase{".5;", true, 1, 0.5, 3},
        FPCase{"E5", true, 1, 0, 1}, FPCase{"x1", true, 1, 0, 1},
        // state 2: after a sign only a point or a digit
        FPCase{"-1,5e3 ", true, 3, -1500, 7}, FPCase{"+ 1", true, 1, 0, 2},
        FPCase{"+", true, 1, 0, 1}, FPCase{"-.25", true, 1, -0.25, 4},
        // state 3: a sign, blank or other ends; "E" only with exponents allowed
        FPCase{"12-3", true, 1, 12, 3}, FPCase{"2.5E3", false, 1, 2.5, 4},
        FPCase{"7x", true, 1, 7, 2},
        // state 4 and 5: a second point fails; "12." is 12
        FPCase{"12.", true, 1, 12, 3}, FPCase{"1.2.3", true, 1, 0, 4}, FPCase{"1..", true, 1, 0, 3},
        FPCase{"3.75e-2", true, 1, 0.0375, 7},
        // point modes
        FPCase{"1,5", true, 1, 1, 2}, FPCase{"1.5", true, 2, 1, 2}, FPCase{"1,5", true, 2, 1.5, 3},
        FPCase{"1.5", true, 0, 1, 2},
        // states 6 to 8: exponent signs and digits; a point after the exponent ends it
        FPCase{"1E+2", true, 1, 100, 4}, FPCase{"1E", true, 1, 0, 2}, FPCase{"1E+", true, 1, 0, 3},
        FPCase{"1E-+2", true, 1, 0, 4}, FPCase{"1Ex", true, 1, 0, 3},
        FPCase{"1e2.5", true, 1, 100, 4},
        // range: clamped to 1.7e308, tiny values underflow to 0
        FPCase{"1E4201", true, 1, 1.7e308, 6}, FPCase{"-9e400 ", true, 1, -1.7e308, 7},
        FPCase{"1e-400", true, 1, 0, 6}));

TEST(ScanStreamFPNum, EndlessExponentIsConsumedButIgnored) {
  std::string data = "-2.5e" + std::string(5000, '9') + ";rest";
  TStringStream s{std::string_view(data)};
  EXPECT_EQ(static_cast<double>(ScanStreamFPNum(s, true, 1)), -1.7e308);
  EXPECT_EQ(s.Position(), static_cast<std::int64_t>(data.size()) - 4);

  std::string tiny = "1e-" + std::string(3000, '7');
  TStringStream t{std::string_view(tiny)};
  EXPECT_EQ(static_cast<double>(ScanStreamFPNum(t, true, 1)), 0.0);
}

TEST(ScanStreamFPNum, ResultIsRoundedToDouble) {
  TStringStream s{std::string_view("0.1 ")};
  EXPECT_EQ(ScanStreamFPNum(s, true, 1), static_cast<Extended>(0.1));
}

}  // namespace
}  // namespace kez
