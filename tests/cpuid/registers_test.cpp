// Decoding of register values: runs on any processor.
#include <gtest/gtest.h>

#include <array>
#include <random>

#include "kez/cpuid.hpp"
#include "test_support.hpp"

namespace kez {
namespace {

using test::U8;

TEST(CpuidExamples, DecodingRegisterValues) {
  // An Ivy Bridge signature: the extended model sits apart from the model.
  EXPECT_EQ(CPU_Family(0x000306A9u), 6);
  EXPECT_EQ(CPU_Model(0x000306A9u), 10);
  EXPECT_EQ(CPU_Stepping(0x000306A9u), 9);
  EXPECT_EQ(CPU_ExModel(0x000306A9u), 3);
  EXPECT_EQ(CPU_ExFamily(0x000306A9u), 0);
  EXPECT_EQ(CPU_Type(0x000306A9u), 0);

  // Leaf 0 of an Intel processor: EBX, EDX, ECX spell the vendor.
  EXPECT_EQ(U8(CPU_RegisterText(0x756E6547u) + CPU_RegisterText(0x49656E69u) +
               CPU_RegisterText(0x6C65746Eu)),
            "GenuineIntel");

  // The feature word's bit 26 is SSE2.
  EXPECT_EQ(cpuft_simd2, 26);
  EXPECT_EQ(U8(CPUFeatureNames[cpuft_simd2]), "SSE2 (WNI) instructions");
  EXPECT_EQ(U8(CPUFeatureNames[cpuft_fpu]), "Floating Point Unit");
  EXPECT_EQ(U8(CPUFeatureNames[cpuft_3dnow]), "3DNow! instructions available");
}

struct SignatureCase {
  std::uint32_t Signature;
  std::int32_t Type, Family, ExFamily, Model, ExModel, Stepping;
};

class SignatureFields : public testing::TestWithParam<SignatureCase> {};

TEST_P(SignatureFields, AreTheRawBitFields) {
  const SignatureCase& c = GetParam();
  EXPECT_EQ(CPU_Type(c.Signature), c.Type);
  EXPECT_EQ(CPU_OverDrive(c.Signature), c.Type == 1);
  EXPECT_EQ(CPU_Family(c.Signature), c.Family);
  EXPECT_EQ(CPU_ExFamily(c.Signature), c.ExFamily);
  EXPECT_EQ(CPU_Model(c.Signature), c.Model);
  EXPECT_EQ(CPU_ExModel(c.Signature), c.ExModel);
  EXPECT_EQ(CPU_Stepping(c.Signature), c.Stepping);
}

INSTANTIATE_TEST_SUITE_P(Cpuid, SignatureFields,
                         testing::Values(SignatureCase{0x000306A9u, 0, 6, 0, 10, 3, 9},
                                         // A Zen 5 signature: family 15 + 11 is not added up.
                                         SignatureCase{0x00B00F21u, 0, 15, 11, 2, 0, 1},
                                         // A Pentium OverDrive processor: type 1.
                                         SignatureCase{0x00001532u, 1, 5, 0, 3, 0, 2},
                                         SignatureCase{0x00000000u, 0, 0, 0, 0, 0, 0},
                                         // The reserved bits 14-15 and 28-31 belong to no field.
                                         SignatureCase{0xFFFFFFFFu, 3, 15, 255, 15, 15, 15},
                                         SignatureCase{0xF000C000u, 0, 0, 0, 0, 0, 0}));

// Twelve registers from a 48-character brand text.
std::array<std::uint32_t, 12> Registers(const std::string& Text) {
  std::array<std::uint32_t, 12> regs{};
  for (std::size_t i = 0; i < 48 && i < Text.size(); ++i) {
    regs[i / 4] |= static_cast<std::uint32_t>(static_cast<unsigned char>(Text[i])) << (8 * (i % 4));
  }
  return regs;
}

TEST(CpuidMarketName, CutsBlanksAndZeroBytesFromBothEnds) {
  // Intel pads on the left, AMD with zero bytes on the right.
  EXPECT_EQ(
      U8(CPU_MarketNameFromRegisters(Registers("       Intel(R) Core(TM) i7-3770 CPU @ 3.40GHz"))),
      "Intel(R) Core(TM) i7-3770 CPU @ 3.40GHz");
  EXPECT_EQ(U8(CPU_MarketNameFromRegisters(Registers("AMD EPYC 9654 96-Core Processor  "))),
            "AMD EPYC 9654 96-Core Processor");
  EXPECT_EQ(U8(CPU_MarketNameFromRegisters(Registers(std::string(" \t\x1F") + "X \x01"))), "X");
  // Inner blanks stay; an all-padding brand string is empty.
  EXPECT_EQ(U8(CPU_MarketNameFromRegisters(Registers("A  B"))), "A  B");
  EXPECT_EQ(U8(CPU_MarketNameFromRegisters(Registers(""))), "");
}

TEST(CpuidMarketName, ControlCharacterInsideGivesUnknown) {
  EXPECT_EQ(U8(CPU_MarketNameFromRegisters(Registers("AMD\tEPYC"))), "unknown");
  EXPECT_EQ(U8(CPU_MarketNameFromRegisters(Registers(std::string("Intel\0Core", 10)))), "unknown");
  // Bytes above 127 are characters of their code, not control characters.
  EXPECT_EQ(CPU_MarketNameFromRegisters(Registers("Caf\xE9")), String(u"Caf\u00E9"));
}

// The brand-string rule word for word: 48 characters, codes <= 32 cut from both ends,
// "unknown" if a code below 32 is left.
String ReferenceMarketName(const std::array<std::uint32_t, 12>& regs) {
  String s;
  for (std::uint32_t r : regs) {
    for (int b = 0; b < 4; ++b) s += static_cast<char16_t>((r >> (8 * b)) & 0xFF);
  }
  while (!s.empty() && s.front() <= 32) s.erase(0, 1);
  while (!s.empty() && s.back() <= 32) s.pop_back();
  for (char16_t c : s) {
    if (c < 32) return u"unknown";
  }
  return s;
}

TEST(CpuidMarketName, MatchesTheRuleOnRandomRegisters) {
  std::mt19937 gen(22);
  // Padding runs at both ends around a body of printable characters that now and then
  // holds a blank, a zero byte or a control character.
  const std::string padding(" \0", 2);
  const std::string printable = "abcXYZ19()@.-\x7F\xA0\xE9";
  const std::string rare = std::string(" \0\x01\x1F\t", 5);
  std::uniform_int_distribution<std::size_t> run(0, 12);
  std::uniform_int_distribution<int> coin(0, 30);
  for (int round = 0; round < 2000; ++round) {
    const std::size_t lead = run(gen);
    const std::size_t trail = run(gen);
    std::string text(48, ' ');
    for (std::size_t i = 0; i < 48; ++i) {
      if (i < lead || i >= 48 - trail) {
        text[i] = padding[gen() % padding.size()];
      } else {
        text[i] = coin(gen) == 0 ? rare[gen() % rare.size()] : printable[gen() % printable.size()];
      }
    }
    const auto regs = Registers(text);
    ASSERT_EQ(U8(CPU_MarketNameFromRegisters(regs)), U8(ReferenceMarketName(regs)))
        << "round " << round;
  }
}

TEST(CpuidSerialNumber, IsTwentyFourUpperCaseDigits) {
  EXPECT_EQ(U8(CPU_SerialNumberText(0x000306A9u, 0u, 0xDEADBEEFu)), "000306A900000000DEADBEEF");
  EXPECT_EQ(U8(CPU_SerialNumberText(0xFFFFFFFFu, 0x0000ABCDu, 0x12345678u)),
            "FFFFFFFF0000ABCD12345678");
}

TEST(CpuidRegisterText, KeepsEveryByteAsItsCode) {
  EXPECT_EQ(CPU_RegisterText(0x00FF8001u), String(u"\x01\x80\xFF\0", 4));
}

}  // namespace
}  // namespace kez
