// kez featmat show|check, kez strarray show: the library's data files as tables.
#include "cli.hpp"

namespace kez::tool {

namespace {

// ---- featmat -----------------------------------------------------------------------------

struct FileOptions {
  std::string File = "-";
  std::string Id;
};

// What a load status means, for messages.
std::string LoadProblem(std::int32_t status) {
  switch (status) {
    case -1:
      return "No such file or directory";
    case -2:
      return "not a feature-matrix file: it holds no feature descriptions";
    default:
      return "damaged feature-matrix file: reading stopped at an error";
  }
}

// Loads the matrix; a file that is not sound throws with the reader's status in words.
void LoadMatrix(const std::string& name, TFeatureMatrix& m) {
  LocalFile file(name);
  const std::int32_t status = m.Load(file.Path());
  if (status != 0)
    throw Failure((IsStdin(name) ? std::string("-") : name) + ": " + LoadProblem(status));
}

int FeatmatCheck(const FileOptions& o) {
  TFeatureMatrix m(nullptr);
  LoadMatrix(o.File, m);
  PrintLn((IsStdin(o.File) ? std::string("-") : o.File) + ": sound, " +
          std::to_string(m.NFeatures()) + " features, " + std::to_string(m.NObjects()) +
          " objects");
  return 0;
}

// The descriptions, then the values: one row per object, one column per feature, numbers
// right-aligned.
int FeatmatShow(const FileOptions& o) {
  TFeatureMatrix m(nullptr);
  LoadMatrix(o.File, m);
  std::vector<std::vector<std::string>> rows = {{"feature", "number", "name", "kind", "comment"}};
  for (std::int32_t f = 1; f <= m.NFeatures(); ++f) {
    const TFeatProps p = m.GetFeatProps(f);
    rows.push_back({std::to_string(f), std::to_string(p.FeatNum), U8(AnsiToString(p.FeatName)),
                    U8(FEATKINDIDS[p.FeatKind]), U8(AnsiToString(p.Comment))});
  }
  PrintTable(rows, {true, true, false, false, false});
  PrintLn();

  std::vector<bool> right = {true};
  rows = {{"object"}};
  for (std::int32_t f = 1; f <= m.NFeatures(); ++f) {
    const TFeatProps p = m.GetFeatProps(f);
    rows[0].push_back(U8(AnsiToString(p.FeatName)));
    right.push_back(p.FeatKind == fkInteger || p.FeatKind == fkDouble);
  }
  for (std::int32_t obj = 1; obj <= m.NObjects(); ++obj) {
    rows.push_back({std::to_string(obj)});
    for (std::int32_t f = 1; f <= m.NFeatures(); ++f) {
      const bool defined = m.GetFeatProps(f).FeatKind != fkUndefined;
      rows.back().push_back(defined ? U8(m.GetFeatValStr(f, obj)) : std::string());
    }
  }
  PrintTable(rows, right);
  return 0;
}

void AddFeatmat(CLI::App& app) {
  auto o = std::make_shared<FileOptions>();
  CLI::App* group = app.add_subcommand("featmat", "Show or check a feature-matrix file");
  group->require_subcommand(1);
  CLI::App* show =
      group->add_subcommand("show", "Print the feature descriptions and the values as tables");
  CLI::App* check = group->add_subcommand(
      "check", "Read the file and say whether it is sound; exit 1 when it is not");
  for (CLI::App* cmd : {show, check}) {
    cmd->add_option("FILE", o->File, "The file (standard input when none or \"-\")");
  }
  group->footer("Example: kez featmat show tools/samples/stations.fm");
  OnRun(show, [o] { return FeatmatShow(*o); });
  OnRun(check, [o] { return FeatmatCheck(*o); });
}

// ---- strarray ----------------------------------------------------------------------------

// The table with its row numbers; column 0 (the row labels) only when it holds something.
int StrarrayShow(const FileOptions& o) {
  LocalFile file(o.File);
  TStringArray table(nullptr);
  if (!table.LoadFromXMLFile(file.Path(), Arg(o.Id))) {
    const std::string what =
        o.Id.empty() ? "no string table" : "no string table with id \"" + o.Id + "\"";
    throw Failure((IsStdin(o.File) ? std::string("-") : o.File) + ": " + what +
                  ", or the table is damaged");
  }
  const std::int32_t first = table.ColumnEmpty(0) ? 1 : 0;
  std::vector<std::vector<std::string>> rows = {{"row"}};
  for (std::int32_t c = first; c <= table.NrOfColumns(); ++c) rows[0].push_back(std::to_string(c));
  for (std::int32_t r = 1; r <= table.NrOfRows(); ++r) {
    rows.push_back({std::to_string(r)});
    for (std::int32_t c = first; c <= table.NrOfColumns(); ++c) {
      rows.back().push_back(U8(AnsiToString(table.Elem(c, r))));
    }
  }
  PrintTable(rows, {true});
  return 0;
}

void AddStrarray(CLI::App& app) {
  auto o = std::make_shared<FileOptions>();
  CLI::App* group = app.add_subcommand("strarray", "Show a string table stored as XML");
  group->require_subcommand(1);
  CLI::App* show = group->add_subcommand("show", "Print the table with row and column numbers");
  show->add_option("FILE", o->File, "The file (standard input when none or \"-\")");
  show->add_option("--id", o->Id, "Read the table with this identifier (default: the first)");
  group->footer("Example: kez strarray show tools/samples/tables.xml --id towns");
  OnRun(show, [o] { return StrarrayShow(*o); });
}

}  // namespace

void AddDataCommands(CLI::App& app) {
  AddFeatmat(app);
  AddStrarray(app);
}

}  // namespace kez::tool
