// Turns the C++ examples of Markdown pages into one test program.
//
//   extract_examples OUTPUT.cpp ROOT PAGE.md...
//
// Every block fenced as ```cpp becomes a function of OUTPUT.cpp; the program runs each in a
// child process of its own, inside a fresh folder, and fails when one fails:
//   - a block is a sequence of statements, or a whole program with `int main()`; such a
//     main is an ordinary function here, so it must return its status (the build makes a
//     missing return an error);
//   - its `#include` lines are gathered at the top of the program (in the order met);
//   - `assert` is active whatever the build type, so `assert(x == 3);` states a result;
//   - a ```text block that follows (after blank lines only) is the block's expected standard
//     output, compared byte for byte;
//   - ```cpp nocheck marks a fragment that is shown but neither compiled nor run.
// `#line` directives point compiler errors and failed assertions at the page and its line.
// The page names are written relative to ROOT.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Example {
  std::string Page;   // relative to the root
  int FirstLine = 0;  // 1-based line of the block's first code line
  std::vector<std::string> Code;
  bool WholeProgram = false;
  bool HasOutput = false;
  std::string Output;
};

bool StartsWith(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return "";
  const auto e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

// The info string of a fence line ("```cpp nocheck" gives "cpp nocheck"), or nothing when the
// line is no fence.
bool FenceInfo(const std::string& line, std::string& info) {
  const std::string t = Trim(line);
  if (!StartsWith(t, "```")) return false;
  info = Trim(t.substr(3));
  return true;
}

// Reads one page's examples; a fence left open is an error (false).
bool ReadPage(const std::filesystem::path& file, const std::string& name,
              std::vector<Example>& out) {
  std::ifstream in(file);
  if (!in) {
    std::cerr << name << ": cannot be read\n";
    return false;
  }
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  std::size_t i = 0;
  Example* last = nullptr;  // the cpp block a text block may still belong to
  while (i < lines.size()) {
    std::string info;
    if (!FenceInfo(lines[i], info)) {
      if (!Trim(lines[i]).empty()) last = nullptr;
      ++i;
      continue;
    }
    const std::size_t open = i++;
    std::vector<std::string> body;
    std::string dummy;
    while (i < lines.size() && !(FenceInfo(lines[i], dummy) && dummy.empty())) {
      body.push_back(lines[i++]);
    }
    if (i == lines.size()) {
      std::cerr << name << ":" << open + 1 << ": code block is never closed\n";
      return false;
    }
    ++i;  // the closing fence
    if (info == "cpp") {
      Example e;
      e.Page = name;
      e.FirstLine = static_cast<int>(open) + 2;
      e.Code = body;
      for (const auto& l : body) {
        if (StartsWith(Trim(l), "int main(")) e.WholeProgram = true;
      }
      out.push_back(std::move(e));
      last = &out.back();
    } else if (info == "text" && last != nullptr) {
      last->HasOutput = true;
      for (const auto& l : body) last->Output += l + "\n";
      last = nullptr;
    } else {
      last = nullptr;
    }
  }
  return true;
}

// A raw string literal holding any text: the delimiter grows until the text lacks it.
std::string RawLiteral(const std::string& text) {
  std::string delim = "doc";
  while (text.find(")" + delim + "\"") != std::string::npos) delim += "x";
  return "R\"" + delim + "(" + text + ")" + delim + "\"";
}

std::string Quoted(const std::string& s) {
  std::string r = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') r += '\\';
    r += c;
  }
  return r + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: extract_examples OUTPUT.cpp ROOT PAGE.md...\n";
    return 2;
  }
  const std::filesystem::path root = argv[2];
  std::vector<Example> examples;
  for (int a = 3; a < argc; ++a) {
    const std::filesystem::path page = argv[a];
    const std::string name = page.lexically_relative(root).generic_string();
    if (!ReadPage(page, name, examples)) return 1;
  }

  std::ostringstream src;
  src << "// Generated from the documentation's examples; do not edit.\n"
         "#undef NDEBUG\n#include <cassert>\n";
  std::set<std::string> seen;
  for (const auto& e : examples) {
    for (const auto& l : e.Code) {
      const std::string t = Trim(l);
      if (StartsWith(t, "#include") && seen.insert(t).second) src << t << "\n";
    }
  }
  src << "#include \"doc_example_runner.hpp\"\n\n";
  for (std::size_t n = 0; n < examples.size(); ++n) {
    const auto& e = examples[n];
    src << "namespace doc_example_" << n << " {\n";
    if (!e.WholeProgram) src << "void main() {\n";
    src << "#line " << e.FirstLine << " " << Quoted(e.Page) << "\n";
    for (const auto& l : e.Code) src << (StartsWith(Trim(l), "#include") ? "" : l) << "\n";
    if (!e.WholeProgram) src << "}\n";
    src << "}  // namespace doc_example_" << n << "\n";
  }
  src << "\n#line 1 \"generated\"\nint main() {\n  doc_examples::Runner runner;\n";
  for (std::size_t n = 0; n < examples.size(); ++n) {
    const auto& e = examples[n];
    src << "  runner.Run(" << Quoted(e.Page + ":" + std::to_string(e.FirstLine - 1)) << ", []() {";
    if (e.WholeProgram) {
      src << " return doc_example_" << n << "::main(); }";
    } else {
      src << " doc_example_" << n << "::main(); return 0; }";
    }
    if (e.HasOutput) src << ", " << RawLiteral(e.Output);
    src << ");\n";
  }
  src << "  return runner.Finish();\n}\n";

  // Written only when it changed, so an edit of prose recompiles nothing.
  const std::string text = src.str();
  {
    std::ifstream old(argv[1], std::ios::binary);
    std::ostringstream had;
    had << old.rdbuf();
    if (old && had.str() == text) return 0;
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) {
    std::cerr << argv[1] << ": cannot be written\n";
    return 1;
  }
  return 0;
}
