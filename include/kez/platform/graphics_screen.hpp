/// @file
/// The screen as the library knows it without a display: its resolution and the font
/// families installed on the system.
///
/// Threads: Screen() is one object for the whole process and may be used from any thread;
/// its font list is read once, by whichever thread asks first, the others waiting for it.
/// Text is measured and drawn (TCanvas::TextOut, TextWidth, TextHeight) through one set of
/// fonts opened for the process, which serves one thread at a time.
///
/// @code
///   const kez::TStrings& fonts = kez::Screen().Fonts();
///   bool dejavu = fonts.IndexOf(u"DejaVu Sans") >= 0;
/// @endcode
#pragma once

#include <cstdint>
#include <mutex>

#include "kez/platform/classes.hpp"
#include "kez/platform/export.hpp"
#include "kez/platform/stringlist.hpp"

namespace kez {
KEZ_API_BEGIN

/// TScreen
class TScreen : public TObject {
 public:
  /// PixelsPerInch: 96, the resolution text sizes on screen are measured at.
  std::int32_t PixelsPerInch() const { return 96; }

  /// Fonts
  /// The font families installed on the system as fontconfig lists them (every family name
  /// a font carries), without repeats, sorted ignoring case. Read once, on the first call.
  const TStrings& Fonts();

  /// IndexOfFont
  /// The index of Name in Fonts(), comparing ASCII letters without case; -1 if absent.
  std::int32_t IndexOfFont(StringView Name);

  /// FontFormat
  /// The format fontconfig reports for the face it matches for the family Name: "TrueType"
  /// (OpenType with TrueType outlines included), "CFF", "Type 1", ...; empty when it reports
  /// none. A family that is not installed gives the format of the substitute.
  String FontFormat(StringView Name) const;

 private:
  TStringList FFonts;
  std::once_flag FFontsRead;
};

/// Screen: the one screen object of the process.
TScreen& Screen();

KEZ_API_END
}  // namespace kez
