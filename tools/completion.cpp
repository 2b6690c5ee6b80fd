// kez completion bash: a bash completion script generated from the tool's own parser, so
// that it always knows the commands and options the tool has.
#include "cli.hpp"

namespace kez::tool {

namespace {

struct CommandWords {
  std::string Path;  // " ascii85 encode"
  std::string Subcommands;
  std::string Options;
};

void Collect(const CLI::App* app, const std::string& path, std::vector<CommandWords>& out) {
  CommandWords words{path, {}, {}};
  for (const CLI::Option* opt : app->get_options()) {
    for (const std::string& name : opt->get_snames()) words.Options += " -" + name;
    for (const std::string& name : opt->get_lnames()) words.Options += " --" + name;
  }
  const auto subs = app->get_subcommands([](const CLI::App*) { return true; });
  for (const CLI::App* sub : subs) words.Subcommands += " " + sub->get_name();
  out.push_back(words);
  for (const CLI::App* sub : subs) Collect(sub, path + " " + sub->get_name(), out);
}

std::string BashScript(const CLI::App& app) {
  std::vector<CommandWords> all;
  Collect(&app, "", all);
  std::string paths, subs, opts;
  for (const CommandWords& w : all) {
    if (!w.Path.empty()) paths += std::string(paths.empty() ? "" : "|") + "\"" + w.Path + "\"";
    subs += "    \"" + w.Path + "\") words=\"" + w.Subcommands + "\" ;;\n";
    opts += "    \"" + w.Path + "\") words=\"" + w.Options + "\" ;;\n";
  }
  return "# bash completion for kez (made by 'kez completion bash')\n"
         "_kez() {\n"
         "  local cur=${COMP_WORDS[COMP_CWORD]} path=\"\" words=\"\" i\n"
         "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
         "    case \"$path ${COMP_WORDS[i]}\" in\n"
         "      " +
         paths +
         ") path=\"$path ${COMP_WORDS[i]}\" ;;\n"
         "    esac\n"
         "  done\n"
         "  if [[ $cur == -* ]]; then\n"
         "    case \"$path\" in\n" +
         opts +
         "    esac\n"
         "  else\n"
         "    case \"$path\" in\n" +
         subs +
         "    esac\n"
         "  fi\n"
         "  COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n"
         "}\n"
         "complete -o default -F _kez kez\n";
}

}  // namespace

void AddCompletionCommand(CLI::App& app) {
  auto out = std::make_shared<std::string>("-");
  auto shell = std::make_shared<std::string>();
  CLI::App* cmd = app.add_subcommand("completion", "Print the shell completion script");
  cmd->add_option("SHELL", *shell, "The shell (bash)")->required()->check(CLI::IsMember({"bash"}));
  cmd->add_option("-o,--output", *out, "Write the script to this file");
  cmd->footer("Example: source <(kez completion bash)");
  OnRun(cmd, [&app, out, shell] {
    OutputFile file(*out);
    file.Write(BashScript(app));
    file.Commit();
    return 0;
  });
}

}  // namespace kez::tool
