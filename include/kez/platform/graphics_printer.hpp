/// @file
/// The printer: a page raster with a canvas, written as a PDF document (through cairo) and,
/// if asked, as one PNG image per page. That is what "print" gives on Linux: a PDF to open,
/// keep or send to a printer.
///
/// @code
///   kez::TPrinter& p = kez::Printer();
///   p.SetFileName(u"/tmp/report.pdf");         // or a folder; empty: the documents folder
///   p.BeginDoc();
///   p.Canvas().TextOut(300, 300, u"Page one");
///   p.NewPage();
///   p.Canvas().Rectangle(300, 300, 900, 600);
///   p.EndDoc();                                // /tmp/report.pdf with two A4 pages
/// @endcode
///
/// Threads: Printer() is one object for the whole process and belongs to one thread at a time;
/// a program that prints from several threads serialises its documents itself.
#pragma once

#include <cstdint>
#include <memory>

#include "kez/platform/classes.hpp"
#include "kez/platform/exceptions.hpp"
#include "kez/platform/export.hpp"
#include "kez/platform/graphics_canvas.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// EPrinter: a printer operation in the wrong state ("Printing in progress", "Printer is not
/// currently printing") or a page setting out of range.
class EPrinter : public Exception {
 public:
  using Exception::Exception;
};

/// TPrinterOrientation: how the paper is turned: portrait (the sheet as set) or landscape (its
/// sides exchanged).
enum TPrinterOrientation : std::uint8_t { poPortrait, poLandscape };

/// TPrinter
/// The page is PageWidth x PageHeight printer pixels at PixelsPerInch: A4 portrait at 300
/// pixels per inch unless the host sets paper, orientation and resolution (between
/// documents). Each page becomes one PDF page of the paper's size in which every printer
/// pixel is one square of 1/PixelsPerInch inch.
///
/// The canvas has pixels only while a document is open; drawing at other times does
/// nothing. Its font measures sizes at the printer's resolution.
class TPrinter : public TObject {
 public:
  TPrinter();
  ~TPrinter() override;

  /// Canvas: the one canvas of the printer, the same object for the life of the process.
  TCanvas& Canvas();

  /// BeginDoc
  /// Opens a document and a white first page. The PDF is written to a new file beside its
  /// target (a symbolic link is followed to the file it names) and takes the target's place
  /// only when EndDoc has written and flushed all of it, so until then, and after any
  /// failure, a previous file of that name is untouched and nothing is left beside it.
  /// Raises EPrinter when a document is open already, EInOutError (naming the path) when the
  /// file cannot be created, EOutOfMemory when the page raster cannot be had.
  void BeginDoc();
  /// NewPage: finishes the page and starts a white one. EPrinter when no document is open;
  /// EOutOfMemory when the memory to put the page into the document (about three times its
  /// raster) cannot be had, the document staying open.
  void NewPage();
  /// EndDoc
  /// Finishes the last page and puts the document in place. EPrinter when no document is
  /// open; EInOutError naming the path when any part of the PDF or a page image cannot be
  /// written (a full disk, a file-size limit), EOutOfMemory as in NewPage; in either case
  /// the document is closed, its unfinished file removed and a previous file of the name
  /// kept.
  void EndDoc();
  /// Abort: drops the open document and its unfinished file (a previous file of the name
  /// stays); nothing when none is open.
  void Abort();

  /// True while a document is open (between BeginDoc and EndDoc or Abort).
  bool Printing() const { return FPrinting; }
  /// True after Abort dropped a document, until the next BeginDoc.
  bool Aborted() const { return FAborted; }
  /// PageNumber: the page being drawn, from 1; 0 while no document is open.
  std::int32_t PageNumber() const { return FPageNumber; }

  /// PageWidth / PageHeight: the page in printer pixels, from the paper, the orientation and the
  /// resolution.
  ///@{
  std::int32_t PageWidth() const;
  std::int32_t PageHeight() const;
  ///@}
  /// The printer's resolution in pixels per inch.
  std::int32_t PixelsPerInch() const { return FPixelsPerInch; }

  /// SetResolution
  /// 36 to 1200 pixels per inch, as long as the page of the paper set has at most 2^27
  /// (134217728) pixels, for the page is held in memory whole (4 bytes a pixel): A4 works up
  /// to 1178, Letter up to 1198 pixels per inch, smaller paper up to 1200. Else EPrinter,
  /// naming the paper size where that is the bound ("Printer resolution 1200 pixels per inch
  /// is out of range for paper of 210 x 297 mm: the page would have more than 134217728
  /// pixels").
  void SetResolution(std::int32_t PixelsPerInch);
  /// SetPaperSize
  /// The sheet in millimetres, portrait (A4 is 210 x 297). Each side from 10 mm to 2000 mm,
  /// and at most 2^27 page pixels at the resolution, else EPrinter naming the size.
  void SetPaperSize(double WidthMM, double HeightMM);
  /// Orientation / SetOrientation: portrait (the default) or landscape; changed between documents
  /// only (EPrinter while printing).
  ///@{
  TPrinterOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TPrinterOrientation Value);
  ///@}

  /// Title: the document's title, written into the PDF's metadata and into the name of a
  /// document the printer names itself (cut to fit a file name). Both are UTF-8, where an
  /// unpaired surrogate of the title shows as U+FFFD.
  ///@{
  const String& Title() const { return FTitle; }
  void SetTitle(String Value) { FTitle = std::move(Value); }
  ///@}

  /// FileName
  /// Where documents go: a PDF file name, or an existing folder in which each document gets
  /// a dated name ("<Title or print>-YYYYMMDD-HHMMSS.pdf", with "-2", "-3"... if taken).
  /// Empty (the default): the user's documents folder as the XDG user directories name it,
  /// else ~/Documents when it exists, else the home folder.
  ///@{
  const String& FileName() const { return FFileName; }
  void SetFileName(String Value) { FFileName = std::move(Value); }
  ///@}

  /// PngPages: also write every page as "<document without .pdf>-<page>.png".
  ///@{
  bool PngPages() const { return FPngPages; }
  void SetPngPages(bool Value) { FPngPages = Value; }
  ///@}

  /// DocumentName: the PDF file of the open or last document; empty before the first.
  const String& DocumentName() const { return FDocumentName; }

 private:
  class TPrinterCanvas;
  class TDocument;
  void CheckIdle() const;
  void CheckPrinting() const;
  void FinishPage();
  void CloseDocument();

  std::unique_ptr<TPrinterCanvas> FCanvas;
  std::unique_ptr<TDocument> FDocument;
  std::int32_t FPixelsPerInch = 300;
  double FPaperWidthMM = 210;
  double FPaperHeightMM = 297;
  TPrinterOrientation FOrientation = poPortrait;
  String FTitle;
  String FFileName;
  String FDocumentName;
  bool FPngPages = false;
  bool FPrinting = false;
  bool FAborted = false;
  std::int32_t FPageNumber = 0;
};

/// Printer: the one printer object of the process.
TPrinter& Printer();

KEZ_API_END
}  // namespace kez
