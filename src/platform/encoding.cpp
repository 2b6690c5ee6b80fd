// Windows-1252 and UTF-8 conversions.
#include <algorithm>
#include <array>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "kez/platform/path.hpp"
#include "kez/platform/types.hpp"
#include "platform/encoding_internal.hpp"

namespace kez {
namespace {

// Code points of the bytes 0x80-0x9F; the five bytes Windows-1252 leaves undefined keep
// their own value (C1 controls) so that every byte round-trips.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The byte of a character, or false for one the code page cannot hold ('?' then).
inline bool AnsiByteOf(char16_t Ch, unsigned char& Byte) {
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

// Widens N bytes to the characters with the same codes; true when any byte is 0x80 or
// above. Texts are mostly short (a line, a name), so the tail is one overlapping vector
// step rather than a loop over single bytes.
bool WidenBytes(const unsigned char* Bytes, std::size_t N, char16_t* Out) {
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  int high = 0;
  const auto widen16 = [&](std::size_t At) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Bytes + At));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Out + At), _mm_unpacklo_epi8(v, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Out + At + 8), _mm_unpackhi_epi8(v, zero));
    high |= _mm_movemask_epi8(v);
  };
  const auto widen8 = [&](std::size_t At) {
    const __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(Bytes + At));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Out + At), _mm_unpacklo_epi8(v, zero));
    high |= _mm_movemask_epi8(v);
  };
  if (N >= 16) {
    std::size_t i = 0;
    for (; i + 16 <= N; i += 16) widen16(i);
    if (i < N) widen16(N - 16);
    return high != 0;
  }
  if (N >= 8) {
    widen8(0);
    widen8(N - 8);
    return high != 0;
  }
#endif
  unsigned char any = 0;
  for (std::size_t i = 0; i < N; ++i) {
    Out[i] = Bytes[i];
    any |= Bytes[i];
  }
  return any >= 0x80;
}

// Narrows N characters to their Windows-1252 bytes. Runs of ASCII go through whole vectors;
// a block holding anything else is done character by character.
void NarrowChars(const char16_t* Chars, std::size_t N, unsigned char* Out) {
  const auto one = [&](std::size_t At) { AnsiByteOf(Chars[At], Out[At]); };
#if defined(__SSE2__)
  const __m128i nonAscii = _mm_set1_epi16(static_cast<short>(0xFF80));
  const __m128i zero = _mm_setzero_si128();
  const auto isAscii = [&](__m128i v) {
    return _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(v, nonAscii), zero)) == 0xFFFF;
  };
  // Steps over a block that may overlap the previous one: both write the same bytes.
  const auto narrow16 = [&](std::size_t At) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Chars + At));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Chars + At + 8));
    if (isAscii(_mm_or_si128(a, b))) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(Out + At), _mm_packus_epi16(a, b));
    } else {
      for (std::size_t i = At; i < At + 16; ++i) one(i);
    }
  };
  const auto narrow8 = [&](std::size_t At) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Chars + At));
    if (isAscii(a)) {
      _mm_storel_epi64(reinterpret_cast<__m128i*>(Out + At), _mm_packus_epi16(a, a));
    } else {
      for (std::size_t i = At; i < At + 8; ++i) one(i);
    }
  };
  if (N >= 16) {
    std::size_t i = 0;
    for (; i + 16 <= N; i += 16) narrow16(i);
    if (i < N) narrow16(N - 16);
    return;
  }
  if (N >= 8) {
    narrow8(0);
    narrow8(N - 8);
    return;
  }
#endif
  for (std::size_t i = 0; i < N; ++i) one(i);
}

}  // namespace

char16_t AnsiCharToChar(unsigned char Byte) {
  if (Byte >= 0x80 && Byte <= 0x9F) return kHighControls[Byte - 0x80];
  return Byte;
}

bool CharToAnsiCharExact(char16_t Ch, unsigned char& Byte) { return AnsiByteOf(Ch, Byte); }

unsigned char CharToAnsiChar(char16_t Ch) {
  unsigned char b;
  AnsiByteOf(Ch, b);
  return b;
}

void detail::AssignAnsi(String& Out, std::string_view Bytes) {
  Out.resize(Bytes.size());
  const auto* bytes = reinterpret_cast<const unsigned char*>(Bytes.data());
  if (WidenBytes(bytes, Bytes.size(), Out.data())) {
    for (std::size_t i = 0; i < Bytes.size(); ++i) {
      if (bytes[i] >= 0x80 && bytes[i] <= 0x9F) Out[i] = kHighControls[bytes[i] - 0x80];
    }
  }
}

String AnsiToString(std::string_view Text) {
  String r;
  detail::AssignAnsi(r, Text);
  return r;
}

void detail::NarrowToAnsi(const char16_t* Chars, std::size_t Count, char* Out) {
  NarrowChars(Chars, Count, reinterpret_cast<unsigned char*>(Out));
}

AnsiString StringToAnsi(StringView Text) {
  AnsiString r(Text.size(), '\0');
  NarrowChars(Text.data(), Text.size(), reinterpret_cast<unsigned char*>(r.data()));
  return r;
}

