// The CPUID leaf execution and the queries built on it.
#include <array>

#include "kez/cpuid.hpp"
#include "kez/cpuid/detail/execution.hpp"

namespace kez {

namespace detail {

TCpuidRegisters ExecuteCpuidLeaf(std::uint32_t Leaf, std::int32_t Repeat, bool IdSupport,
                                 const CpuidSource& Source) {
  if (!IdSupport) throw EKEZCpuIdError(u"Cannot acquire CPU information (CPUID not supported)");
  // Each range is checked against its own highest leaf. Comparing a standard leaf with the
  // extended maximum, or an extended leaf not at all, would let a missing leaf through, and
  // the processor then answers with another leaf's data (Intel) or zeros.
  constexpr std::uint32_t kExtended = 0x80000000u;
  const std::uint32_t highest = Source(Leaf >= kExtended ? kExtended : 0u).EAX;
  if (Leaf > highest) throw EKEZCpuIdError(u"CPUID: execution level not supported");
  TCpuidRegisters r = Source(Leaf);
  for (std::int32_t i = 1; i < Repeat; ++i) r = Source(Leaf);
  return r;
}

TCpuidRegisters ExecuteCpuidLeaf(std::uint32_t Leaf, std::int32_t Repeat) {
  return ExecuteCpuidLeaf(Leaf, Repeat, CPU_IDSupport(), ExecuteCpuid);
}

}  // namespace detail

using detail::ExecuteCpuidLeaf;

std::int32_t CPU_Count() { return ProcessorCount(); }

bool CPU_IDSupport() { return CpuidFlagToggles(); }

String CPU_VendorString() {
  const TCpuidRegisters r = ExecuteCpuidLeaf(0);
  return CPU_RegisterText(r.EBX) + CPU_RegisterText(r.EDX) + CPU_RegisterText(r.ECX);
}

std::uint32_t CPU_Signature() { return ExecuteCpuidLeaf(1).EAX; }
std::uint32_t CPU_FeatureSet() { return ExecuteCpuidLeaf(1).EDX; }
std::uint32_t CPU_ExtendedFeatureSet() { return ExecuteCpuidLeaf(0x80000001u).EDX; }
std::int32_t CPU_BrandID() { return static_cast<std::int32_t>(ExecuteCpuidLeaf(1).EBX & 0xFFu); }

std::int32_t CPU_Type() { return CPU_Type(CPU_Signature()); }
bool CPU_OverDrive() { return CPU_OverDrive(CPU_Signature()); }
std::int32_t CPU_Family() { return CPU_Family(CPU_Signature()); }
std::int32_t CPU_ExFamily() { return CPU_ExFamily(CPU_Signature()); }
std::int32_t CPU_Model() { return CPU_Model(CPU_Signature()); }
std::int32_t CPU_ExModel() { return CPU_ExModel(CPU_Signature()); }
std::int32_t CPU_Stepping() { return CPU_Stepping(CPU_Signature()); }

String CPU_SerialNumber() {
  const std::uint32_t signature = CPU_Signature();
  const TCpuidRegisters r = ExecuteCpuidLeaf(3);
  return CPU_SerialNumberText(signature, r.EDX, r.ECX);
}

String CPU_MarketName() {
  // Only the last of the three leaves is checked against the highest extended leaf (the two
  // below it then exist as well): under a hypervisor every CPUID is a trap costing
  // microseconds, and this way the name takes four instead of six.
  std::array<std::uint32_t, 12> regs{};
  for (std::uint32_t i = 3; i-- > 0;) {
    const TCpuidRegisters r =
        i == 2 ? ExecuteCpuidLeaf(0x80000004u) : ExecuteCpuid(0x80000002u + i);
    regs[i * 4 + 0] = r.EAX;
    regs[i * 4 + 1] = r.EBX;
    regs[i * 4 + 2] = r.ECX;
    regs[i * 4 + 3] = r.EDX;
  }
  return CPU_MarketNameFromRegisters(regs);
}

}  // namespace kez
