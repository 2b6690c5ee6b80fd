// The attribute grammar: pairs name=value in an attribute text.
#include <cstdint>

#include "kez/platform/sysutils.hpp"
#include "kez/streams/tags.hpp"
#include "kez/stringl/chars.hpp"

namespace kez {

namespace {

// Result codes of one pair scan.
enum TPairResult : std::uint8_t {
  prComplete,
  prQuoteInName,    // a double quote before the "="
  prDoubleEquals,   // an "=" where the value should start
  prEqualsInValue,  // an "=" inside an unquoted value
  prPastEnd         // nothing left to scan
};

// Scans one pair from Pos (0-based) on and leaves Pos behind the character that ended it.
TPairResult ScanPair(StringView Text, std::size_t& Pos, String& Name, String& Value) {
  enum { stName, stAfterEquals, stQuoted, stUnquoted } state = stName;
  Name.clear();
  Value.clear();
  if (Pos >= Text.size()) return prPastEnd;
  while (Pos < Text.size()) {
    const char16_t ch = Text[Pos++];
    switch (state) {
      case stName:
        if (ch == u'"') return prQuoteInName;
        if (ch == u'=') {
          state = stAfterEquals;
        } else {
          Name.push_back(ch);
        }
        break;
      case stAfterEquals:
        if (ch == u'"') {
          state = stQuoted;
        } else if (ch == u'=') {
          return prDoubleEquals;
        } else if (ch != u' ') {
          Value.push_back(ch);
          state = stUnquoted;
        }
        break;
      case stQuoted:
        if (ch == u'"') return prComplete;
        Value.push_back(ch);
        break;
      case stUnquoted:
        if (ch == u' ' || ch == u'"') return prComplete;
        if (ch == u'=') return prEqualsInValue;
        Value.push_back(ch);
        break;
    }
  }
  return prComplete;  // the text is used up
}

}  // namespace

String ScanForXMLAttrib(StringView Attributes, StringView Name) {
  const String wanted = LowerCase(Name);
  std::size_t pos = 0;
  String name;
  String value;
  while (ScanPair(Attributes, pos, name, value) == prComplete) {
    if (LowerCase(StripLTBlanks(name)) == wanted) return value;
  }
  return {};
}

std::vector<std::pair<String, String>> ListXMLAttribs(StringView Attributes) {
  std::vector<std::pair<String, String>> pairs;
  std::size_t pos = 0;
  String name;
  String value;
  while (ScanPair(Attributes, pos, name, value) == prComplete) {
    pairs.emplace_back(StripLTBlanks(name), value);
  }
  return pairs;
}

}  // namespace kez
