// The stream readers against small models written from their descriptions, on random
// inputs over the bytes that matter to each reader. The models favour plainness over speed.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "kez/streams.hpp"
#include "plain_stream.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

using test::U8;

std::string Random(std::mt19937& rng, std::string_view Alphabet, std::size_t MaxLength) {
  std::uniform_int_distribution<std::size_t> length(0, MaxLength), pick(0, Alphabet.size() - 1);
  std::string s(length(rng), ' ');
  for (char& c : s) c = Alphabet[pick(rng)];
  return s;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

std::string Lowered(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), Lower);
  return s;
}

// ---- ReadLnStream: one line from pos; returns the line, sets eos, moves pos -------------

std::string ModelLine(const std::string& in, std::size_t& pos, bool& eos, int mode) {
  eos = false;
  std::string line;
  char previous = 0;
  for (;;) {
    if (pos >= in.size()) {
      eos = true;
      return line;
    }
    const char c = in[pos++];
    line += c;
    const bool ends = mode == 0   ? c == '\n'
                      : mode == 1 ? c == '\r'
                      : mode == 2 ? c == '\n' || c == '\r'
                      : mode == 3 ? c == '\r' && previous == '\n'
                      : mode == 4 ? c == '\n' && previous == '\r'
                                  : false;
    if (ends) break;
    previous = c;
  }
  for (int i = 0; i < 2 && !line.empty() && (line.back() == '\n' || line.back() == '\r'); ++i)
    line.pop_back();
  return line;
}

// Reads every line of In from S in the given mode and compares with the model.
void CheckLines(TStream& S, const std::string& In, int Mode) {
  std::size_t pos = 0;
  bool eos = false, modelEos = false;
  while (!modelEos) {
    const std::string expected = ModelLine(In, pos, modelEos, Mode);
    ASSERT_EQ(U8(ReadLnStream(S, eos, Mode)), expected) << Mode << " " << In;
    ASSERT_EQ(eos, modelEos);
    ASSERT_EQ(S.Position(), static_cast<std::int64_t>(pos));
  }
}

TEST(StreamModels, ReadLnStream) {
  std::mt19937 rng(1);
  for (int round = 0; round < 500; ++round) {
    const std::string in = Random(rng, "ab\r\n", 300);
    for (const int mode : {-1, 0, 1, 2, 3, 4, 5, INT_MAX, INT_MIN}) {
      // A plain stream takes the byte-by-byte path, a memory stream the in-place scan.
      test::PlainStream plain(in, 1 + round % 7);
      CheckLines(plain, in, mode);
      TMemoryStream memory;
      memory.WriteBuffer(in.data(), static_cast<std::int64_t>(in.size()));
      memory.SetPosition(0);
      CheckLines(memory, in, mode);
    }
  }
}

// ---- ReadStreamUntil: the text up to and including the first match ignoring case -------

TEST(StreamModels, ReadStreamUntil) {
  std::mt19937 rng(2);
  for (int round = 0; round < 2000; ++round) {
    // Few letters and long inputs: matches straddle blocks and targets overlap themselves.
    const std::string in = Random(rng, "aAb", 700);
    const std::string target = Random(rng, "aAb", 12);
    const std::size_t start = in.empty() ? 0 : rng() % in.size();
    test::PlainStream s(in, 1 + round % 300);
    s.Seek(static_cast<std::int64_t>(start), soBeginning);
    std::int32_t status = 7;
    const String got = ReadStreamUntil(s, AnsiToString(target), status);
    const std::size_t hit = Lowered(in).find(Lowered(target), start);
    if (hit == std::string::npos) {
      ASSERT_EQ(status, -1);
      ASSERT_EQ(U8(got), in.substr(start));
      ASSERT_EQ(s.Position(), static_cast<std::int64_t>(in.size()));
    } else {
      ASSERT_EQ(status, 0) << in << " / " << target;
      ASSERT_EQ(U8(got), in.substr(start, hit + target.size() - start));
      ASSERT_EQ(s.Position(), static_cast<std::int64_t>(hit + target.size()));
    }
  }
}

// ---- ScanStreamDecimal and ScanStreamFPNum ---------------------------------------------

