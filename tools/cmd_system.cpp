// kez password: the system commands.
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

}  // namespace

void AddSystemCommands(CLI::App& app) { AddPassword(app); }

}  // namespace kez::tool
