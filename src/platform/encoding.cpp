// Windows-1252 and UTF-8 conversions.
#include <array>

#include "kez/platform/types.hpp"

namespace kez {
namespace {

// Code points of the bytes 0x80-0x9F; the five bytes Windows-1252 leaves undefined keep
// their own value (C1 controls) so that every byte round-trips.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

char16_t AnsiCharToChar(unsigned char Byte) {
  if (Byte >= 0x80 && Byte <= 0x9F) return kHighControls[Byte - 0x80];
  return Byte;
}

bool CharToAnsiCharExact(char16_t Ch, unsigned char& Byte) {
  if (Ch < 0x80 || (Ch >= 0xA0 && Ch <= 0xFF)) {
    Byte = static_cast<unsigned char>(Ch);
    return true;
  }
  for (unsigned i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == Ch) {
      Byte = static_cast<unsigned char>(0x80 + i);
      return true;
    }
  }
  Byte = '?';
  return false;
}

unsigned char CharToAnsiChar(char16_t Ch) {
  unsigned char b;
  CharToAnsiCharExact(Ch, b);
  return b;
}

String AnsiToString(std::string_view Text) {
  String r(Text.size(), u'\0');
  for (std::size_t i = 0; i < Text.size(); ++i)
    r[i] = AnsiCharToChar(static_cast<unsigned char>(Text[i]));
  return r;
}

AnsiString StringToAnsi(StringView Text) {
  AnsiString r(Text.size(), '\0');
  for (std::size_t i = 0; i < Text.size(); ++i) r[i] = static_cast<char>(CharToAnsiChar(Text[i]));
  return r;
}

String ToString(std::string_view Latin1) {
  String r(Latin1.size(), u'\0');
  for (std::size_t i = 0; i < Latin1.size(); ++i) r[i] = static_cast<unsigned char>(Latin1[i]);
  return r;
}

String Utf8ToString(std::string_view Text) {
  String r;
  r.reserve(Text.size());
  const auto* p = reinterpret_cast<const unsigned char*>(Text.data());
  const std::size_t n = Text.size();
  std::size_t i = 0;
  while (i < n) {
    const unsigned char c = p[i];
    char32_t cp = 0xFFFD;
    std::size_t len = 1;
    if (c < 0x80) {
      cp = c;
    } else {
      std::size_t need = 0;
      char32_t minimum = 0;
      if ((c & 0xE0) == 0xC0)
        need = 1, cp = c & 0x1F, minimum = 0x80;
      else if ((c & 0xF0) == 0xE0)
        need = 2, cp = c & 0x0F, minimum = 0x800;
      else if ((c & 0xF8) == 0xF0)
        need = 3, cp = c & 0x07, minimum = 0x10000;
      bool ok = need > 0;
      for (std::size_t k = 1; ok && k <= need; ++k) {
        if (i + k >= n || (p[i + k] & 0xC0) != 0x80)
          ok = false;
        else
          cp = (cp << 6) | (p[i + k] & 0x3F);
      }
      if (ok && (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
      if (ok) {
        len = need + 1;
      } else {
        cp = 0xFFFD;
        len = 1;
      }
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      r.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      r.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      r.push_back(static_cast<char16_t>(cp));
    }
    i += len;
  }
  return r;
}

std::string StringToUtf8(StringView Text) {
  std::string r;
  r.reserve(Text.size());
  for (std::size_t i = 0; i < Text.size(); ++i) {
    char32_t cp = Text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < Text.size() && Text[i + 1] >= 0xDC00 &&
        Text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (Text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      r.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      r.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      r.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      r.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      r.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      r.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      r.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      r.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      r.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      r.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return r;
}

}  // namespace kez
