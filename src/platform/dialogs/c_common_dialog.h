#pragma once

// A class over the common dialogs (open and save file, file title, colour, font, print and
// page set-up) with plain methods and by-reference arguments, so that a caller needs no
// dialog control on a page. Every dialog method returns true when the user chose, and fills
// its arguments with the choice; otherwise it returns false with the failure outputs.

#include <array>
#include <cstdint>
#include <string>

#include "platform/dialogs/comdlg32.h"

/// A font as a caller holds it.
struct StdFont {
  std::string Name = "MS Sans Serif";
  double Size = 8;  // points
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool Strikethrough = false;
  std::int16_t Weight = 400;
};

/// The printer the print and page set-up dialogs report their settings to, by property name
/// ("Copies", "Orientation", "PaperSize", "PrintQuality"); a property it lacks may throw.
class PrinterObject {
 public:
  virtual ~PrinterObject() = default;
  virtual void set_property(const std::string& name, long value) = 0;
};

/// Margins of a page in inches or millimetres.
struct PageMargins {
  double Left = 0, Top = 0, Right = 0, Bottom = 0;
};

class cCommonDialog {
 public:
  /// The result of the last dialog function called.
  std::int32_t APIReturn() const { return api_return_; }
  /// Why the last dialog failed, when its result was neither 1 nor 0.
  std::int32_t ExtendedError() const { return extended_error_; }

  /// The open-file dialog. Filter: "description|pattern|..." (":" also separates); on
  /// success Filter becomes the chosen pair joined by a NUL, FilterIndex the chosen pair
  /// from 1, Flags the dialog's flags and ReadOnly whether they say so. On failure the
  /// names and the filter are empty, Flags 0 and FilterIndex -1. Owner -1 is none.
  bool VBGetOpenFileName(std::string& Filename, std::string& FileTitle, bool FileMustExist, bool MultiSelect,
                         bool& ReadOnly, bool HideReadOnly, std::string& Filter, std::int32_t& FilterIndex,
                         const std::string& InitDir, const std::string& DlgTitle,
                         const std::string& DefaultExt, std::int32_t Owner, std::int32_t& Flags);
  /// The save-file dialog, with the same outputs.
  bool VBGetSaveFileName(std::string& Filename, std::string& FileTitle, bool OverWritePrompt,
                         std::string& Filter, std::int32_t& FilterIndex, const std::string& InitDir,
                         const std::string& DlgTitle, const std::string& DefaultExt, std::int32_t Owner,
                         std::int32_t& Flags);
  /// The path's title (its file name); empty when there is none.
  std::string VBGetFileTitle(const std::string& sFile);

  /// The colour dialog, starting from Color (0x00BBGGRR); on failure Color becomes -1.
  bool VBChooseColor(std::int32_t& Color, bool AnyColor, bool FullOpen, bool DisableFullOpen,
                     std::int32_t Owner, std::int32_t unused = 0);
  /// Custom colour 0 to 15 of the colour dialog (-1 outside); setting one outside is ignored.
  std::int32_t CustomColor(int i);
  void CustomColor(int i, std::int32_t colour);

  /// The font dialog, starting from CurFont; PrinterDC -1 is none. On success CurFont,
  /// Color and Flags hold the choice.
  bool VBChooseFont(StdFont& CurFont, std::intptr_t PrinterDC, std::int32_t Owner, std::int32_t& Color,
                    std::int32_t MinSize, std::int32_t MaxSize, std::int32_t& Flags);

  /// The print dialog. PrintRange: 0 all, 1 pages, 2 selection. On success hDC is the
  /// printer's device context and Printer (when given) takes the copies, orientation, paper
  /// size and print quality.
  bool VBPrintDlg(std::intptr_t& hDC, std::int16_t& PrintRange, bool DisablePageNumbers,
                  std::int32_t& FromPage, std::int32_t& ToPage, bool DisableSelection, std::int32_t& Copies,
                  bool ShowPrintToFile, bool DisablePrintToFile, bool& PrintToFile, bool& Collate,
                  bool PreventWarning, std::int32_t Owner, PrinterObject* Printer, std::int32_t unused = 0);

  /// The page set-up dialog; margins in inches, or in millimetres when InMillimetres.
  bool VBPageSetupDlg(PageMargins& Margin, PageMargins& MinMargin, bool InMillimetres, bool DisableMargins,
                      bool DisablePrinter, bool DisableOrientation, bool DisablePaper,
                      std::int16_t& Orientation, std::int16_t& PaperSize, std::int32_t Owner,
                      PrinterObject* Printer, std::int32_t unused = 0);

  /// Raises error `number`: below 1001 as it is, from "<program>.VBError"; any other as
  /// number Or 0x80040000, from "<program>.CommonDialog".
  [[noreturn]] static void RaiseError(long number, const std::string& description);

 private:
  void begin();
  bool finish(std::int32_t result);
  void fill_custom_colours();
  void report_printer(PrinterObject* printer) const;

  std::int32_t api_return_ = 0;
  std::int32_t extended_error_ = 0;
  std::array<comdlg32::COLORREF, 16> custom_colours_{};
  bool colours_initialised_ = false;
  std::string devmode_;  // the device mode last returned, 122 bytes once there is one
};
