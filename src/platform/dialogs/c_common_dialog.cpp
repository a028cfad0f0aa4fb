#include "platform/dialogs/c_common_dialog.h"

#include <cmath>

#include "core/errors.h"

using namespace comdlg32;

namespace {

constexpr std::int32_t kNone = -1;  // an owner window, printer context or colour: none
constexpr std::size_t kPathBuffer = 260;

// Hook and template flags, which a caller cannot use here.
constexpr std::uint32_t kFileHooks = 0x60;
constexpr std::uint32_t kColourHooks = 0x30;
constexpr std::uint32_t kFontHooks = 0x218;
constexpr std::uint32_t kPrintHooks = 0x3F000;  // print and set-up hooks, templates and handles
constexpr std::uint32_t kPageSetupHooks = 0x6A000;

std::string cut_at_nul(const std::string& text) { return text.substr(0, text.find('\0')); }

// "|" and ":" separate the filter's pairs; two NULs end the list.
std::string nul_separated(const std::string& filter) {
  std::string out = filter;
  for (char& c : out)
    if (c == '|' || c == ':') c = '\0';
  return out + std::string(2, '\0');
}

// The n-th description and pattern (from 1) of a NUL-separated list, joined by a NUL.
std::string filter_pair(const std::string& list, std::int32_t n) {
  std::size_t at = 0;
  for (std::int32_t i = 1; i < n; ++i) {
    for (int part = 0; part < 2; ++part) {
      at = list.find('\0', at);
      if (at == std::string::npos) return {};
      ++at;
    }
  }
  const std::string description = cut_at_nul(list.substr(at));
  const std::size_t pattern_at = at + description.size() + 1;
  if (description.empty() || pattern_at > list.size()) return {};
  return description + '\0' + cut_at_nul(list.substr(pattern_at));
}

std::string padded(const std::string& text) {
  return text.size() >= kPathBuffer ? text.substr(0, kPathBuffer)
                                    : text + std::string(kPathBuffer - text.size(), '\0');
}

HWND owner(std::int32_t window) { return window == kNone ? 0 : static_cast<HWND>(window); }

// The record both file dialogs start from; `flags` are the dialog's own, the caller's Flags are
// added without the hook flags.
OPENFILENAME file_record(const std::string& Filename, const std::string& FileTitle, const std::string& Filter,
                         std::int32_t FilterIndex, const std::string& InitDir, const std::string& DlgTitle,
                         const std::string& DefaultExt, std::int32_t Owner, std::uint32_t flags,
                         std::int32_t Flags) {
  OPENFILENAME record;
  record.hwndOwner = owner(Owner);
  record.lpstrFilter = nul_separated(Filter);
  record.nFilterIndex = FilterIndex;
  record.lpstrFile = padded(Filename);
  record.nMaxFile = kPathBuffer;
  record.lpstrFileTitle = padded(FileTitle);
  record.nMaxFileTitle = kPathBuffer;
  record.lpstrInitialDir = InitDir;
  record.lpstrTitle = DlgTitle;
  record.lpstrDefExt = DefaultExt;
  record.Flags = flags | (static_cast<std::uint32_t>(Flags) & ~kFileHooks);
  return record;
}

// What both file dialogs give back: the record's results when a file was chosen, else the
// failure outputs.
void take_file_results(bool chosen, const OPENFILENAME& record, std::string& Filename, std::string& FileTitle,
                       std::string& Filter, std::int32_t& FilterIndex, std::int32_t& Flags) {
  if (chosen) {
    Filename = cut_at_nul(record.lpstrFile);
    FileTitle = cut_at_nul(record.lpstrFileTitle);
    Flags = static_cast<std::int32_t>(record.Flags);
    FilterIndex = record.nFilterIndex;
    Filter = filter_pair(record.lpstrFilter, record.nFilterIndex);
  } else {
    Filename.clear();
    FileTitle.clear();
    Filter.clear();
    Flags = 0;
    FilterIndex = -1;
  }
}

}  // namespace

void cCommonDialog::begin() {
  api_return_ = 0;
  extended_error_ = 0;
}

