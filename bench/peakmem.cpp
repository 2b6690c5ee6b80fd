// Peak memory of the large containers against the standard container a user would pick
// instead. One case per process run, so that every figure is that process's own peak:
//   kez_peakmem <case>     prints "<case> <peak resident KiB>"
// Cases: baseline (nothing built), stringarray / stringarray_std (1,000,000 cells of 4 to 12
// characters), featurematrix / featurematrix_std (1,000 x 1,000 numbers stored as texts),
// assocarray / assocarray_std (100,000 entries, text key and integer value), grep / grep_re2
// ("b.*d" searched in a text of 20,000,000 characters with many "b" and no "d": TGrep with
// its table of failed attempts on the UTF-16 text, RE2 on the same text in UTF-8) and
// grep_text (the UTF-16 text alone, to tell the table from the text).
#include "keys.hpp"
#include "matrixdata.hpp"
#include <sys/resource.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "kez/dstruct.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/stringl.hpp"

#ifdef KEZ_BENCH_HAVE_RE2
#include <re2/re2.h>
#endif

namespace {

using kez::bench::MakeKeys;

constexpr std::int32_t kCols = 10, kRows = 100000;   // string table: 1,000,000 cells
constexpr std::int32_t kFeats = 1000, kObjs = 1000;  // feature matrix
constexpr std::int32_t kEntries = 100000;            // associative array

// The search text, built in place in either character type so that no copy adds to the peak.
template <class Text>
Text GrepText() {
  constexpr std::size_t kLength = 20000000;
  static const char kLetters[] = "abcefghb ijklmnb";
  std::uint32_t seed = 42;
  Text text;
  text.reserve(kLength);
  for (std::size_t i = 0; i < kLength; ++i) {
    seed = seed * 134775813u + 1u;
    text.push_back(static_cast<typename Text::value_type>(kLetters[(seed >> 16) % 16]));
  }
  return text;
}

// The keys are built in every string-table case (baseline included) so that their memory
// cancels out of the differences.
std::size_t Run(const char* name, const std::vector<std::string>& keys) {
  const std::string c = name;
  if (c == "baseline") return keys.size();
  if (c == "stringarray") {
    kez::TStringArray table(nullptr);
    table.Resize(kCols - 1, kRows);
    for (std::int32_t col = 0; col < kCols; ++col)
      for (std::int32_t r = 1; r <= kRows; ++r) table.SetString(col, r, keys[r - 1]);
    return static_cast<std::size_t>(table.NumBuffers());
  }
  if (c == "stringarray_std") {
    std::vector<std::string> cells(static_cast<std::size_t>(kCols) * kRows);
    for (std::int32_t col = 0; col < kCols; ++col)
      for (std::int32_t r = 0; r < kRows; ++r) cells[col * kRows + r] = keys[r];
    return cells.size();
  }
  if (c == "featurematrix") {
    kez::TFeatureMatrix m(nullptr);
    kez::bench::FillMatrix(m, kFeats, kObjs);
    return static_cast<std::size_t>(m.NObjects());
  }
  if (c == "featurematrix_std") {
    std::vector<std::vector<std::string>> t(kFeats, std::vector<std::string>(kObjs));
    char buf[32];
    for (std::int32_t f = 0; f < kFeats; ++f)
      for (std::int32_t o = 0; o < kObjs; ++o) {
        auto r = std::to_chars(buf, buf + sizeof buf, kez::bench::MatrixValue(f + 1, o + 1));
        t[f][o].assign(buf, r.ptr);
      }
    return t.size();
  }
  if (c == "assocarray") {
    kez::TAssocArray a(nullptr);
    for (std::int32_t i = 0; i < kEntries; ++i)
      a.Add(u"key_" + kez::IntToStr(static_cast<std::int64_t>(i) * 7919), kez::Variant(i));
    return static_cast<std::size_t>(a.NumEntries());
  }
  if (c == "assocarray_std") {
    std::unordered_map<std::u16string, kez::Variant> m;
    for (std::int32_t i = 0; i < kEntries; ++i)
      m.insert_or_assign(u"key_" + kez::IntToStr(static_cast<std::int64_t>(i) * 7919),
                         kez::Variant(i));
    return m.size();
  }
  // The results are 1 (no match, as expected) or 2, never the 0 of an unknown case.
  if (c == "grep_text") return GrepText<kez::String>().size();
  if (c == "grep") {
    const kez::String text = GrepText<kez::String>();
    kez::TGrep grep(nullptr);
    grep.SetRegExp(u"b.*d");
    std::int32_t pos = 0;
    return grep.MatchString(text, pos) ? 2 : 1;
  }
#ifdef KEZ_BENCH_HAVE_RE2
  if (c == "grep_re2") {
    const std::string text = GrepText<std::string>();
    const RE2 re("b.*?d");
    re2::StringPiece match;
    return re.Match(text, 0, text.size(), RE2::UNANCHORED, &match, 1) ? 2 : 1;
  }
#endif
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kez_peakmem <case>\n");
    return 2;
  }
  const std::vector<std::string> keys = MakeKeys(kRows);
  if (Run(argv[1], keys) == 0) {
    std::fprintf(stderr, "kez_peakmem: unknown case or empty result: %s\n", argv[1]);
    return 2;
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%s %ld\n", argv[1], usage.ru_maxrss);
  return 0;
}
