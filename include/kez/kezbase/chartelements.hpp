/// @file
/// Settings objects that the chart components embed: a cross-hair (TCrossHair), the layout of
/// date and time axis labels (TDTLabel), and a free text label (TCustomTextLabel) that can be
/// saved to and read back from an XML-like text file. None of them draws; a chart reads their
/// fields when it paints and repaints when their OnChange fires. Included through
/// kez/kezbase.hpp.
///
/// @code
///   kez::TCustomTextLabel label;
///   label.SetOnChange([&](kez::TObject*) { chart.Invalidate(); });
///   label.SetTxtLblCaption(u"Peak\tload");     // stored as "Peak load"
///   label.WriteToOpenXMLFile(file, true, u"peak", 2);
///   ...
///   if (other.ReadFromOpenXMLFile(file, u"PEAK")) { ... }   // identifiers ignore case
/// @endcode
///
/// Threads: separate objects may be used from separate threads at once; one object belongs to
/// one thread at a time.
#pragma once

#include <cstdint>
#include <memory>

#include "kez/kezbase/vocabulary.hpp"
#include "kez/platform/classes.hpp"
#include "kez/platform/export.hpp"
#include "kez/platform/graphics_tools.hpp"
#include "kez/platform/graphtypes.hpp"
#include "kez/platform/textfile.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// TCrossHair
/// One cross-hair of a chart: position in data coordinates, colour, line style and width,
/// drawing mode and layer. A new cross-hair has every field zero (so Layer is 0 until it is
/// first set, although SetCrossHLayer only ever stores 1 or 2) and no OnChange handler.
///
/// Every setter stores its value and calls Changed, also when the value does not change.
class TCrossHair : public TPersistent {
 public:
  /// PosX / SetCrossHPosX: the horizontal position in data coordinates.
  ///@{
  double PosX() const { return FPosX; }
  void SetCrossHPosX(double Value);
  ///@}
  /// PosY / SetCrossHPosY: the vertical position in data coordinates.
  ///@{
  double PosY() const { return FPosY; }
  void SetCrossHPosY(double Value);
  ///@}
  /// Color / SetCrossHColor: the colour of the lines.
  ///@{
  TColor Color() const { return FColor; }
  void SetCrossHColor(TColor Value);
  ///@}
  /// Mode / SetCrossHMode: which lines and box are drawn (chOff draws nothing).
  ///@{
  TCrossHMode Mode() const { return FMode; }
  void SetCrossHMode(TCrossHMode Value);
  ///@}
  /// LineType / SetCrossHLineType: the pen style of the lines.
  ///@{
  TPenStyle LineType() const { return FLineType; }
  void SetCrossHLineType(TPenStyle Value);
  ///@}
  /// LineWid / SetCrossHLineWid: the width of the lines in pixels, stored as given.
  ///@{
  std::int32_t LineWid() const { return FLineWid; }
  void SetCrossHLineWid(std::int32_t Value);
  ///@}
  /// The layer the cross-hair is drawn on: 1 or 2 once set, 0 before.
  std::int32_t Layer() const { return FLayer; }
  /// SetCrossHLayer: stores Value clamped to 1..2 (below 1 gives 1, above 2 gives 2).
  void SetCrossHLayer(std::int32_t Value);

  /// SetPos
  /// Moves the cross-hair: when X or Y differs from the position held, stores both and
  /// calls Changed once; otherwise does nothing.
  void SetPos(double X, double Y);

  /// OnChange / SetOnChange: the handler Changed calls; empty at first.
  ///@{
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Handler) { FOnChange = std::move(Handler); }
  ///@}
  /// Changed: calls OnChange with this object as sender, if a handler is set.
  void Changed();

  /// Assign
  /// Copies every field of another cross-hair, the OnChange handler included, without
  /// calling Changed. Any other source raises EConvertError.
  void Assign(TPersistent* Source) override;

 protected:
  void AssignTo(TPersistent* Dest) override;

 private:
  double FPosX = 0;
  double FPosY = 0;
  TColor FColor = 0;
  TCrossHMode FMode = chOff;
  TPenStyle FLineType = psSolid;
  std::int32_t FLineWid = 0;
  std::int32_t FLayer = 0;
  TNotifyEvent FOnChange;
};