bool cCommonDialog::finish(std::int32_t result) {
  api_return_ = result;
  if (result != 1 && result != 0) extended_error_ = static_cast<std::int32_t>(CommDlgExtendedError());
  return result == 1;
}

// Files

bool cCommonDialog::VBGetOpenFileName(std::string& Filename, std::string& FileTitle, bool FileMustExist,
                                      bool MultiSelect, bool& ReadOnly, bool HideReadOnly,
                                      std::string& Filter, std::int32_t& FilterIndex,
                                      const std::string& InitDir, const std::string& DlgTitle,
                                      const std::string& DefaultExt, std::int32_t Owner,
                                      std::int32_t& Flags) {
  begin();
  OPENFILENAME record =
      file_record(Filename, FileTitle, Filter, FilterIndex, InitDir, DlgTitle, DefaultExt, Owner,
                  (FileMustExist ? OFN_FILEMUSTEXIST : 0) | (MultiSelect ? OFN_ALLOWMULTISELECT : 0) |
                      (ReadOnly ? OFN_READONLY : 0) | (HideReadOnly ? OFN_HIDEREADONLY : 0),
                  Flags);
  const bool chosen = finish(GetOpenFileNameA(record));
  take_file_results(chosen, record, Filename, FileTitle, Filter, FilterIndex, Flags);
  if (chosen) {
    // A multiple choice keeps its NUL-separated names, up to the two NULs that end them.
    const std::size_t end = MultiSelect ? record.lpstrFile.find(std::string(2, '\0')) : std::string::npos;
    if (end != std::string::npos) Filename = record.lpstrFile.substr(0, end);
    ReadOnly = record.Flags & OFN_READONLY;
  }
  return chosen;
}

bool cCommonDialog::VBGetSaveFileName(std::string& Filename, std::string& FileTitle, bool OverWritePrompt,
                                      std::string& Filter, std::int32_t& FilterIndex,
                                      const std::string& InitDir, const std::string& DlgTitle,
                                      const std::string& DefaultExt, std::int32_t Owner,
                                      std::int32_t& Flags) {
  begin();
  OPENFILENAME record =
      file_record(Filename, FileTitle, Filter, FilterIndex, InitDir, DlgTitle, DefaultExt, Owner,
                  (OverWritePrompt ? OFN_OVERWRITEPROMPT : 0) | OFN_HIDEREADONLY, Flags);
  const bool chosen = finish(GetSaveFileNameA(record));
  take_file_results(chosen, record, Filename, FileTitle, Filter, FilterIndex, Flags);
  return chosen;
}

std::string cCommonDialog::VBGetFileTitle(const std::string& sFile) {
  std::string buffer(kPathBuffer, '\0');
  if (GetFileTitleA(sFile, buffer, kPathBuffer) != 0) return {};
  return cut_at_nul(buffer);
}

// Colour

void cCommonDialog::fill_custom_colours() {
  if (colours_initialised_) return;
  for (int i = 0; i < 16; ++i) custom_colours_[static_cast<std::size_t>(i)] = GetSysColor(i);
  colours_initialised_ = true;
}

bool cCommonDialog::VBChooseColor(std::int32_t& Color, bool AnyColor, bool FullOpen, bool DisableFullOpen,
                                  std::int32_t Owner, std::int32_t) {
  begin();
  fill_custom_colours();
  CHOOSECOLOR record;
  record.hwndOwner = owner(Owner);
  record.rgbResult = static_cast<COLORREF>(Color);
  record.lpCustColors = &custom_colours_;
  record.Flags = (AnyColor ? 0x100 : 0x80) | 0x1 | (FullOpen ? 0x2 : 0) | (DisableFullOpen ? 0x4 : 0);
  record.Flags &= ~kColourHooks;
  const bool chosen = finish(ChooseColorA(record));
  Color = chosen ? static_cast<std::int32_t>(record.rgbResult) : -1;
  return chosen;
}

std::int32_t cCommonDialog::CustomColor(int i) {
  fill_custom_colours();
  if (i < 0 || i > 15) return -1;
  return static_cast<std::int32_t>(custom_colours_[static_cast<std::size_t>(i)]);
}

