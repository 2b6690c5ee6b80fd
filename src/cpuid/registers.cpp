// Decoding of CPUID register values: signature fields and the texts made of registers.
#include "kez/cpuid.hpp"

namespace kez {

namespace {

std::int32_t Bits(std::uint32_t Value, int Low, int Count) {
  return static_cast<std::int32_t>((Value >> Low) & ((1u << Count) - 1u));
}

void AppendHex8(String& Text, std::uint32_t Value) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  for (int shift = 28; shift >= 0; shift -= 4) Text += kDigits[(Value >> shift) & 0xFu];
}

}  // namespace

std::int32_t CPU_Type(std::uint32_t Signature) { return Bits(Signature, 12, 2); }
bool CPU_OverDrive(std::uint32_t Signature) { return CPU_Type(Signature) == 1; }
std::int32_t CPU_Family(std::uint32_t Signature) { return Bits(Signature, 8, 4); }
std::int32_t CPU_ExFamily(std::uint32_t Signature) { return Bits(Signature, 20, 8); }
std::int32_t CPU_Model(std::uint32_t Signature) { return Bits(Signature, 4, 4); }
std::int32_t CPU_ExModel(std::uint32_t Signature) { return Bits(Signature, 16, 4); }
std::int32_t CPU_Stepping(std::uint32_t Signature) { return Bits(Signature, 0, 4); }

String CPU_RegisterText(std::uint32_t Register) {
  String text(4, u'\0');
  for (std::size_t i = 0; i < 4; ++i, Register >>= 8) {
    text[i] = static_cast<char16_t>(Register & 0xFFu);
  }
  return text;
}

String CPU_MarketNameFromRegisters(std::span<const std::uint32_t, 12> Registers) {
  String name;
  name.reserve(48);
  for (const std::uint32_t r : Registers) name += CPU_RegisterText(r);
  const auto padding = [](char16_t c) { return c <= 32; };
  std::size_t first = 0;
  std::size_t last = name.size();
  while (first < last && padding(name[first])) ++first;
  while (last > first && padding(name[last - 1])) --last;
  name = name.substr(first, last - first);
  for (const char16_t c : name) {
    if (c < 32) return u"unknown";
  }
  return name;
}

String CPU_SerialNumberText(std::uint32_t Signature, std::uint32_t EDX, std::uint32_t ECX) {
  String text;
  text.reserve(24);
  AppendHex8(text, Signature);
  AppendHex8(text, EDX);
  AppendHex8(text, ECX);
  return text;
}

}  // namespace kez