std::int32_t ModelDecimal(const std::string& in, std::size_t& pos) {
  auto next = [&](char& c) { return pos < in.size() ? (c = in[pos++], true) : false; };
  char c = 0;
  bool more = next(c);
  while (more && (c == ' ' || c == '\n' || c == '\r')) more = next(c);
  bool negative = false;
  if (more && (c == '-' || c == '+')) negative = c == '-', more = next(c);
  long long value = 0;  // saturated just beyond the 32-bit range
  while (more && c >= '0' && c <= '9')
    value = std::min(value * 10 + (c - '0'), 1LL << 32), more = next(c);
  if (negative) value = -value;
  return static_cast<std::int32_t>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// The state machine as a switch: states 1 to 8, 0 done, -1 fail.
double ModelFPNum(const std::string& in, std::size_t& pos, bool exponent, int pointMode) {
  std::string text;
  int state = 1, expValue = 0;
  while (state > 0) {
    const bool have = pos < in.size();
    const char c =
        have ? static_cast<char>(std::toupper(static_cast<unsigned char>(in[pos++]))) : '#';
    const bool point = (c == '.' && (pointMode == 1 || pointMode == 3)) ||
                       (c == ',' && (pointMode == 2 || pointMode == 3));
    const bool digit = c >= '0' && c <= '9', sign = c == '+' || c == '-', e = c == 'E';
    const bool blank = c == ' ' || c == '\t' || c == '\n' || c == '\r';
    int next;
    switch (state) {
      case 1:
        next = point ? 4 : digit ? 3 : sign ? 2 : blank ? 1 : -1;
        break;
      case 2:
        next = point ? 4 : digit ? 3 : -1;
        break;
      case 3:
        next = point ? 4 : digit ? 3 : e ? (exponent ? 6 : 0) : 0;
        break;
      case 4:
      case 5:
        next = point ? -1 : digit ? 5 : e ? (exponent ? 6 : 0) : 0;
        break;
      case 6:
        next = digit ? 8 : sign ? 7 : -1;
        break;
      case 7:
        next = digit ? 8 : -1;
        break;
      default:
        next = digit ? 8 : 0;
        break;
    }
    if (next >= 2 && !(next == 8 && expValue > 4200)) text += point ? '.' : c;
    if (next == 8 && expValue <= 4200) expValue = expValue * 10 + (c - '0');
    state = next;
  }
  if (state < 0) return 0;
  if (text.back() == '.') text += '0';
  return std::clamp(std::strtod(text.c_str(), nullptr), -1.7e308, 1.7e308);
}

TEST(StreamModels, NumberScans) {
  std::mt19937 rng(3);
  for (int round = 0; round < 3000; ++round) {
    const std::string in = Random(rng, "0123456789 +-.,eE\tx\n", 40) +
                           (round % 10 == 0 ? std::string(rng() % 30, '9') : "");
    TStringStream s{std::string_view(in)};
    for (std::size_t pos = 0; pos < in.size();) {
      ASSERT_EQ(ScanStreamDecimal(s), ModelDecimal(in, pos)) << in;
      ASSERT_EQ(s.Position(), static_cast<std::int64_t>(pos));
    }
    const bool exponent = round % 2 == 0;
    const int pointMode = round % 5;
    TStringStream f{std::string_view(in)};
    for (std::size_t pos = 0; pos < in.size();) {
      const double expected = ModelFPNum(in, pos, exponent, pointMode);
      ASSERT_EQ(static_cast<double>(ScanStreamFPNum(f, exponent, pointMode)), expected) << in;
      ASSERT_EQ(f.Position(), static_cast<std::int64_t>(pos));
    }
  }
}

// ---- The tag reader and the attribute scanner ------------------------------------------

std::string Trimmed(std::string s) {
  s.erase(0, s.find_first_not_of(' ') == std::string::npos ? s.size() : s.find_first_not_of(' '));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// The next tag text from pos, comments skipped; open receives the offset of its "<".
std::string ModelTagText(const std::string& in, std::size_t& pos, std::size_t& open) {
  std::string tag;
  do {
    open = in.find('<', pos);
    if (open == std::string::npos) {
      pos = open = in.size();
      return "";
    }
    const std::size_t close = in.find('>', open + 1);
    const std::size_t end = close == std::string::npos ? in.size() : close + 1;
    tag = in.substr(open + 1, end - open - 1);
    pos = end;
  } while (!tag.empty() && tag[0] == '!');
  return tag;
}

// Splits a tag text; reads the contents of an opening tag from pos.
std::string ModelTagParts(const std::string& in, std::size_t& pos, const std::string& tag,
                          bool readContents, std::string& attributes, std::string& contents) {
  attributes.clear();
  contents.clear();
  const bool selfClosing = tag.find("/>") != std::string::npos;
  // An unterminated tag (at the end of the input) keeps all its characters.
  std::string body = tag.substr(0, tag.size() - (selfClosing ? 2 : tag.ends_with('>') ? 1 : 0));
  const std::size_t blank = body.find(' ');
  if (blank != std::string::npos) attributes = Trimmed(body.substr(blank + 1)), body.resize(blank);
  const std::string name = Lowered(body);
  if (readContents && !selfClosing && !name.empty() && name[0] != '/') {
    const std::size_t endTag = Lowered(in).find("</" + name + ">", pos);
    const std::size_t stop = endTag == std::string::npos ? in.size() : endTag;
    contents = in.substr(pos, stop - pos);
    pos = endTag == std::string::npos ? in.size() : endTag + name.size() + 3;
  }
  return name;
}

int ModelTag(const std::string& in, std::size_t& pos, const std::vector<std::string>& list,
             std::string& attributes, std::string& contents) {
  std::size_t open;
  const std::string tag = ModelTagText(in, pos, open);
  const std::string name = ModelTagParts(in, pos, tag, true, attributes, contents);
  const auto it = std::find(list.begin(), list.end() - 1, name);
  return static_cast<int>(it - list.begin());
}

std::string ModelAttrib(const std::string& text, const std::string& wanted) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::string name, value;
    int state = 0, code = 0;
    while (pos < text.size() && state < 4) {
      const char c = text[pos++];
      if (state == 0)
        state = c == '"' ? (code = 1, 5) : c == '=' ? 1 : (name += c, 0);
      else if (state == 1)
        state = c == ' ' ? 1 : c == '"' ? 2 : c == '=' ? (code = 2, 5) : (value += c, 3);
      else if (state == 2)
        state = c == '"' ? 4 : (value += c, 2);
      else
        state = c == ' ' || c == '"' ? 4 : c == '=' ? (code = 3, 5) : (value += c, 3);
    }
    if (code != 0) return "";
    if (Lowered(Trimmed(name)) == Lowered(wanted)) return value;
  }
  return "";
}

