// The answers of this machine's processor, checked against what the kernel reports in
// /proc/cpuinfo.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "kez/cpuid.hpp"
#include "kez/cpuid/detail/execution.hpp"
#include "scheduling.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

using test::CurrentScheduling;
using test::Scheduling;
using test::U8;

// The fields of the first processor in /proc/cpuinfo and the number of processors listed;
// empty where the file is missing.
struct CpuInfo {
  std::map<std::string, std::string> Fields;
  int Processors = 0;
};

CpuInfo ReadCpuInfo() {
  CpuInfo info;
  std::ifstream in("/proc/cpuinfo");
  std::string line;
  while (std::getline(in, line)) {
    const auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string key = line.substr(0, colon);
    key.erase(key.find_last_not_of(" \t") + 1);
    std::string value = line.substr(colon + 1);
    value.erase(0, value.find_first_not_of(' '));
    if (key == "processor") ++info.Processors;
    if (info.Processors == 1) info.Fields.emplace(key, value);
  }
  return info;
}

bool HasFlag(const CpuInfo& info, const std::string& flag) {
  std::istringstream flags(info.Fields.at("flags"));
  for (std::string f; flags >> f;) {
    if (f == flag) return true;
  }
  return false;
}

class CpuidLive : public testing::Test {
 protected:
  void SetUp() override {
    Info = ReadCpuInfo();
    if (!CPU_IDSupport()) GTEST_SKIP() << "no CPUID on this processor";
    if (Info.Fields.count("vendor_id") == 0) GTEST_SKIP() << "no x86 /proc/cpuinfo";
  }
  CpuInfo Info;
};

TEST_F(CpuidLive, VendorAndSignatureMatchTheKernel) {
  EXPECT_EQ(U8(CPU_VendorString()), Info.Fields.at("vendor_id"));
  // Linux adds the extended family to family 15 and the extended model to the model of
  // families 6 and up; kez keeps the fields apart.
  int family = CPU_Family();
  if (family == 15) family += CPU_ExFamily();
  int model = CPU_Model();
  if (family >= 6) model += CPU_ExModel() << 4;
  EXPECT_EQ(std::to_string(family), Info.Fields.at("cpu family"));
  EXPECT_EQ(std::to_string(model), Info.Fields.at("model"));
  EXPECT_EQ(std::to_string(CPU_Stepping()), Info.Fields.at("stepping"));
  EXPECT_EQ(CPU_Family(), CPU_Family(CPU_Signature()));
}

TEST_F(CpuidLive, FeatureBitsMatchTheKernelsFlags) {
  const std::uint32_t features = CPU_FeatureSet();
  EXPECT_EQ(((features >> cpuft_fpu) & 1) != 0, HasFlag(Info, "fpu"));
  EXPECT_EQ(((features >> cpuft_tsc) & 1) != 0, HasFlag(Info, "tsc"));
  EXPECT_EQ(((features >> cpuft_simd2) & 1) != 0, HasFlag(Info, "sse2"));
  EXPECT_EQ(((features >> cpuft_mmx) & 1) != 0, HasFlag(Info, "mmx"));
  // Long mode is bit 29 of the extended feature word.
  EXPECT_EQ(((CPU_ExtendedFeatureSet() >> 29) & 1) != 0, HasFlag(Info, "lm"));
}

TEST_F(CpuidLive, MarketNameIsTheKernelsModelName) {
  const std::string name = U8(CPU_MarketName());
  EXPECT_FALSE(name.empty());
  EXPECT_NE(name.front(), ' ');
  EXPECT_NE(name.back(), ' ');
  // Some paravirtualised guests answer CPUID in the kernel otherwise than in user mode (the
  // brand string alone, where it was met), so a difference is reported as a skip.
  const std::string kernel = Info.Fields.at("model name");
  if (name != kernel) {
    GTEST_SKIP() << "CPUID says \"" << name << "\" to this process, \"" << kernel
                 << "\" to the kernel";
  }
}

TEST_F(CpuidLive, CountSerialNumberAndDivision) {
  EXPECT_EQ(CPU_Count(), Info.Processors);
  const std::string serial = U8(CPU_SerialNumber());
  ASSERT_EQ(serial.size(), 24u);
  EXPECT_EQ(serial.substr(0, 8), U8(CPU_SerialNumberText(CPU_Signature(), 0, 0)).substr(0, 8));
  EXPECT_EQ(serial.find_first_not_of("0123456789ABCDEF"), std::string::npos);
  EXPECT_GE(CPU_BrandID(), 0);
  EXPECT_LE(CPU_BrandID(), 255);
  EXPECT_FALSE(CPU_FDIVBugPresent());
}

TEST_F(CpuidLive, LeafAboveTheHighestRaises) {
  const std::uint32_t highest = detail::ExecuteCpuidLeaf(0).EAX;
  EXPECT_NO_THROW(detail::ExecuteCpuidLeaf(highest));
  EXPECT_THROW_MSG(detail::ExecuteCpuidLeaf(highest + 1), EKEZCpuIdError,
                   u"CPUID: execution level not supported");
  const std::uint32_t highestExtended = detail::ExecuteCpuidLeaf(0x80000000u).EAX;
  EXPECT_THROW_MSG(detail::ExecuteCpuidLeaf(highestExtended + 1), EKEZCpuIdError,
                   u"CPUID: execution level not supported");
}

TEST_F(CpuidLive, SpeedIsNearTheNominalClockAndPrioritiesComeBack) {
  const Scheduling before = CurrentScheduling();
  const float mhz = CPU_Speed(200);
  EXPECT_EQ(CurrentScheduling(), before);
  // A broad band: the time-stamp counter runs at the nominal rate, the kernel's "cpu MHz"
  // may be the current one (turbo, power saving).
  const auto field = Info.Fields.find("cpu MHz");
  const double nominal = field == Info.Fields.end() ? 0 : std::stod(field->second);
  if (nominal > 0) {
    EXPECT_GT(mhz, nominal / 3);
    EXPECT_LT(mhz, nominal * 3);
  } else {
    EXPECT_GT(mhz, 100.0f);
    EXPECT_LT(mhz, 10000.0f);
  }
}

}  // namespace
}  // namespace kez

namespace kez {
namespace {

TEST(CpuidWithoutCpuid, QueriesRaiseAndTheRestAnswers) {
  if (CPU_IDSupport()) GTEST_SKIP() << "this processor has CPUID";
  EXPECT_THROW_MSG(CPU_VendorString(), EKEZCpuIdError,
                   u"Cannot acquire CPU information (CPUID not supported)");
  EXPECT_THROW_MSG(CPU_MarketName(), EKEZCpuIdError,
                   u"Cannot acquire CPU information (CPUID not supported)");
  EXPECT_GE(CPU_Count(), 1);
  EXPECT_FALSE(CPU_FDIVBugPresent());
}

TEST(CpuidOnX86, HasCpuid) {
#if defined(__x86_64__)
  // Every 64-bit x86 processor has CPUID, so the flags test must find the bit movable.
  EXPECT_TRUE(CPU_IDSupport());
#else
  GTEST_SKIP() << "not an x86-64 processor";
#endif
}

}  // namespace
}  // namespace kez
