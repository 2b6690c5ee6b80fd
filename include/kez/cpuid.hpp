/// @file
/// KEZ_cpuid: questions about the processor the program runs on: the number of logical
/// processors, whether it has the CPUID instruction, its vendor, signature and feature words,
/// its marketing name, a serial-number text, the division defect of early Pentium processors
/// and an estimate of its clock rate. The functions keep no state: every call asks the
/// processor afresh.
///
/// @code
///   kez::CPU_VendorString()                          // u"GenuineIntel", u"AuthenticAMD", ...
///   kez::CPU_Family()                                // the raw 4-bit field, 15 on newer AMD
///   (kez::CPU_FeatureSet() >> kez::cpuft_simd2) & 1  // 1 with SSE2
///   kez::CPUFeatureNames[kez::cpuft_simd2]           // u"SSE2 (WNI) instructions"
///   kez::CPU_Speed(200)                              // about 2100.0 on a 2.1 GHz processor
/// @endcode
///
/// The queries that execute CPUID raise EKEZCpuIdError with a plain message (no component
/// prefix): "Cannot acquire CPU information (CPUID not supported)" where the processor has no
/// CPUID (on processors other than x86 always), and "CPUID: execution level not supported"
/// where the processor does not offer the leaf a query needs. CPU_Count, CPU_IDSupport,
/// CPU_FDIVBugPresent and CPU_Speed never raise these.
///
/// The signature decoding and the text conversions are also available on register values
/// (the overloads taking a signature, CPU_RegisterText, CPU_MarketNameFromRegisters,
/// CPU_SerialNumberText), for values recorded elsewhere.
///
/// Threads: every function here may run in several threads at once, each on its own data.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "kez/kezbase.hpp"
#include "kez/platform/export.hpp"