void cCommonDialog::CustomColor(int i, std::int32_t colour) {
  fill_custom_colours();
  if (i < 0 || i > 15) return;
  custom_colours_[static_cast<std::size_t>(i)] = static_cast<COLORREF>(colour);
}

// Font

bool cCommonDialog::VBChooseFont(StdFont& CurFont, std::intptr_t PrinterDC, std::int32_t Owner,
                                 std::int32_t& Color, std::int32_t MinSize, std::int32_t MaxSize,
                                 std::int32_t& Flags) {
  begin();
  std::uint32_t flags = static_cast<std::uint32_t>(Flags);
  // Printer fonts need a printer's device context: the default printer's when none is given.
  if (PrinterDC == kNone) PrinterDC = (flags & CF_PRINTERFONTS) ? default_printer_dc() : 0;
  if (PrinterDC) flags |= CF_PRINTERFONTS;
  if (!(flags & CF_PRINTERFONTS)) flags |= CF_SCREENFONTS;
  if (Color != 0) flags |= CF_EFFECTS;
  if (MinSize || MaxSize) flags |= CF_LIMITSIZE;
  flags = (flags & ~kFontHooks) | CF_INITTOLOGFONTSTRUCT;

  LOGFONT font;
  font.lfHeight = -static_cast<std::int32_t>(std::nearbyint(CurFont.Size * 20 / 15));  // 15 twips a pixel
  font.lfWeight = CurFont.Weight;
  font.lfItalic = CurFont.Italic;
  font.lfUnderline = CurFont.Underline;
  font.lfStrikeOut = CurFont.Strikethrough;
  font.lfFaceName = CurFont.Name;
  CHOOSEFONT record;
  record.hwndOwner = owner(Owner);
  record.hDC = PrinterDC;
  record.lpLogFont = &font;
  record.iPointSize = static_cast<std::int32_t>(std::nearbyint(CurFont.Size * 10));
  record.Flags = flags;
  record.rgbColors = static_cast<COLORREF>(Color);
  record.nSizeMin = MinSize;
  record.nSizeMax = MaxSize;
  const bool chosen = finish(ChooseFontA(record));
  if (chosen) {
    CurFont.Bold = record.nFontType & BOLD_FONTTYPE;
    CurFont.Italic = font.lfItalic;
    CurFont.Strikethrough = font.lfStrikeOut;
    CurFont.Underline = font.lfUnderline;
    CurFont.Weight = static_cast<std::int16_t>(font.lfWeight);
    CurFont.Size = record.iPointSize / 10.0;
    CurFont.Name = font.lfFaceName;
    Color = static_cast<std::int32_t>(record.rgbColors);
    Flags = static_cast<std::int32_t>(record.Flags);
  }
  return chosen;
}

// Printing

void cCommonDialog::report_printer(PrinterObject* printer) const {
  if (!printer) return;
  const std::pair<const char*, std::size_t> fields[] = {{"Copies", kDmCopies},
                                                        {"Orientation", kDmOrientation},
                                                        {"PaperSize", kDmPaperSize},
                                                        {"PrintQuality", kDmPrintQuality}};
  for (const auto& [name, offset] : fields)
    core::ignore_errors([&] { printer->set_property(name, devmode_field(devmode_, offset)); });
}