String ToString(std::string_view Latin1) {
  String r(Latin1.size(), u'\0');
  WidenBytes(reinterpret_cast<const unsigned char*>(Latin1.data()), Latin1.size(), r.data());
  return r;
}

std::size_t detail::DecodeUtf8Char(const unsigned char* P, std::size_t N, char32_t& Cp) {
  const unsigned char c = P[0];
  if (c < 0x80) {
    Cp = c;
    return 1;
  }
  std::size_t need = 0;
  char32_t minimum = 0;
  if ((c & 0xE0) == 0xC0) {
    need = 1, Cp = c & 0x1F, minimum = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    need = 2, Cp = c & 0x0F, minimum = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    need = 3, Cp = c & 0x07, minimum = 0x10000;
  }
  bool ok = need > 0 && need < N;
  for (std::size_t k = 1; ok && k <= need; ++k) {
    ok = (P[k] & 0xC0) == 0x80;
    Cp = (Cp << 6) | (P[k] & 0x3F);
  }
  if (ok && Cp >= minimum && Cp <= 0x10FFFF && (Cp < 0xD800 || Cp > 0xDFFF)) return need + 1;
  Cp = 0xDC00 + c;
  return 1;
}

std::size_t detail::EncodeUtf8Char(char32_t Cp, char* Out) {
  if (Cp < 0x80) {
    Out[0] = static_cast<char>(Cp);
    return 1;
  }
  if (Cp < 0x800) {
    Out[0] = static_cast<char>(0xC0 | (Cp >> 6));
    Out[1] = static_cast<char>(0x80 | (Cp & 0x3F));
    return 2;
  }
  if (Cp < 0x10000) {
    Out[0] = static_cast<char>(0xE0 | (Cp >> 12));
    Out[1] = static_cast<char>(0x80 | ((Cp >> 6) & 0x3F));
    Out[2] = static_cast<char>(0x80 | (Cp & 0x3F));
    return 3;
  }
  Out[0] = static_cast<char>(0xF0 | (Cp >> 18));
  Out[1] = static_cast<char>(0x80 | ((Cp >> 12) & 0x3F));
  Out[2] = static_cast<char>(0x80 | ((Cp >> 6) & 0x3F));
  Out[3] = static_cast<char>(0x80 | (Cp & 0x3F));
  return 4;
}

void detail::AppendUtf16(String& Out, char32_t Cp) {
  if (Cp >= 0x10000) {
    Cp -= 0x10000;
    Out.push_back(static_cast<char16_t>(0xD800 + (Cp >> 10)));
    Out.push_back(static_cast<char16_t>(0xDC00 + (Cp & 0x3FF)));
  } else {
    Out.push_back(static_cast<char16_t>(Cp));
  }
}

namespace {

// UTF-8 to UTF-16. A byte that does not start a valid sequence becomes U+FFFD, or with
// Escape the lone surrogate U+DC00 + byte; decoding goes on at the next byte.
template <bool Escape>
String DecodeUtf8(std::string_view Text) {
  String r;
  r.reserve(Text.size());
  const auto* p = reinterpret_cast<const unsigned char*>(Text.data());
  const std::size_t n = Text.size();
  for (std::size_t i = 0; i < n;) {
    char32_t cp;
    i += detail::DecodeUtf8Char(p + i, n - i, cp);
    if (!Escape && cp >= 0xDC80 && cp <= 0xDCFF) cp = 0xFFFD;
    detail::AppendUtf16(r, cp);
  }
  return r;
}

// UTF-16 to UTF-8. An unpaired surrogate becomes U+FFFD, or with Escape, when it is one of
// U+DC80-U+DCFF, the byte it stands for.
template <bool Escape>
std::string EncodeUtf8(StringView Text) {
  std::string r;
  r.reserve(Text.size());
  char bytes[4];
  for (std::size_t i = 0; i < Text.size(); ++i) {
    char32_t cp = Text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < Text.size() && Text[i + 1] >= 0xDC00 &&
        Text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (Text[i + 1] - 0xDC00);
      ++i;
    } else if (Escape && cp >= 0xDC80 && cp <= 0xDCFF) {
      r.push_back(static_cast<char>(cp - 0xDC00));
      continue;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    r.append(bytes, detail::EncodeUtf8Char(cp, bytes));
  }
  return r;
}

}  // namespace

String Utf8ToString(std::string_view Text) { return DecodeUtf8<false>(Text); }

std::string StringToUtf8(StringView Text) { return EncodeUtf8<false>(Text); }

String NativeToString(std::string_view Bytes) { return DecodeUtf8<true>(Bytes); }

std::string StringToNative(StringView Text) { return EncodeUtf8<true>(Text); }

bool IsNativeText(StringView Text) {
  const bool plain =
      std::none_of(Text.begin(), Text.end(), [](char16_t c) { return c >= 0xD800 && c <= 0xDFFF; });
  return plain || NativeToString(StringToNative(Text)) == Text;
}

}  // namespace kez
