// kez completion bash|zsh|fish, and the manual page: generated from the tool's own parser, so
// that they always know the commands, options and option values the tool has.
#include <map>

#include "cli.hpp"

namespace kez::tool {

namespace {

std::map<const CLI::Option*, std::vector<std::string>>& ValueTable() {
  static std::map<const CLI::Option*, std::vector<std::string>> table;
  return table;
}

std::string Joined(const std::vector<std::string>& Words) {
  std::string s;
  for (const std::string& w : Words) s += (s.empty() ? "" : " ") + w;
  return s;
}

// The values of the options of one command that have them: "--mode|-m) words=..." lines of a
// bash case, and those of its positional argument.
struct ValueWords {
  std::string OptionCases;
  std::string Positional;
};

ValueWords ValuesOf(const CLI::App* app) {
  ValueWords v;
  for (const CLI::Option* opt : app->get_options()) {
    const auto found = ValueTable().find(opt);
    if (found == ValueTable().end()) continue;
    if (opt->get_positional()) {
      v.Positional += " " + Joined(found->second);
      continue;
    }
    std::string names;
    for (const std::string& n : opt->get_snames()) names += (names.empty() ? "-" : "|-") + n;
    for (const std::string& n : opt->get_lnames()) names += (names.empty() ? "--" : "|--") + n;
    v.OptionCases += "        " + names + ") words=\"" + Joined(found->second) + "\" ;;\n";
  }
  return v;
}

struct CommandWords {
  std::string Path;  // " ascii85 encode"
  std::string Subcommands;
  std::string Options;
  std::string OptionValues;  // bash case lines: the values after an option
  std::string Positional;    // the values of the positional argument
  const CLI::App* App = nullptr;
};

void Collect(const CLI::App* app, const std::string& path, std::vector<CommandWords>& out) {
  const ValueWords values = ValuesOf(app);
  CommandWords words{path, {}, {}, values.OptionCases, values.Positional, app};
  for (const CLI::Option* opt : app->get_options()) {
    for (const std::string& name : opt->get_snames()) words.Options += " -" + name;
    for (const std::string& name : opt->get_lnames()) words.Options += " --" + name;
  }
  const auto subs = app->get_subcommands([](const CLI::App* a) { return !a->get_group().empty(); });
  for (const CLI::App* sub : subs) words.Subcommands += " " + sub->get_name();
  out.push_back(words);
  for (const CLI::App* sub : subs) Collect(sub, path + " " + sub->get_name(), out);
}

std::string BashScript(const CLI::App& app) {
  std::vector<CommandWords> all;
  Collect(&app, "", all);
  std::string paths, subs, opts, values;
  for (const CommandWords& w : all) {
    if (!w.Path.empty()) paths += std::string(paths.empty() ? "" : "|") + "\"" + w.Path + "\"";
    subs += "    \"" + w.Path + "\") words=\"" + w.Subcommands + w.Positional + "\" ;;\n";
    opts += "    \"" + w.Path + "\") words=\"" + w.Options + "\" ;;\n";
    if (!w.OptionValues.empty()) {
      values += "    \"" + w.Path + "\")\n      case \"$prev\" in\n" + w.OptionValues +
                "      esac ;;\n";
    }
  }
  return "# bash completion for kez (made by 'kez completion bash')\n"
         "_kez() {\n"
         "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} path=\"\" "
         "words=\"\" i\n"
         "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
         "    case \"$path ${COMP_WORDS[i]}\" in\n"
         "      " +
         paths +
         ") path=\"$path ${COMP_WORDS[i]}\" ;;\n"
         "    esac\n"
         "  done\n"
         "  case \"$path\" in\n" +
         values +
         "  esac\n"
         "  if [[ -n $words ]]; then\n"
         "    :\n"
         "  elif [[ $cur == -* ]]; then\n"
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

// zsh runs the bash function through its bash completion layer.
std::string ZshScript(const CLI::App& app) {
  return "#compdef kez\n# zsh completion for kez (made by 'kez completion zsh')\n"
         "autoload -U +X bashcompinit && bashcompinit\n" +
         BashScript(app);
}

// A text in single quotes for fish.
std::string FishQuoted(const std::string& Text) {
  std::string s = "'";
  for (const char c : Text) {
    if (c == '\'' || c == '\\') s += '\\';
    s += c;
  }
  return s + "'";
}

std::string FishScript(const CLI::App& app) {
  std::vector<CommandWords> all;
  Collect(&app, "", all);
  std::string out = "# fish completion for kez (made by 'kez completion fish')\ncomplete -c kez -f\n";
  for (const CommandWords& w : all) {
    // The condition that the command line is at this command: its last word seen and none
    // of its subcommands yet.
    const std::string last = w.Path.substr(w.Path.find_last_of(' ') + 1);
    std::string cond = w.Path.empty() ? "__fish_use_subcommand"
                                      : "__fish_seen_subcommand_from " + last;
    if (!w.Subcommands.empty() && !w.Path.empty()) {
      cond += "; and not __fish_seen_subcommand_from" + w.Subcommands;
    }
    for (const CLI::App* sub :
         w.App->get_subcommands([](const CLI::App* a) { return !a->get_group().empty(); })) {
      out += "complete -c kez -n " + FishQuoted(cond) + " -a " + FishQuoted(sub->get_name()) +
             " -d " + FishQuoted(sub->get_description()) + "\n";
    }
    for (const CLI::Option* opt : w.App->get_options()) {
      const auto found = ValueTable().find(opt);
      if (opt->get_positional()) {
        if (found != ValueTable().end()) {
          out += "complete -c kez -n " + FishQuoted(cond) + " -a " +
                 FishQuoted(Joined(found->second)) + "\n";
        }
        continue;
      }
      std::string line = "complete -c kez -n " + FishQuoted(cond);
      for (const std::string& n : opt->get_snames()) line += " -s " + n;
      for (const std::string& n : opt->get_lnames()) line += " -l " + n;
      if (found != ValueTable().end()) line += " -x -a " + FishQuoted(Joined(found->second));
      else if (opt->get_type_size() != 0) line += " -r -F";
      out += line + " -d " + FishQuoted(opt->get_description()) + "\n";
    }
  }
  return out;
}

// The manual page: the tool's help and every command's, as the parser prints them, in a
// roff page of section 1.
std::string Roff(const std::string& Text) {
  std::string out;
  bool lineStart = true;
  for (const char c : Text) {
    if (lineStart && (c == '.' || c == '\'')) out += "\\&";
    if (c == '\\') {
      out += "\\e";
    } else {
      out += c;
    }
    lineStart = c == '\n';
  }
  return out;
}

std::string ManPage(const CLI::App& app) {
  std::vector<CommandWords> all;
  Collect(&app, "", all);
  std::string page =
      ".TH KEZ 1 \"\" \"kez " KEZ_VERSION "\" \"User Commands\"\n"
      ".SH NAME\nkez \\- the kez library's command-line tool\n"
      ".SH SYNOPSIS\n.B kez\n.I COMMAND\n[\\fIOPTIONS\\fR] [\\fIARGUMENTS\\fR]\n"
      ".SH DESCRIPTION\n.nf\n" +
      Roff(app.get_formatter()->make_help(&app, "kez", CLI::AppFormatMode::Normal)) +
      ".fi\n.SH COMMANDS\n";
  for (const CommandWords& w : all) {
    if (w.Path.empty()) continue;
    page += ".SS \"kez" + w.Path + "\"\n.nf\n" + Roff(w.App->get_formatter()->make_help(w.App, "kez" + w.Path, CLI::AppFormatMode::Normal)) + ".fi\n";
  }
  return page;
}

}  // namespace

CLI::Option* CompleteWith(CLI::Option* Opt, std::vector<std::string> Values) {
  ValueTable()[Opt] = std::move(Values);
  return Opt;
}

void AddCompletionCommand(CLI::App& app) {
  auto out = std::make_shared<std::string>("-");
  auto shell = std::make_shared<std::string>();
  CLI::App* cmd = app.add_subcommand("completion", "Print the shell completion script");
  CompleteWith(cmd->add_option("SHELL", *shell, "The shell: bash, zsh or fish")
                   ->required()
                   ->check(CLI::IsMember({"bash", "zsh", "fish"})),
               {"bash", "zsh", "fish"});
  cmd->add_option("-o,--output", *out, "Write the script to this file");
  cmd->footer(
      "bash: source the script, or install it as share/bash-completion/completions/kez; zsh: "
      "source it; fish: save it as ~/.config/fish/completions/kez.fish. Commands, options and "
      "the values of options that have fixed ones are completed.\n"
      "Example: source <(kez completion bash)");
  auto manOut = std::make_shared<std::string>("-");
  CLI::App* man = app.add_subcommand("manpage", "Print the manual page kez(1) in roff");
  man->group("");  // for the build, not for users: left out of the help
  man->add_option("-o,--output", *manOut, "Write the page to this file");
  OnRun(man, [&app, manOut] {
    OutputFile file(*manOut);
    file.Write(ManPage(app));
    file.Commit();
    return 0;
  });
  OnRun(cmd, [&app, out, shell] {
    OutputFile file(*out);
    file.Write(*shell == "zsh" ? ZshScript(app) : *shell == "fish" ? FishScript(app) : BashScript(app));
    file.Commit();
    return 0;
  });
}

}  // namespace kez::tool