TEST(StreamModels, TagsAndAttributes) {
  std::mt19937 rng(4);
  test::TempDir dir;
  const std::vector<std::string> list = {"a", "/a", "ab", "b"};
  const std::vector<String> tags = {u"a", u"/a", u"ab", u"b"};
  for (int round = 0; round < 3000; ++round) {
    const std::string in = Random(rng, "<<>>//!aAb =\"", 120);
    TStringStream s{std::string_view(in)};
    // The text-file reader reads the same grammar (a sample of the rounds, as files are slow).
    const bool withFile = round % 30 == 0;
    TextFile f(dir.File("tags.txt"));
    if (withFile) {
      test::WriteBytes(dir.NativeFile("tags.txt"), in);
      f.Reset();
    }
    std::size_t pos = 0;
    while (pos < in.size()) {
      std::string attributes, contents;
      String a, c;
      const int expected = ModelTag(in, pos, list, attributes, contents);
      ASSERT_EQ(ReadNextTagInStream(s, tags, a, c), expected) << in;
      ASSERT_EQ(U8(a), attributes) << in;
      ASSERT_EQ(U8(c), contents) << in;
      ASSERT_EQ(s.Position(), static_cast<std::int64_t>(pos)) << in;
      if (withFile) {
        ASSERT_EQ(ReadNextTagInTextFile(f, tags, a, c), expected) << in;
        ASSERT_EQ(U8(a), attributes) << in;
        ASSERT_EQ(U8(c), contents) << in;
        ASSERT_EQ(f.Eof(), pos == in.size()) << in;
      }
      for (const char* name : {"a", "b", "A b", ""})
        ASSERT_EQ(U8(ScanForXMLAttrib(AnsiToString(attributes), AnsiToString(name))),
                  ModelAttrib(attributes, name))
            << attributes << " / " << name;
    }
  }
}

// ScanStreamForXMLTag passes over other tags without their contents; ReadStreamUntilTagList
// stops on the "<" of a tag named exactly as a list entry.
TEST(StreamModels, TagSearches) {
  std::mt19937 rng(6);
  const std::vector<std::string> list = {"a", "/a"};
  const std::vector<String> tags = {u"a", u"/a"};
  for (int round = 0; round < 3000; ++round) {
    const std::string in = Random(rng, "<<>>//!aAb =\"", 120);
    TStringStream s{std::string_view(in)}, u{std::string_view(in)};
    for (std::size_t pos = 0, upos = 0; pos < in.size() || upos < in.size();) {
      std::string attributes, contents;
      bool found = false;
      for (std::size_t open; !found;) {
        const std::string tag = ModelTagText(in, pos, open);
        if (tag.empty()) break;
        std::size_t after = pos;
        found = ModelTagParts(in, after, tag, false, attributes, contents) == "ab";
        if (found) ModelTagParts(in, pos, tag, true, attributes, contents);
      }
      if (!found) attributes.clear();
      String a, c;
      ASSERT_EQ(ScanStreamForXMLTag(s, u"aB", a, c), found) << in;
      ASSERT_EQ(U8(a), attributes) << in;
      ASSERT_EQ(U8(c), contents) << in;
      ASSERT_EQ(s.Position(), static_cast<std::int64_t>(pos)) << in;

      // ReadStreamUntilTagList, then the tag it stopped on is read past.
      const std::size_t from = upos;
      std::int32_t index = -2, expected = -1;
      for (std::size_t open; expected < 0;) {
        const std::string tag = ModelTagText(in, upos, open);
        if (tag.empty()) break;
        std::size_t after = upos;
        const std::string name = ModelTagParts(in, after, tag, false, attributes, contents);
        const auto it = std::find(list.begin(), list.end(), name);
        if (it != list.end()) expected = static_cast<std::int32_t>(it - list.begin()), upos = open;
      }
      ASSERT_EQ(U8(ReadStreamUntilTagList(u, tags, index)), in.substr(from, upos - from)) << in;
      ASSERT_EQ(index, expected) << in;
      ASSERT_EQ(u.Position(), static_cast<std::int64_t>(upos)) << in;
      if (expected >= 0)
        ReadNextTagInStream(u, tags, a, c), upos = static_cast<std::size_t>(u.Position());
    }
  }
}

