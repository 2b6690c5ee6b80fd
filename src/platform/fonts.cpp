// Faces from fontconfig, rendered by FreeType in monochrome so that text pixels are
// reproducible.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <map>
#include <mutex>
#include <string>

#include "kez/platform/graphics_screen.hpp"
#include "platform/fonts_internal.hpp"

namespace kez::detail {
namespace {

constexpr std::int32_t kDefaultEm = 11;  // a Height of 0: 8 points at 96 pixels per inch
constexpr std::int32_t kMaxEm = 4096;    // glyph bitmaps stay small whatever the Height
constexpr FT_Int32 kLoadFlags = FT_LOAD_TARGET_MONO;

// A face with the styles fontconfig could not match and that are drawn synthetically.
struct TFace {
  FT_Face Face = nullptr;
  bool SynthBold = false;
  bool SynthItalic = false;
};

// The FreeType library and the faces matched so far, kept for the life of the process.
class TFontSystem {
 public:
  TFontSystem() {
    if (FT_Init_FreeType(&FLibrary) != 0) FLibrary = nullptr;
  }
  ~TFontSystem() {
    for (auto& [key, face] : FFaces) {
      if (face.Face != nullptr) FT_Done_Face(face.Face);
    }
    if (FLibrary != nullptr) FT_Done_FreeType(FLibrary);
  }
  TFontSystem(const TFontSystem&) = delete;
  TFontSystem& operator=(const TFontSystem&) = delete;

  const TFace& FaceFor(const TFont& Font) {
    const bool bold = Font.Style().Contains(fsBold);
    const bool italic = Font.Style().Contains(fsItalic);
    std::string key = StringToUtf8(Font.Name());
    key += '\0';
    key += bold ? 'b' : '-';
    key += italic ? 'i' : '-';
    auto it = FFaces.find(key);
    if (it == FFaces.end()) it = FFaces.emplace(key, Match(Font.Name(), bold, italic)).first;
    return it->second;
  }

 private:
  TFace Match(StringView Name, bool Bold, bool Italic) {
    TFace result;
    if (FLibrary == nullptr) return result;
    FcPattern* pattern = FcPatternCreate();
    const std::string family = StringToUtf8(Name);
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, Bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult status = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &status);
    FcPatternDestroy(pattern);
    if (match == nullptr) return result;
    FcChar8* file = nullptr;
    int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
      FcPatternGetInteger(match, FC_INDEX, 0, &index);
      FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
      FcPatternGetInteger(match, FC_SLANT, 0, &slant);
      if (FT_New_Face(FLibrary, reinterpret_cast<const char*>(file), index, &result.Face) != 0) {
        result.Face = nullptr;
      }
      result.SynthBold = Bold && weight < FC_WEIGHT_DEMIBOLD;
      result.SynthItalic = Italic && slant == FC_SLANT_ROMAN;
    }
    FcPatternDestroy(match);
    return result;
  }

  FT_Library FLibrary = nullptr;
  std::map<std::string, TFace> FFaces;
};

TFontSystem& Fonts() {
  static TFontSystem system;
  return system;
}

// FreeType's library and faces, and the map of faces, serve one thread at a time: every
// entry point below holds this lock while it uses them.
std::mutex& FontLock() {
  static std::mutex lock;
  return lock;
}

// The em of the font in pixels: a negative Height is the em itself, a positive one the
// cell (ascent plus descent of the face).
std::int32_t EmPixels(const TFont& Font, FT_Face Face) {
  std::int64_t h = Font.Height();
  if (h == 0) return kDefaultEm;
  std::int64_t em = -h;
  if (h > 0) {
    em = h;
    const std::int64_t cell = std::int64_t{Face->ascender} - Face->descender;
    if (FT_IS_SCALABLE(Face) && cell > 0) em = (h * Face->units_per_EM + cell / 2) / cell;
  }
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(em, 1, kMaxEm));
}

std::int32_t Ceil26(FT_Pos Value) { return static_cast<std::int32_t>((Value + 63) >> 6); }

