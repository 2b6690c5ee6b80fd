// kez featmat show|check, kez strarray show: the library's data files as tables.
#include "cli.hpp"

namespace kez::tool {

namespace {

std::string Shown(const std::string& name) { return IsStdin(name) ? std::string("-") : name; }

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
  if (status != 0) throw Failure(Shown(name) + ": " + LoadProblem(status));
}

int FeatmatCheck(const FileOptions& o) {
  TFeatureMatrix m(nullptr);
  LoadMatrix(o.File, m);
  PrintLn(Shown(o.File) + ": sound, " + std::to_string(m.NFeatures()) + " features, " +
          std::to_string(m.NObjects()) + " objects");
  return 0;
}

int FeatmatShow(const FileOptions& o) {
  TFeatureMatrix m(nullptr);
  LoadMatrix(o.File, m);
  PrintFeatureMatrix(m);
  return 0;
}

void AddFeatmat(CLI::App& app) {
  auto o = std::make_shared<FileOptions>();
  CLI::App* group = app.add_subcommand("featmat", "Show or check a feature-matrix file");
  group->require_subcommand(1);
  group->footer("Run 'kez featmat show --help' or 'kez featmat check --help' for their options.\n"
                "Example: kez featmat show \"$(kez samples stations.fm)\"");
  CLI::App* show =
      group->add_subcommand("show", "Print the feature descriptions and the values as tables");
  CLI::App* check = group->add_subcommand(
      "check", "Read the file and say whether it is sound; exit 1 when it is not");
  for (CLI::App* cmd : {show, check}) {
    cmd->add_option("FILE", o->File, "The file (standard input when none or \"-\")");
  }
  show->footer("Example: kez featmat show \"$(kez samples stations.fm)\"");
  check->footer("Prints the numbers of features and objects of a sound file.\n"
                "Example: kez featmat check \"$(kez samples stations.fm)\"");
  OnRun(show, [o] { return ForEachFile({o->File}, [o](const std::string&) { FeatmatShow(*o); }); });
  OnRun(check, [o] { return ForEachFile({o->File}, [o](const std::string&) { FeatmatCheck(*o); }); });
}

// ---- strarray ----------------------------------------------------------------------------

// The identifiers of the tables in a file, in file order ("" for a table without one): the
// id attribute of each "<strarray" start tag.
std::vector<String> TableIds(const std::string& name) {
  InputFile in(name);
  const String text = AnsiToString(in.ReadAll());
  const String lower = LowerCase(text);
  std::vector<String> ids;
  for (std::size_t at = lower.find(u"<strarray"); at != String::npos;
       at = lower.find(u"<strarray", at + 1)) {
    const std::size_t from = at + 9;
    if (from < text.size() && text[from] != u' ' && text[from] != u'>') continue;
    const std::size_t end = text.find(u'>', from);
    ids.push_back(ScanForXMLAttrib(
        text.substr(from, end == String::npos ? String::npos : end - from), u"id"));
  }
  return ids;
}

int StrarrayList(const FileOptions& o) {
  const std::vector<String> ids = TableIds(o.File);
  if (ids.empty()) throw Failure(Shown(o.File) + ": no string table in the file");
  for (const String& id : ids) PrintLn(id);
  return 0;
}

// The table with its row numbers; column 0 (the row labels) only when it holds something.
// Without an identifier the file's first table is shown.
int StrarrayShow(const FileOptions& o) {
  LocalFile file(o.File, o.Id.empty());
  String id = Arg(o.Id);
  if (o.Id.empty()) {
    const std::vector<String> ids = TableIds(file.NativePath());
    if (ids.empty()) throw Failure(Shown(o.File) + ": no string table in the file");
    id = ids.front();
  }
  TStringArray table(nullptr);
  if (!table.LoadFromXMLFile(file.Path(), id)) {
    throw Failure(Shown(o.File) + ": no string table with id \"" + U8(id) +
                  "\", or the table is damaged");
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
  group->footer("Run 'kez strarray show --help' or 'kez strarray list --help' for their options.\n"
                "Example: kez strarray list \"$(kez samples tables.xml)\"");
  CLI::App* show = group->add_subcommand("show", "Print the table with row and column numbers");
  show->add_option("FILE", o->File, "The file (standard input when none or \"-\")");
  show->add_option("--id", o->Id, "Read the table with this identifier (default: the first)");
  CLI::App* list = group->add_subcommand("list", "Print the identifiers of the file's tables");
  list->add_option("FILE", o->File, "The file (standard input when none or \"-\")");
  OnRun(list, [o] { return ForEachFile({o->File}, [o](const std::string&) { StrarrayList(*o); }); });
  list->footer("One identifier a line, in file order (an empty line for a table without one).\n"
               "Example: kez strarray list \"$(kez samples tables.xml)\"");
  show->footer("Example: kez strarray show \"$(kez samples tables.xml)\" --id rivers");
  OnRun(show, [o] { return ForEachFile({o->File}, [o](const std::string&) { StrarrayShow(*o); }); });
}

}  // namespace

// Numbers are right-aligned; a feature of no kind shows no values.
void PrintFeatureMatrix(const TFeatureMatrix& m) {
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
}

void AddDataCommands(CLI::App& app) {
  AddFeatmat(app);
  AddStrarray(app);
}

}  // namespace kez::tool