// ---- SearchAndReplace and ExtractFromStream --------------------------------------------

std::string ModelReplace(const std::string& in, const std::string& search,
                         const std::string& replace, bool ignoreCase, std::int32_t startPos,
                         std::int32_t maxCount, std::int32_t& count) {
  count = 0;
  const std::string hay = ignoreCase ? Lowered(in) : in;
  const std::string needle = ignoreCase ? Lowered(search) : search;
  std::string out;
  std::size_t pos = startPos < 1 ? 0 : std::min<std::size_t>(in.size(), startPos - 1);
  out = in.substr(0, pos);
  while (maxCount <= 0 || count < maxCount) {
    const std::size_t hit = hay.find(needle, pos);
    if (hit == std::string::npos) break;
    ++count;
    out += in.substr(pos, hit - pos);
    // "[s]" the found text, "[n]" the number; other text as written.
    std::string expansion = replace;
    for (std::size_t at; (at = expansion.find("[s]")) != std::string::npos;)
      expansion.replace(at, 3, "\x01");
    for (std::size_t at; (at = expansion.find("[n]")) != std::string::npos;)
      expansion.replace(at, 3, std::to_string(count));
    for (std::size_t at; (at = expansion.find('\x01')) != std::string::npos;)
      expansion.replace(at, 1, in.substr(hit, search.size()));
    out += expansion;
    pos = hit + search.size();
  }
  return out + in.substr(pos);
}

TEST(StreamModels, SearchAndReplaceAndExtract) {
  std::mt19937 rng(5);
  const std::int32_t positions[] = {INT_MIN, -1, 0, 1, 2, 5, INT_MAX};
  for (int round = 0; round < 3000; ++round) {
    const std::string in = Random(rng, "aAb\n", 200);
    const std::string search = Random(rng, "aAb", 6);
    if (search.empty()) continue;
    const std::string replace = round % 3 == 0 ? "<[s]/[n]>" : Random(rng, "xy", 3);
    const bool ignoreCase = round % 2 == 0;
    const std::int32_t startPos = positions[rng() % 7], maxCount = positions[rng() % 7];
    TMemoryStream source, target;
    source.WriteBuffer(in.data(), static_cast<std::int64_t>(in.size()));
    std::int32_t count = 0;
    const std::string expected =
        ModelReplace(in, search, replace, ignoreCase, startPos, maxCount, count);
    ASSERT_EQ(SearchAndReplace(source, target, AnsiToString(search), AnsiToString(replace),
                               ignoreCase, startPos, maxCount, u"[]", nullptr),
              count)
        << in << " / " << search;
    ASSERT_EQ(std::string(reinterpret_cast<const char*>(target.Memory()),
                          static_cast<std::size_t>(target.Size())),
              expected);

    TStringList keys;
    keys.Add(AnsiToString(search));
    std::string lines;
    std::int32_t hits = 0;
    for (std::size_t start = 0; start < in.size();) {
      const std::size_t lf = in.find('\n', start);
      const std::size_t end = lf == std::string::npos ? in.size() : lf + 1;
      const std::string line = in.substr(start, end - start);
      if (Lowered(line).find(Lowered(search)) != std::string::npos) lines += line, ++hits;
      start = end;
    }
    TStringStream from{std::string_view(in)};
    TMemoryStream dest;
    ASSERT_EQ(ExtractFromStream(from, dest, keys), hits) << in << " / " << search;
    ASSERT_EQ(std::string(reinterpret_cast<const char*>(dest.Memory()),
                          static_cast<std::size_t>(dest.Size())),
              lines);
  }
}

}  // namespace
}  // namespace kez