// The face of a font sized to its em; null when no face can be opened. A positive Height
// takes the largest em whose cell, in whole pixels, is no taller.
const TFace* SizedFace(const TFont& Font) {
  const TFace& face = Fonts().FaceFor(Font);
  if (face.Face == nullptr) return nullptr;
  std::int32_t em = EmPixels(Font, face.Face);
  for (;;) {
    if (FT_Set_Pixel_Sizes(face.Face, 0, static_cast<FT_UInt>(em)) != 0) return nullptr;
    const FT_Size_Metrics& sm = face.Face->size->metrics;
    if (Font.Height() <= 0 || em == 1 ||
        Ceil26(sm.ascender) + Ceil26(-sm.descender) <= Font.Height()) {
      return &face;
    }
    --em;
  }
}
std::int32_t Round26(FT_Pos Value) { return static_cast<std::int32_t>((Value + 32) >> 6); }

// The code points of UTF-16 text; an unpaired surrogate reads as U+FFFD.
template <class F>
void ForEachCodePoint(StringView Text, F&& Visit) {
  for (std::size_t i = 0; i < Text.size(); ++i) {
    char32_t c = Text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < Text.size() && Text[i + 1] >= 0xDC00 &&
        Text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (Text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (!Visit(c)) return;
  }
}

// Loads the glyph of a code point into the face's slot with the synthetic styles applied;
// false when FreeType cannot. Advance receives the glyph's advance in 26.6 pixels.
bool LoadGlyph(const TFace& Face, char32_t Code, FT_Pos& Advance) {
  FT_Face f = Face.Face;
  if (FT_Load_Glyph(f, FT_Get_Char_Index(f, Code), kLoadFlags) != 0) return false;
  FT_GlyphSlot slot = f->glyph;
  Advance = slot->advance.x;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return true;
  if (Face.SynthItalic) {
    FT_Matrix shear{0x10000, 0x0366A, 0, 0x10000};
    FT_Outline_Transform(&slot->outline, &shear);
  }
  if (Face.SynthBold) {
    // A whole number of pixels, at least one, so that monochrome strokes visibly thicken.
    const FT_Pos strength = std::max<FT_Pos>(64, ((f->size->metrics.y_ppem * 64 / 24) + 32) & ~63);
    FT_Outline_Embolden(&slot->outline, strength);
    Advance += strength;
  }
  return true;
}

}  // namespace

TTextMetrics FontTextMetrics(const TFont& Font) {
  const std::lock_guard lock(FontLock());
  TTextMetrics m;
  const TFace* face = SizedFace(Font);
  if (face == nullptr) {
    const std::int32_t em =
        Font.Height() < 0 ? std::min(-(Font.Height() + 1), kMaxEm - 1) + 1 : kDefaultEm;
    m.Ascent = em - em / 5;
    m.Descent = em / 5;
    return m;
  }
  FT_Face f = face->Face;
  const FT_Size_Metrics& sm = f->size->metrics;
  m.Ascent = Ceil26(sm.ascender);
  m.Descent = Ceil26(-sm.descender);
  if (FT_IS_SCALABLE(f)) {
    m.UnderlineOffset = std::max(1, Round26(-FT_MulFix(f->underline_position, sm.y_scale)));
    m.UnderlineThickness = std::max(1, Round26(FT_MulFix(f->underline_thickness, sm.y_scale)));
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
    if (os2 != nullptr && os2->version != 0xFFFF && os2->yStrikeoutSize > 0) {
      m.StrikeOffset = -Round26(FT_MulFix(os2->yStrikeoutPosition, sm.y_scale));
      m.StrikeThickness = std::max(1, Round26(FT_MulFix(os2->yStrikeoutSize, sm.y_scale)));
    } else {
      m.StrikeOffset = -(m.Ascent * 3 / 10);
      m.StrikeThickness = m.UnderlineThickness;
    }
  }
  return m;
}

std::int64_t TextAdvance(const TFont& Font, StringView Text) {
  const std::lock_guard lock(FontLock());
  const TFace* face = SizedFace(Font);
  if (face == nullptr) return 0;
  std::int64_t pen = 0;
  ForEachCodePoint(Text, [&](char32_t c) {
    FT_Pos advance = 0;
    if (LoadGlyph(*face, c, advance)) pen += Round26(advance);
    return true;
  });
  return pen;
}