/// TDTLabel
/// How a chart writes date and time labels on an axis. A new object has every field zero
/// (tfHHMMSS, separators character 0, ylNone, no month names, doMMDDYY, dtNone).
///
/// SetTimeFormat and SetDAteOrder store and call Changed unconditionally; the other setters
/// call Changed only when the value differs from the one held.
class TDTLabel : public TPersistent {
 public:
  /// TimeFormat / SetTimeFormat: how times are written.
  ///@{
  TTimeFormat TimeFormat() const { return FTimeFormat; }
  void SetTimeFormat(TTimeFormat Value);
  ///@}
  /// DateSeparator / SetDateSeparator: the character between the parts of a date (character 0
  /// at first).
  ///@{
  char16_t DateSeparator() const { return FDateSeparator; }
  void SetDateSeparator(char16_t Value);
  ///@}
  /// TimeSeparator / SetTimeSeparator: the character between hours, minutes and seconds
  /// (character 0 at first).
  ///@{
  char16_t TimeSeparator() const { return FTimeSeparator; }
  void SetTimeSeparator(char16_t Value);
  ///@}
  /// YearLength / SetYearLength: how many digits of the year are written, if any.
  ///@{
  TYearLength YearLength() const { return FYearLength; }
  void SetYearLength(TYearLength Value);
  ///@}
  /// MonthName / SetMonthName: whether a month is written as its name instead of its number.
  ///@{
  bool MonthName() const { return FMonthName; }
  void SetMonthName(bool Value);
  ///@}
  /// DateOrder / SetDAteOrder: the order of month, day and year.
  ///@{
  TDateOrder DateOrder() const { return FDateOrder; }
  void SetDAteOrder(TDateOrder Value);
  ///@}
  /// DateForTime / SetDateForTime: how often a time axis adds the date.
  ///@{
  TDateForTime DateForTime() const { return FDateForTime; }
  void SetDateForTime(TDateForTime Value);
  ///@}

  /// OnChange / SetOnChange: the handler Changed calls; empty at first.
  ///@{
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Handler) { FOnChange = std::move(Handler); }
  ///@}
  /// Changed: calls OnChange with this object as sender, if a handler is set.
  void Changed();

  /// Assign
  /// Copies every field of another TDTLabel, the OnChange handler included, without calling
  /// Changed. Any other source raises EConvertError.
  void Assign(TPersistent* Source) override;

 protected:
  void AssignTo(TPersistent* Dest) override;

 private:
  TTimeFormat FTimeFormat = tfHHMMSS;
  char16_t FDateSeparator = 0;
  char16_t FTimeSeparator = 0;
  TYearLength FYearLength = ylNone;
  bool FMonthName = false;
  TDateOrder FDateOrder = doMMDDYY;
  TDateForTime FDateForTime = dtNone;
  TNotifyEvent FOnChange;
};

/// TCustomTextLabel
/// A text label placed on a chart: anchor (PosX, PosY) in data coordinates, which of them
/// follow the data (AttachMode), layer 1..16, shadow offset and colour, alignment, frame and
/// background colours, transparency, an owned font, the caption, the drawing style (Mode)
/// and visibility. A new label is at (100, 10) on layer 1, centred horizontally and aligned
/// to the bottom, silver on a black frame with a gray shadow of offset (0, 0), opaque,
/// visible, in mode tlsimple, with an empty caption and a new default font.
///
/// Every setter stores its value and calls Changed, also when the value does not change,
/// except as noted at the setter.
class TCustomTextLabel : public TPersistent {
 public:
  TCustomTextLabel();
  ~TCustomTextLabel() override;

