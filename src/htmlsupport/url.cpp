// URL percent-coding, the path of an HTTP address, and word counts outside tags.
#include <algorithm>
#include <limits>

#include "htmlsupport/internal.hpp"
#include "kez/htmlsupport.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/stringl/chars.hpp"

namespace kez {
namespace {

constexpr StringView kReservedURLChars = u"!*'();:@&=+$,/?%#[] ";

String PercentDecodePass(StringView S) {
  String out;
  out.reserve(S.size());
  for (std::size_t i = 0; i < S.size(); ++i) {
    if (S[i] == u'%' && i + 2 < S.size() && IsHexChar(S[i + 1]) && IsHexChar(S[i + 2])) {
      out += static_cast<char16_t>(detail::HexDigitValue(S[i + 1]) * 16 +
                                   detail::HexDigitValue(S[i + 2]));
      i += 2;
    } else {
      out += S[i];
    }
  }
  return out;
}

}  // namespace

String URLEncode(StringView S) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  String out;
  out.reserve(S.size());
  for (const char16_t ch : S) {
    if (kReservedURLChars.find(ch) == StringView::npos) {
      out += ch;
    } else {
      out += u'%';
      out += kDigits[ch >> 4];
      out += kDigits[ch & 0xF];
    }
  }
  return out;
}

String URLDecode(StringView S) { return PercentDecodePass(PercentDecodePass(S)); }

String ExtractHTTPPath(StringView URL) {
  // ASCII lower case keeps every position, so the search can run on the lowered copy.
  const String lowered = LowerCase(URL);
  const std::size_t plain = lowered.find(u"http://");
  const std::size_t secure = lowered.find(u"https://");
  StringView rest = URL;
  if (plain != String::npos && (secure == String::npos || plain < secure)) {
    rest.remove_prefix(plain + 7);
  } else if (secure != String::npos) {
    rest.remove_prefix(secure + 8);
  }
  const std::size_t slash = rest.rfind(u'/');
  return String(slash == StringView::npos ? rest : rest.substr(0, slash + 1));
}

std::int32_t CountWordsHTML(StringView S, bool IgnoreNumbers, bool& InTag) {
  std::int32_t words = 0;
  std::size_t runLength = 0;
  bool runIsNumber = false;
  const auto endRun = [&] {
    if (runLength >= 2 && !(IgnoreNumbers && runIsNumber) &&
        words < std::numeric_limits<std::int32_t>::max())
      ++words;
    runLength = 0;
  };
  for (const char16_t ch : S) {
    if (ch == u'<') InTag = true;
    if (InTag) {
      if (ch != u'>') continue;
      InTag = false;
    }
    if (IsWordSep(ch)) {
      endRun();
    } else {
      if (runLength == 0) runIsNumber = IsDigit(ch);
      ++runLength;
    }
  }
  endRun();
  return words;
}

}  // namespace kez