void RenderText(const TFont& Font, StringView Text, std::int64_t X, std::int64_t Baseline,
                const TRect& Clip, const TSpanSink& Span) {
  const std::lock_guard lock(FontLock());
  const TFace* face = SizedFace(Font);
  if (face == nullptr) return;
  const std::int64_t reach = 2 * std::int64_t{face->Face->size->metrics.y_ppem} + 64;
  std::int64_t pen = X;
  ForEachCodePoint(Text, [&](char32_t c) {
    if (pen > std::int64_t{Clip.Right} + reach) return false;  // the rest lies to the right
    FT_Pos advance = 0;
    if (!LoadGlyph(*face, c, advance)) return true;
    const std::int64_t origin = pen;
    pen += Round26(advance);
    if (pen + reach < Clip.Left) return true;
    FT_GlyphSlot slot = face->Face->glyph;
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return true;
    const FT_Bitmap& bm = slot->bitmap;
    const bool mono = bm.pixel_mode == FT_PIXEL_MODE_MONO;
    if (!mono && bm.pixel_mode != FT_PIXEL_MODE_GRAY) return true;
    for (unsigned row = 0; row < bm.rows; ++row) {
      const std::int64_t y = Baseline - slot->bitmap_top + row;
      if (y < Clip.Top || y >= Clip.Bottom) continue;
      const unsigned char* bits = bm.buffer + static_cast<std::ptrdiff_t>(row) * bm.pitch;
      const auto on = [&](unsigned col) {
        return mono ? ((bits[col >> 3] >> (7 - (col & 7))) & 1) != 0 : bits[col] >= 128;
      };
      for (unsigned col = 0; col < bm.width;) {
        if (!on(col)) {
          ++col;
          continue;
        }
        unsigned end = col;
        while (end + 1 < bm.width && on(end + 1)) ++end;
        const std::int64_t x0 = origin + slot->bitmap_left + col;
        Span(x0, x0 + (end - col), y);
        col = end + 1;
      }
    }
    return true;
  });
}

std::vector<String> InstalledFontFamilies() {
  const std::lock_guard lock(FontLock());
  std::vector<String> families;
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* set = FcFontList(nullptr, pattern, objects);
  if (set != nullptr) {
    for (int i = 0; i < set->nfont; ++i) {
      FcChar8* name = nullptr;
      for (int k = 0; FcPatternGetString(set->fonts[i], FC_FAMILY, k, &name) == FcResultMatch;
           ++k) {
        families.push_back(Utf8ToString(reinterpret_cast<const char*>(name)));
      }
    }
    FcFontSetDestroy(set);
  }
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  return families;
}

String FontFormatOf(StringView Family) {
  const std::lock_guard lock(FontLock());
  String format;
  FcPattern* pattern = FcPatternCreate();
  const std::string family = StringToUtf8(Family);
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult status = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &status);
  FcPatternDestroy(pattern);
  if (match != nullptr) {
    FcChar8* value = nullptr;
    if (FcPatternGetString(match, FC_FONTFORMAT, 0, &value) == FcResultMatch) {
      format = Utf8ToString(reinterpret_cast<const char*>(value));
    }
    FcPatternDestroy(match);
  }
  return format;
}

}  // namespace kez::detail

namespace kez {
namespace {

char16_t FoldAscii(char16_t C) { return C >= u'A' && C <= u'Z' ? C + 32 : C; }

bool SameIgnoringAsciiCase(StringView A, StringView B) {
  return A.size() == B.size() &&
         std::equal(A.begin(), A.end(), B.begin(),
                    [](char16_t x, char16_t y) { return FoldAscii(x) == FoldAscii(y); });
}

}  // namespace

const TStrings& TScreen::Fonts() {
  std::call_once(FFontsRead, [this] {
    std::vector<String> names = detail::InstalledFontFamilies();
    const auto less = [](const String& a, const String& b) {
      return std::lexicographical_compare(
          a.begin(), a.end(), b.begin(), b.end(),
          [](char16_t x, char16_t y) { return FoldAscii(x) < FoldAscii(y); });
    };
    std::sort(names.begin(), names.end(), less);
    names.erase(
        std::unique(names.begin(), names.end(),
                    [](const String& a, const String& b) { return SameIgnoringAsciiCase(a, b); }),
        names.end());
    FFonts.Clear();
    for (String& name : names) FFonts.Add(std::move(name));
  });
  return FFonts;
}

std::int32_t TScreen::IndexOfFont(StringView Name) {
  const TStrings& fonts = Fonts();
  for (std::int32_t i = 0; i < fonts.Count(); ++i) {
    if (SameIgnoringAsciiCase(fonts[i], Name)) return i;
  }
  return -1;
}

String TScreen::FontFormat(StringView Name) const { return detail::FontFormatOf(Name); }

TScreen& Screen() {
  static TScreen screen;
  return screen;
}

}  // namespace kez