  /// PosX / SetTxtLblPosX: the horizontal position of the anchor in data coordinates.
  ///@{
  double PosX() const { return FPosX; }
  void SetTxtLblPosX(double Value);
  ///@}
  /// PosY / SetTxtLblPosY: the vertical position of the anchor in data coordinates.
  ///@{
  double PosY() const { return FPosY; }
  void SetTxtLblPosY(double Value);
  ///@}
  /// The layer the label is drawn on, 1..16.
  std::int32_t Layer() const { return FLayer; }
  /// SetTxtLblLayer: takes 1..16 only; any other value is ignored without a notification.
  void SetTxtLblLayer(std::int32_t Value);
  /// ShadowDx / SetTxtLblShadowDx: the horizontal offset of the shadow in pixels.
  ///@{
  std::int32_t ShadowDx() const { return FXShadow; }
  void SetTxtLblShadowDx(std::int32_t Value);
  ///@}
  /// ShadowDy / SetTxtLblShadowDy: the vertical offset of the shadow in pixels.
  ///@{
  std::int32_t ShadowDy() const { return FYShadow; }
  void SetTxtLblShadowDy(std::int32_t Value);
  ///@}
  /// ColorShadow / SetTxtLblColorShadow: the colour of the shadow.
  ///@{
  TColor ColorShadow() const { return FColorShadow; }
  void SetTxtLblColorShadow(TColor Value);
  ///@}
  /// Alignment / SetTxtLblAlignment: the horizontal alignment of the text at the anchor.
  ///@{
  TAlignment Alignment() const { return FAlignment; }
  void SetTxtLblAlignment(TAlignment Value);
  ///@}
  /// VertAlignment / SetTxtLblVertAlignment: the vertical alignment of the text at the anchor.
  ///@{
  TVerticalAlignment VertAlignment() const { return FVertAlign; }
  void SetTxtLblVertAlignment(TVerticalAlignment Value);
  ///@}
  /// AttachMode / SetTxtLblScreenPos: which coordinates of the anchor follow the data; the others
  /// stay at their place on the screen.
  ///@{
  TTxtLblAttachMode AttachMode() const { return FAttachDat; }
  void SetTxtLblScreenPos(TTxtLblAttachMode Value);
  ///@}
  /// ColorBkg / SetTxtLblColorBkg: the background colour (unused while Transparent).
  ///@{
  TColor ColorBkg() const { return FColorBkg; }
  void SetTxtLblColorBkg(TColor Value);
  ///@}
  /// ColorBrd / SetTxtLblColorBrd: the colour of the frame.
  ///@{
  TColor ColorBrd() const { return FColorBrd; }
  void SetTxtLblColorBrd(TColor Value);
  ///@}
  /// Transparent / SetTxtLblTranspar: whether the background is left unpainted.
  ///@{
  bool Transparent() const { return FTransPar; }
  void SetTxtLblTranspar(bool Value);
  ///@}

  /// Font / SetTxtLblFont
  /// The label's own font. SetTxtLblFont copies the attributes of Value into it (TFont's
  /// Assign); the label keeps its object and the caller keeps Value. Changes made through
  /// Font() directly do not notify.
  ///@{
  TFont& Font() { return *FFont; }
  const TFont& Font() const { return *FFont; }
  void SetTxtLblFont(const TFont& Value);
  ///@}

  /// SetTxtLblCaption: stores Value with every control character (code below 32) but the
  /// line feed replaced by a blank.
  ///@{
  const String& Caption() const { return FCaption; }
  void SetTxtLblCaption(StringView Value);
  ///@}
  /// Mode / SetTxtLblMode: how the label is drawn (see TTxtLblMode).
  ///@{
  TTxtLblMode Mode() const { return FMode; }
  void SetTxtLblMode(TTxtLblMode Value);
  ///@}
  /// Visible / SetTxtLblVisible: whether the label is shown.
  ///@{
  bool Visible() const { return FVisible; }
  void SetTxtLblVisible(bool Value);
  ///@}

