// The constants against values computed independently in long double.
#include "kez/univconst.hpp"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

namespace kez {
namespace {

// Distance of two long doubles in units of the last place of the first.
long double Ulps(long double Value, long double Reference) {
  const long double ulp = std::nextafter(std::fabs(Value), INFINITY) - std::fabs(Value);
  return std::fabs(Value - Reference) / ulp;
}

struct ConstCase {
  const char* Name;
  Extended Value;
  Extended Reference;
};

TEST(UnivconstTest, MathConstantsCarryTheFullMantissa) {
  const Extended pi = std::acos(-1.0L);
  const ConstCase cases[] = {
      {"uc_e", uc_e, std::exp(1.0L)},
      {"uc_etom1", uc_etom1, std::exp(-1.0L)},
      {"uc_lg2", uc_lg2, std::log10(2.0L)},
      {"uc_lg5", uc_lg5, std::log10(5.0L)},
      {"uc_lge", uc_lge, 1.0L / std::log(10.0L)},
      {"uc_lgPi", uc_lgPi, std::log10(pi)},
      {"uc_ln10", uc_ln10, std::log(10.0L)},
      {"uc_ln2", uc_ln2, std::log(2.0L)},
      {"uc_lnPi", uc_lnPi, std::log(pi)},
      {"uc_PiH", uc_PiH, pi / 2},
      {"uc_PiSqr", uc_PiSqr, pi * pi},
      {"uc_Pitom1", uc_Pitom1, 1.0L / pi},
      {"uc_sqrt2", uc_sqrt2, std::sqrt(2.0L)},
      {"uc_sqrt2pi", uc_sqrt2pi, std::sqrt(2.0L * pi)},
      {"uc_sqrt2pitom1", uc_sqrt2pitom1, 1.0L / std::sqrt(2.0L * pi)},
      {"uc_GoldenR", uc_GoldenR, (1.0L + std::sqrt(5.0L)) / 2},
  };
  for (const ConstCase& c : cases) {
    EXPECT_LE(Ulps(c.Value, c.Reference), 1.5L) << c.Name;
    // A literal rounded through double would be off by about 2^11 units.
    EXPECT_NE(c.Value, static_cast<Extended>(static_cast<double>(c.Value))) << c.Name;
  }
  EXPECT_EQ(uc_lg2 + uc_lg5, 1.0L);
}

TEST(UnivconstTest, LimitsMatchTheFormats) {
  EXPECT_EQ(uc_MinExtended, std::numeric_limits<Extended>::denorm_min());
  EXPECT_EQ(uc_MinExtended, 3.6e-4951L);
  EXPECT_LT(uc_MaxExtended, std::numeric_limits<Extended>::max());
  EXPECT_EQ(static_cast<double>(uc_MinDouble), std::numeric_limits<double>::denorm_min());
  EXPECT_LT(uc_MaxDouble, static_cast<Extended>(DBL_MAX));
  EXPECT_EQ(static_cast<float>(uc_MinSingle), std::numeric_limits<float>::denorm_min());
  EXPECT_LT(uc_MaxSingle, static_cast<Extended>(FLT_MAX));
  EXPECT_LT(uc_MinReal, 3e-39L);
  EXPECT_GT(uc_MaxReal, 1.6e38L);
}

TEST(UnivconstTest, LogarithmsOfTheLimits) {
  const ConstCase cases[] = {
      {"uc_lnMinDouble", uc_lnMinDouble, std::log(uc_MinDouble)},
      {"uc_lnMaxDouble", uc_lnMaxDouble, std::log(uc_MaxDouble)},
      {"uc_lnMaxExtended", uc_lnMaxExtended, std::log(uc_MaxExtended)},
      {"uc_lnMinReal", uc_lnMinReal, std::log(uc_MinReal)},
      {"uc_lnMaxReal", uc_lnMaxReal, std::log(uc_MaxReal)},
      {"uc_lnMinSingle", uc_lnMinSingle, std::log(uc_MinSingle)},
      {"uc_lnMaxSingle", uc_lnMaxSingle, std::log(uc_MaxSingle)},
      {"uc_lnMinExtended", uc_lnMinExtended, std::log(3.6L) - 4951 * std::log(10.0L)},
  };
  for (const ConstCase& c : cases) EXPECT_LE(Ulps(c.Value, c.Reference), 4.0L) << c.Name;
  // Usable as an underflow bound: the smallest Extended is still reached.
  EXPECT_EQ(std::exp(uc_lnMinExtended), uc_MinExtended);
}

TEST(UnivconstTest, LnFactorialTable) {
  ASSERT_EQ(uc_LnFactorial.size(), 1001u);
  EXPECT_EQ(uc_LnFactorial[0], 0.0);
  EXPECT_EQ(uc_LnFactorial[1], 0.0);
  EXPECT_EQ(uc_LnFactorial[2], static_cast<double>(std::log(2.0L)));
  EXPECT_NEAR(uc_LnFactorial[1000], 5912.12817848816, 1e-10);
  // The exact value in long double is far more precise than a double; every entry must be
  // within one unit of the last place of it (the nearest double when not near a tie).
  for (int n = 2; n <= 1000; ++n) {
    const long double exact = std::lgamma(n + 1.0L);
    const double entry = uc_LnFactorial[n];
    const double ulp = std::nextafter(entry, INFINITY) - entry;
    ASSERT_LE(std::fabs(entry - exact), 0.5L * ulp * 1.01L) << n;
  }
}

}  // namespace
}  // namespace kez
