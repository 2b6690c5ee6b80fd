// Pronounceable passwords from the system's cryptographic random source.
#include "kez/filesys/password.hpp"

#include <algorithm>
#include <string_view>

#include "kez/platform/random.hpp"

namespace kez {
namespace {

constexpr std::u16string_view kVowels = u"aeiouy";
constexpr std::u16string_view kConsonants = u"bcdfghjklmnpqrstvwxz";
constexpr std::u16string_view kSpecials = u"_!$%#=0123456789";
static_assert(kVowels.size() == 6 && kConsonants.size() == 20 && kSpecials.size() == 16);

char16_t Draw(std::u16string_view From) {
  return From[SecureRandom(static_cast<std::uint32_t>(From.size()))];
}

}  // namespace

String InventPassword(std::int32_t Length) {
  const std::int32_t length = std::clamp(Length, 4, 14);
  String letters;
  if (length % 2 == 1) letters += Draw(kVowels);
  for (std::int32_t pair = 1; pair < length / 2; ++pair) {
    letters += Draw(kConsonants);
    letters += Draw(kVowels);
  }
  const std::uint32_t number = SecureRandom(100);
  const char16_t digits[2] = {static_cast<char16_t>(u'0' + number / 10),
                              static_cast<char16_t>(u'0' + number % 10)};
  letters.insert(std::min<std::size_t>(letters.size(), 6), digits, 2);
  return letters;
}

String InventPassword(std::int32_t Length, bool MixedCase, bool SpecialChars) {
  String password = InventPassword(Length);
  const std::size_t n =
      Length <= 0 ? 0 : std::min(password.size(), static_cast<std::size_t>(Length));
  for (std::size_t i = 0; i < n; ++i) {
    char16_t& c = password[i];
    if (MixedCase && c >= u'a' && c <= u'z' && SecureRandom(2) == 1) c = static_cast<char16_t>(c - u'a' + u'A');
    if (SpecialChars && SecureRandom(5) == 0) c = Draw(kSpecials);
  }
  return password;
}

}  // namespace kez