  /// OnChange / SetOnChange: the handler Changed calls; empty at first.
  ///@{
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Handler) { FOnChange = std::move(Handler); }
  ///@}
  /// Changed: calls OnChange with this object as sender, if a handler is set.
  void Changed();

  /// Assign
  /// Copies every field of another label (or of a label class derived from it), the
  /// OnChange handler included, without calling Changed; the font is copied by attributes
  /// into this label's own font. Any other source raises EConvertError.
  void Assign(TPersistent* Source) override;

  /// WriteToOpenXMLFile
  /// Writes the label as one element at the current position of File (open for writing),
  /// one item per line, every line but the empty second one indented by Indent blanks
  /// (clamped to 1..255):
  /// @code
  ///   [<?xml version="1.0"?>]                       (only when CreateHeader is set)
  ///   (an empty line)
  ///   <!-- TCustomTextLabel / Orvantium -->
  ///   <custtextlbl sig="Orvantium" vers="1.0" id="DataID">
  ///     <posxy x= 1.000E+0002 y= 1.000E+0001 />     (12-character scientific numbers)
  ///     <caption>text</caption>
  ///     <colors brd=$000000 bg=$C0C0C0 shdw=$808080 />   (low 24 bits, upper-case hex)
  ///     <shadowofs dx=0 dy=0 />
  ///     <layer val=1 />
  ///     <transparent val=0 />
  ///     <visible val=1 />
  ///     <alignment horiz=taCenter vert=vaBottom />
  ///     <attachmode val=tlamNone />
  ///     <font name="DejaVu Sans" size=8 color=$000000 style="fsBold fsItalic" />
  ///     <style val=tlsimple />
  ///   </custtextlbl>
  /// @endcode
  /// Identifier, caption and font name are written exactly as held, without escaping: a
  /// caption that holds "</caption>" or "</custtextlbl>" does not read back whole. When one of them needs UTF-8 and the
  /// label is the first text of the file, the file becomes UTF-8 (TextFile::StartInUtf8);
  /// in a Windows-1252 file that already holds text such a character is write error 101.
  /// Errors of the file raise its EInOutError at once.
  void WriteToOpenXMLFile(TextFile& File, bool CreateHeader, StringView DataID,
                          std::int32_t Indent) const;

  /// ReadFromOpenXMLFile
  /// Reads on from the current position of File (open for reading) to the label element
  /// whose identifier equals DataID ignoring case (surrounding blanks of the identifier in
  /// the file do not count; with an empty DataID the first label element), found line by
  /// line, and reads its items up to its end tag. Then the label takes the values read
  /// (fields set directly: no setter rules, so a layer of 40 is kept), calls Changed once,
  /// and the result is true. After the end tag the reader also consumes the text up to the
  /// next ">" (the comment line of a label written after it).
  ///
  /// Every item that WriteToOpenXMLFile writes is restored, the attach mode, the font and
  /// the mode included. A word that is not in its table (alignment words are compared with
  /// their letter case) leaves that field as it was; numbers beyond the range of a field
  /// are clamped to it; unparsable numbers read as 0; unknown elements are skipped. Each
  /// attribute of the font that is present is taken, an empty name or style included; a
  /// missing one keeps the font's value. The caption runs to its end tag "</caption"
  /// (any letter case) followed by a blank or ">", and that tag to the next ">" (so
  /// "</caption >" ends it too); a caption holding ">", "<", other end tags or line feeds
  /// reads back whole. A caption whose end tag is missing ends at the label's own end tag
  /// "</custtextlbl", which then ends the label: reading never runs into the next label.
  ///
  /// The result is false when no label element is found, and also when the file ends before
  /// the end tag; the label is then unchanged and nothing is notified. A read error of the
  /// file raises its EInOutError and also leaves the label unchanged.
  bool ReadFromOpenXMLFile(TextFile& File, StringView DataID);

 protected:
  void AssignTo(TPersistent* Dest) override;

 private:
  /// Copies every field but the font object itself (whose attributes are copied).
  void CopyFields(const TCustomTextLabel& Source);

  double FPosX = 100.0;
  double FPosY = 10.0;
  std::int32_t FLayer = 1;
  std::int32_t FXShadow = 0;
  std::int32_t FYShadow = 0;
  TColor FColorShadow = 0x808080;
  TAlignment FAlignment = taCenter;
  TVerticalAlignment FVertAlign = vaBottom;
  TTxtLblAttachMode FAttachDat = tlamNone;
  TColor FColorBkg = 0xC0C0C0;
  TColor FColorBrd = 0;
  bool FTransPar = false;
  std::unique_ptr<TFont> FFont;
  String FCaption;
  TTxtLblMode FMode = tlsimple;
  TNotifyEvent FOnChange;
  bool FVisible = true;
};

KEZ_API_END
}  // namespace kez