bool cCommonDialog::VBPrintDlg(std::intptr_t& hDC, std::int16_t& PrintRange, bool DisablePageNumbers,
                               std::int32_t& FromPage, std::int32_t& ToPage, bool DisableSelection,
                               std::int32_t& Copies, bool ShowPrintToFile, bool DisablePrintToFile,
                               bool& PrintToFile, bool& Collate, bool PreventWarning, std::int32_t Owner,
                               PrinterObject* Printer, std::int32_t) {
  begin();
  PRINTDLG record;
  record.hwndOwner = owner(Owner);
  record.hDevMode = devmode_;
  record.Flags = (DisablePageNumbers ? PD_NOPAGENUMS : 0) | (DisableSelection ? PD_NOSELECTION : 0) |
                 (PrintToFile ? PD_PRINTTOFILE : 0) | (Collate ? PD_COLLATE : 0) |
                 (PreventWarning ? 0x80 : 0) | (DisablePrintToFile ? PD_DISABLEPRINTTOFILE : 0) |
                 (ShowPrintToFile ? 0 : PD_HIDEPRINTTOFILE) | 0x100 |
                 0x40000;  // return a device context; copies and collation from the device mode
  if (PrintRange == 1) record.Flags |= PD_PAGENUMS;
  if (PrintRange == 2) record.Flags |= PD_SELECTION;
  record.Flags &= ~kPrintHooks;
  record.nFromPage = static_cast<std::uint16_t>(FromPage);
  record.nToPage = static_cast<std::uint16_t>(ToPage);
  record.nMinPage = 1;
  record.nMaxPage = 65535;
  record.nCopies = static_cast<std::uint16_t>(Copies);
  const bool chosen = finish(PrintDlgA(record));
  if (!chosen) return false;
  hDC = record.hDC;
  PrintRange = record.Flags & PD_PAGENUMS ? 1 : record.Flags & PD_SELECTION ? 2 : 0;
  FromPage = record.nFromPage;
  ToPage = record.nToPage;
  PrintToFile = record.Flags & PD_PRINTTOFILE;
  devmode_ = record.hDevMode;
  Copies = devmode_field(devmode_, kDmCopies);
  Collate = devmode_field(devmode_, kDmCollate) != 0;
  report_printer(Printer);
  return true;
}

bool cCommonDialog::VBPageSetupDlg(PageMargins& Margin, PageMargins& MinMargin, bool InMillimetres,
                                   bool DisableMargins, bool DisablePrinter, bool DisableOrientation,
                                   bool DisablePaper, std::int16_t& Orientation, std::int16_t& PaperSize,
                                   std::int32_t Owner, PrinterObject* Printer, std::int32_t) {
  begin();
  const double factor = InMillimetres ? 100 : 1000;
  const auto scaled = [factor](const PageMargins& m) {
    const auto v = [factor](double x) { return static_cast<std::int32_t>(std::nearbyint(x * factor)); };
    return RECT{v(m.Left), v(m.Top), v(m.Right), v(m.Bottom)};
  };
  const auto back = [factor](const RECT& r) {
    const auto v = [factor](std::int32_t x) { return std::nearbyint(x / factor); };
    return PageMargins{v(r.left), v(r.top), v(r.right), v(r.bottom)};
  };
  PAGESETUPDLG record;
  record.hwndOwner = owner(Owner);
  record.hDevMode = devmode_;
  if (record.hDevMode.size() == kDevModeSize) {
    for (const auto& [offset, value] : {std::pair{kDmOrientation, Orientation}, {kDmPaperSize, PaperSize}}) {
      record.hDevMode[offset] = static_cast<char>(value & 0xFF);
      record.hDevMode[offset + 1] = static_cast<char>((value >> 8) & 0xFF);
    }
  }
  record.rtMargin = scaled(Margin);
  record.rtMinMargin = scaled(MinMargin);
  record.Flags = PSD_MARGINS | PSD_MINMARGINS |
                 (InMillimetres ? PSD_INHUNDREDTHSOFMILLIMETERS : PSD_INTHOUSANDTHSOFINCHES) |
                 (DisableMargins ? 0x10 : 0) | (DisablePrinter ? 0x20 : 0) |
                 (DisableOrientation ? 0x100 : 0) | (DisablePaper ? 0x200 : 0);
  record.Flags &= ~kPageSetupHooks;
  const bool chosen = finish(PageSetupDlgA(record));
  if (!chosen) return false;
  Margin = back(record.rtMargin);
  MinMargin = back(record.rtMinMargin);
  devmode_ = record.hDevMode;
  Orientation = devmode_field(devmode_, kDmOrientation);
  PaperSize = devmode_field(devmode_, kDmPaperSize);
  report_printer(Printer);
  return true;
}

void cCommonDialog::RaiseError(long number, const std::string& description) {
  if (number < 1001) throw core::VbError(number, core::exe_name() + ".VBError", description);
  throw core::VbError(static_cast<long>(static_cast<std::uint32_t>(number) | 0x80040000u),
                      core::exe_name() + ".CommonDialog", description);
}
