// ASCII and locale-aware case changes of UTF-16 text.
#include <locale.h>
#include <wctype.h>

#include "kez/platform/sysutils.hpp"

namespace kez {
namespace {

// A UTF-8 character-type locale, whatever the process has set, so that the letter case
// mapping of every script is available. Falls back to the process's locale.
locale_t CaseLocale() {
  static locale_t loc = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (l == static_cast<locale_t>(nullptr))
      l = newlocale(LC_CTYPE_MASK, "en_US.UTF-8", static_cast<locale_t>(nullptr));
    if (l == static_cast<locale_t>(nullptr)) l = LC_GLOBAL_LOCALE;
    return l;
  }();
  return loc;
}

bool IsSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDFFF; }

}  // namespace

char16_t UpCaseASCII(char16_t Ch) {
  return Ch >= u'a' && Ch <= u'z' ? static_cast<char16_t>(Ch - 32) : Ch;
}
char16_t LoCaseASCII(char16_t Ch) {
  return Ch >= u'A' && Ch <= u'Z' ? static_cast<char16_t>(Ch + 32) : Ch;
}

String UpperCase(StringView Text) {
  String r(Text);
  for (auto& c : r) c = UpCaseASCII(c);
  return r;
}

String LowerCase(StringView Text) {
  String r(Text);
  for (auto& c : r) c = LoCaseASCII(c);
  return r;
}

char16_t AnsiUpCaseChar(char16_t Ch) {
  if (Ch < 0x80) return UpCaseASCII(Ch);
  if (IsSurrogate(Ch)) return Ch;
  const wint_t u = towupper_l(static_cast<wint_t>(Ch), CaseLocale());
  return u <= 0xFFFF && !IsSurrogate(static_cast<char16_t>(u)) ? static_cast<char16_t>(u) : Ch;
}

char16_t AnsiLoCaseChar(char16_t Ch) {
  if (Ch < 0x80) return LoCaseASCII(Ch);
  if (IsSurrogate(Ch)) return Ch;
  const wint_t u = towlower_l(static_cast<wint_t>(Ch), CaseLocale());
  return u <= 0xFFFF && !IsSurrogate(static_cast<char16_t>(u)) ? static_cast<char16_t>(u) : Ch;
}

String AnsiUpperCase(StringView Text) {
  String r(Text);
  for (auto& c : r) c = AnsiUpCaseChar(c);
  return r;
}

String AnsiLowerCase(StringView Text) {
  String r(Text);
  for (auto& c : r) c = AnsiLoCaseChar(c);
  return r;
}

}  // namespace kez