namespace kez {
KEZ_API_BEGIN

/// EKEZCpuIdError
/// Errors of the CPU queries.
class EKEZCpuIdError : public EKEZError {
 public:
  using EKEZError::EKEZError;
};

/// TCPUFeatures
/// The bits of the feature word of CPU_FeatureSet: the ordinal of each member is its bit.
enum TCPUFeatures : std::uint8_t {
  cpuft_fpu,
  cpuft_vme,
  cpuft_de,
  cpuft_pse,
  cpuft_tsc,
  cpuft_msr,
  cpuft_pae,
  cpuft_mce,
  cpuft_cx8,
  cpuft_apic,
  cpuft_sepamd,
  cpuft_sep,
  cpuft_mtrr,
  cpuft_pge,
  cpuft_mca,
  cpuft_cmov,
  cpuft_pat,
  cpuft_pse36,
  cpuft_serial,
  cpuft_clflush,
  cpuft_reserved1,
  cpuft_dts,
  cpuft_acpi,
  cpuft_mmx,
  cpuft_xsr,
  cpuft_simd,
  cpuft_simd2,
  cpuft_ss,
  cpuft_reserved2,
  cpuft_tm,
  cpuft_ia64,
  cpuft_3dnow
};

/// CPUFeatureNames
/// A description of each feature bit, indexed by TCPUFeatures.
inline constexpr std::array<StringView, 32> CPUFeatureNames = {
    u"Floating Point Unit",
    u"V86 Mode Extensions",
    u"Debug Extensions - I/O breakpoints supported",
    u"Page Size Extensions (4 MB pages supported)",
    u"Time Stamp Counter and RDTSC instruction are available",
    u"Model Specific Registers",
    u"Physical Address Extensions (36-bit address, 2MB pages)",
    u"Machine Check Exception supported",
    u"Compare Exchange Eight Byte instruction available",
    u"Local APIC present (multiprocessor operation support)",
    u"Fast system calls (AMD only)",
    u"Fast system calls",
    u"Memory Type Range Registers",
    u"Page Global Enable",
    u"Machine Check Architecture",
    u"Conditional MOVe instructions",
    u"Page Attribute Table",
    u"36 bit Page Size Extensions",
    u"Processor Serial Number",
    u"Cache Flush",
    u"reserved",
    u"Debug Trace Store",
    u"ACPI support",
    u"MultiMedia Extensions",
    u"FXSAVE and FXRSTOR instructions",
    u"SSE instructions",
    u"SSE2 (WNI) instructions",
    u"self snoop",
    u"reserved",
    u"Automatic clock control",
    u"IA64 instructions",
    u"3DNow! instructions available"};
static_assert(cpuft_3dnow == 31 && sizeof(TCPUFeatures) == 1);

// ---------------------------------------------------------------------------------------
// Queries without CPUID
// ---------------------------------------------------------------------------------------

/// CPU_Count
/// The number of logical processors online, as the operating system counts them; at least 1.
std::int32_t CPU_Count();

/// CPU_IDSupport
/// True if bit 21 (ID) of the flags register can be toggled, i.e. the processor has CPUID.
/// False on processors other than x86.
bool CPU_IDSupport();

/// CPU_FDIVBugPresent
/// True if the floating-point unit divides wrongly: (x / y) * y - x with x = 4195835 and
/// y = 3145727, computed in extended precision, is not zero (it is 256 on the flawed
/// Pentium processors of 1994).
bool CPU_FDIVBugPresent();

/// CPU_Speed
/// An estimate of the clock rate in MHz: the time-stamp counter's ticks during DelayMs
/// milliseconds, divided by 1000 * DelayMs (in 64 bits). A few hundred milliseconds give a
/// usable estimate; on processors with an invariant counter it is the counter's nominal rate.
/// The calling thread busy-waits for about DelayMs (plus up to one millisecond to meet a
/// tick edge) with its priority raised as far as the process may (see TPriorityBoost);
/// the priorities are restored before it returns. A DelayMs of 0 returns 0 at once (nothing
/// can be measured in no time). Returns 0 on processors without a time-stamp counter.
float CPU_Speed(std::uint32_t DelayMs);

// ---------------------------------------------------------------------------------------
// Queries through CPUID (raise EKEZCpuIdError as described above)
// ---------------------------------------------------------------------------------------

/// CPU_VendorString
/// The 12 characters of leaf 0's EBX, EDX, ECX: u"GenuineIntel", u"AuthenticAMD", ...
String CPU_VendorString();

/// CPU_Signature / CPU_FeatureSet
/// Leaf 1's EAX (family, model, stepping, type) / EDX (the bits of TCPUFeatures).
///@{
std::uint32_t CPU_Signature();
std::uint32_t CPU_FeatureSet();
///@}

/// CPU_ExtendedFeatureSet
/// EDX of extended leaf 0x80000001 (AMD's extended feature bits, on Intel a few of them).
std::uint32_t CPU_ExtendedFeatureSet();

/// CPU_BrandID
/// Bits 0-7 of leaf 1's EBX (0 on most processors since 2000).
std::int32_t CPU_BrandID();

/// CPU_Type, CPU_OverDrive, CPU_Family, CPU_ExFamily, CPU_Model, CPU_ExModel, CPU_Stepping
/// The fields of CPU_Signature, or of a given Signature: type bits 12-13 (CPU_OverDrive: type
/// 1), family bits 8-11, extended family bits 20-27, model bits 4-7, extended model bits
/// 16-19, stepping bits 0-3. Each field is returned raw: the extended fields are not added to
/// the base ones (0x00B00F21 is family 15 with extended family 11, where Linux shows 26). A
/// signature of 0 gives 0 (false) for each.
///@{
std::int32_t CPU_Type();
bool CPU_OverDrive();
std::int32_t CPU_Family();
std::int32_t CPU_ExFamily();
std::int32_t CPU_Model();
std::int32_t CPU_ExModel();
std::int32_t CPU_Stepping();
std::int32_t CPU_Type(std::uint32_t Signature);
bool CPU_OverDrive(std::uint32_t Signature);
std::int32_t CPU_Family(std::uint32_t Signature);
std::int32_t CPU_ExFamily(std::uint32_t Signature);
std::int32_t CPU_Model(std::uint32_t Signature);
std::int32_t CPU_ExModel(std::uint32_t Signature);
std::int32_t CPU_Stepping(std::uint32_t Signature);
///@}

/// CPU_SerialNumber
/// 24 upper-case hexadecimal digits: the signature (leaf 1's EAX), then EDX and ECX of
/// leaf 3, the processor-serial-number leaf. Only the Pentium III filled leaf 3 (and only with
/// the serial number enabled); other processors give zeros there, so the text is mostly the
/// signature followed by 16 zeros. Raises the leaf error where the processor's highest
/// standard leaf is below 3.
String CPU_SerialNumber();

/// CPU_MarketName
/// The brand string of extended leaves 0x80000002-0x80000004, e.g. u"AMD EPYC 9654 96-Core
/// Processor": 48 characters with blanks and zero bytes (codes up to 32) cut from both ends;
/// u"unknown" if a control character (code below 32) remains inside. Raises the leaf error on
/// processors without the brand-string leaves.
String CPU_MarketName();

// ---------------------------------------------------------------------------------------
// Decoding register values
// ---------------------------------------------------------------------------------------

/// CPU_RegisterText
/// A register as four characters, its bytes from the lowest to the highest, each byte the
/// character of that code (zero bytes included): 0x756E6547 gives u"Genu".
String CPU_RegisterText(std::uint32_t Register);

/// CPU_MarketNameFromRegisters
/// CPU_MarketName of the registers of leaves 0x80000002, 0x80000003, 0x80000004, each in the
/// order EAX, EBX, ECX, EDX.
String CPU_MarketNameFromRegisters(std::span<const std::uint32_t, 12> Registers);

/// CPU_SerialNumberText
/// CPU_SerialNumber's layout: Signature, EDX and ECX as 8 upper-case hexadecimal digits each.
String CPU_SerialNumberText(std::uint32_t Signature, std::uint32_t EDX, std::uint32_t ECX);

KEZ_API_END
}  // namespace kez
