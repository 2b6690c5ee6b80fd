// kez: the library's command-line tool. Every command is a thin layer over one unit, so the
// tool doubles as a worked example of the library's API. The commands live in one source file
// per group (cmd_*.cpp); this file builds the parser and turns failures into exit codes.
#include <cstdio>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "cli.hpp"

namespace {

using namespace kez::tool;

// The usage line of the command the error belongs to: "kez crc16" for "kez crc16 --mode x".
std::string CommandPath(const CLI::App& app) {
  std::string path = app.get_name();
  const CLI::App* at = &app;
  while (true) {
    const auto parsed = at->get_subcommands();
    if (parsed.empty()) break;
    at = parsed.front();
    path += " " + at->get_name();
  }
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "kez puts the kez library to work from the shell: checksums, codings, grep with kez "
      "regular expressions, number layouts, feature matrices and string tables, colours and "
      "palettes, HTML templates.\n"
      "Commands read standard input when no file is given, or when a file is \"-\"; files "
      "they write appear whole or not at all.",
      "kez"};
  app.set_version_flag("-V,--version", "kez " KEZ_VERSION "\nReleased under the MIT licence.");
  app.require_subcommand(1);
  app.fallthrough(false);
  app.footer(
      "Exit status: 0 success, 1 a failed check, a miss or a file that could not be read or "
      "written, 2 a usage error.\n"
      "Run 'kez COMMAND --help' for a command's options, 'kez demo' for a tour.");
  app.get_formatter()->column_width(28);

  AddChecksumCommands(app);
  AddCodingCommands(app);
  AddTextCommands(app);
  AddDataCommands(app);
  AddColorCommands(app);
  AddWebCommands(app);
  AddGraphicsCommands(app);
  AddFileCommands(app);
  AddTextFileCommands(app);
  AddSystemCommands(app);
  AddDemoCommands(app);
  AddCompletionCommand(app);

  KeepArgumentsVerbatim(app);

  InstallSignalHandlers();
  try {
    std::vector<std::string> args = ProtectedArguments(argc, argv);
    app.parse(args);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    const std::string path = CommandPath(app);
    if (path == "kez" && argc > 1 && argv[1][0] != '-') {
      std::fprintf(stderr, "kez: '%s' is not a kez command\nTry 'kez --help' for the list.\n",
                   argv[1]);
      return 2;
    }
    if (path == "kez" && argc > 1) {
      std::fprintf(stderr, "kez: unknown option '%s'\nTry 'kez --help' for more information.\n",
                   argv[1]);
      return 2;
    }
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", path.c_str(),
                 WithoutMarkers(e.what()).c_str(), path.c_str());
    return 2;
  }

  int status = 0;
  bool stdoutReported = false;
  try {
    const auto run = TakePendingRun();
    status = run ? run() : 0;
  } catch (const Failure& e) {
    Warn(e.what());
    stdoutReported = std::string_view(e.what()).starts_with("standard output:");
    status = e.Code();
  } catch (const kez::Exception& e) {
    Warn(e.what());
    status = 1;
  } catch (const std::bad_alloc&) {
    Warn("out of memory");
    status = 1;
  }
  // A write error on standard output that a command has not reported yet.
  if ((std::fflush(stdout) != 0 || std::ferror(stdout)) && !stdoutReported) {
    Warn("standard output: write error");
    status = 1;
  }
  return status;
}
