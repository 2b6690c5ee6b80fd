// kez cpu | password: the system commands.
#include "cli.hpp"

namespace kez::tool {

namespace {

struct PasswordOptions {
  std::int32_t Length = 8;
  bool Mixed = false;
  bool Special = false;
  std::int32_t Count = 1;
};

int Passwords(const PasswordOptions& o) {
  for (std::int32_t i = 0; i < o.Count; ++i) PrintLn(InventPassword(o.Length, o.Mixed, o.Special));
  return 0;
}

void AddPassword(CLI::App& app) {
  auto o = std::make_shared<PasswordOptions>();
  CLI::App* cmd = app.add_subcommand("password", "Invent pronounceable passwords");
  cmd->add_option("-l,--length", o->Length, "Characters in each password")
      ->check(CLI::Range(4, 14))
      ->capture_default_str();
  cmd->add_flag("-m,--mixed", o->Mixed, "Make about half of the letters upper case");
  cmd->add_flag("-s,--special", o->Special,
                "Replace about one character in five by one of _ ! $ % # = or a digit");
  cmd->add_option("-c,--count", o->Count, "How many passwords, one per line")
      ->check(CLI::Range(1, 100000))
      ->capture_default_str();
  cmd->footer(
      "A password alternates consonants and vowels and holds two digits (after the sixth "
      "letter). Every choice comes from the system's cryptographic random source.\n"
      "Example: kez password --length 10 --mixed --count 3");
  OnRun(cmd, [o] { return Passwords(*o); });
}

// ---- cpu ---------------------------------------------------------------------------------

// What the processor says of itself. Where CPUID is missing, the processor count and the
// clock estimate are still shown and the rest is named as unavailable on standard error.
int Cpu(std::uint32_t delayMs) {
  const auto line = [](const char* label, const String& value) {
    PrintLn(std::string(label) + std::string(12 - std::string_view(label).size(), ' ') + U8(value));
  };
  line("processors", IntToStr(CPU_Count()));
  try {
    const std::uint32_t sig = CPU_Signature();
    line("vendor", CPU_VendorString());
    line("family", IntToStr(CPU_Family(sig)) + u" (extended " + IntToStr(CPU_ExFamily(sig)) +
                       u"), model " + IntToStr(CPU_Model(sig)) + u" (extended " +
                       IntToStr(CPU_ExModel(sig)) + u"), stepping " + IntToStr(CPU_Stepping(sig)));
    line("name", CPU_MarketName());
    const std::uint32_t features = CPU_FeatureSet();
    bool first = true;
    for (std::size_t bit = 0; bit < CPUFeatureNames.size(); ++bit) {
      if (((features >> bit) & 1u) == 0 || CPUFeatureNames[bit] == u"reserved") continue;
      line(first ? "features" : "", String(CPUFeatureNames[bit]));
      first = false;
    }
  } catch (const EKEZCpuIdError& e) {
    Warn(std::string("processor identification unavailable: ") + e.what());
  }
  if (delayMs > 0) {
    line("speed", strff(CPU_Speed(delayMs), 1, 1) + u" MHz (time-stamp counter over " +
                      IntToStr(static_cast<std::int32_t>(delayMs)) + u" ms)");
  }
  return 0;
}

void AddCpu(CLI::App& app) {
  auto delay = std::make_shared<std::uint32_t>(200);
  CLI::App* cmd =
      app.add_subcommand("cpu", "Show the processor: vendor, family, name, features, clock");
  cmd->add_option("-d,--delay", *delay,
                  "Milliseconds to measure the clock over (0 skips the measurement)")
      ->check(CLI::Range(0, 10000))
      ->capture_default_str();
  cmd->footer(
      "Family, model and stepping are the raw fields of the processor's signature (the "
      "extended fields are shown beside them, not added). The clock is estimated from the "
      "time-stamp counter while the program busy-waits.\nExample: kez cpu --delay 500");
  OnRun(cmd, [delay] { return Cpu(*delay); });
}

}  // namespace

void AddSystemCommands(CLI::App& app) {
  AddCpu(app);
  AddPassword(app);
}

}  // namespace kez::tool
