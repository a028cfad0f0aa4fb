#pragma once

// The common dialogs (open file, save file, file title, colour, font, print, page set-up) as
// the platform's dialog functions offer them: a record in, the dialog shown over Qt's own
// dialogs, the record filled with the user's choice. Each function returns 1 when the user
// chose, 0 when the dialog was cancelled and -1 when it failed; CommDlgExtendedError then
// tells why.

#include <array>
#include <cstdint>
#include <string>

namespace comdlg32 {

/// A window handle as the callers pass it; 0 is none.
using HWND = std::intptr_t;
/// A colour as 0x00BBGGRR.
using COLORREF = std::uint32_t;

// Extended error codes.
inline constexpr std::uint32_t CDERR_GENERALCODES = 0x0000;
inline constexpr std::uint32_t CDERR_INITIALIZATION = 0x0002;
inline constexpr std::uint32_t PDERR_PRINTERNOTFOUND = 0x100B;
inline constexpr std::uint32_t CFERR_MAXLESSTHANMIN = 0x2002;
inline constexpr std::uint32_t FNERR_BUFFERTOOSMALL = 0x3003;
inline constexpr std::uint32_t FNERR_INVALIDFILENAME = 0x3002;

/// Open and save file. Texts are 8-bit; the filter holds description and pattern pairs,
/// each ended by a NUL, with a second NUL after the last; the file name and title are
/// buffers of nMaxFile and nMaxFileTitle characters.
struct OPENFILENAME {
  HWND hwndOwner = 0;
  std::string lpstrFilter;
  std::int32_t nFilterIndex = 0;  // from 1
  std::string lpstrFile;
  std::int32_t nMaxFile = 0;
  std::string lpstrFileTitle;
  std::int32_t nMaxFileTitle = 0;
  std::string lpstrInitialDir;
  std::string lpstrTitle;
  std::uint32_t Flags = 0;
  std::string lpstrDefExt;
};

inline constexpr std::uint32_t OFN_READONLY = 0x1;
inline constexpr std::uint32_t OFN_OVERWRITEPROMPT = 0x2;
inline constexpr std::uint32_t OFN_HIDEREADONLY = 0x4;
inline constexpr std::uint32_t OFN_ALLOWMULTISELECT = 0x200;
inline constexpr std::uint32_t OFN_FILEMUSTEXIST = 0x1000;

std::int32_t GetOpenFileNameA(OPENFILENAME& record);
std::int32_t GetSaveFileNameA(OPENFILENAME& record);

/// The file's name without its folders into `buffer`, cut to `size` characters with a NUL.
/// Returns 0, the size needed when the buffer is too small, or -1 for a path without a name.
std::int16_t GetFileTitleA(const std::string& file, std::string& buffer, std::uint16_t size);

struct CHOOSECOLOR {
  HWND hwndOwner = 0;
  COLORREF rgbResult = 0;
  std::array<COLORREF, 16>* lpCustColors = nullptr;
  std::uint32_t Flags = 0;
};
std::int32_t ChooseColorA(CHOOSECOLOR& record);

struct LOGFONT {
  std::int32_t lfHeight = 0;  // negative: character height in pixels
  std::int32_t lfWeight = 400;
  std::uint8_t lfItalic = 0;
  std::uint8_t lfUnderline = 0;
  std::uint8_t lfStrikeOut = 0;
  std::string lfFaceName;  // at most 31 characters
};

struct CHOOSEFONT {
  HWND hwndOwner = 0;
  std::intptr_t hDC = 0;
  LOGFONT* lpLogFont = nullptr;
  std::int32_t iPointSize = 0;  // tenths of a point
  std::uint32_t Flags = 0;
  COLORREF rgbColors = 0;
  std::uint16_t nFontType = 0;
  std::int32_t nSizeMin = 0;
  std::int32_t nSizeMax = 0;
};

inline constexpr std::uint32_t CF_SCREENFONTS = 0x1;
inline constexpr std::uint32_t CF_PRINTERFONTS = 0x2;
inline constexpr std::uint32_t CF_INITTOLOGFONTSTRUCT = 0x40;
inline constexpr std::uint32_t CF_EFFECTS = 0x100;
inline constexpr std::uint32_t CF_LIMITSIZE = 0x2000;
inline constexpr std::uint16_t BOLD_FONTTYPE = 0x100;
inline constexpr std::uint16_t ITALIC_FONTTYPE = 0x200;
inline constexpr std::uint16_t REGULAR_FONTTYPE = 0x400;

std::int32_t ChooseFontA(CHOOSEFONT& record);

/// The device mode of a printer: a record of kDevModeSize bytes (see devmode_* below).
inline constexpr std::size_t kDevModeSize = 122;

struct PRINTDLG {
  HWND hwndOwner = 0;
  std::string hDevMode;  // kDevModeSize bytes, or empty for the default printer's
  std::intptr_t hDC = 0;
  std::uint32_t Flags = 0;
  std::uint16_t nFromPage = 0, nToPage = 0, nMinPage = 0, nMaxPage = 0, nCopies = 1;
};

inline constexpr std::uint32_t PD_SELECTION = 0x1;
inline constexpr std::uint32_t PD_PAGENUMS = 0x2;
inline constexpr std::uint32_t PD_NOSELECTION = 0x4;
inline constexpr std::uint32_t PD_NOPAGENUMS = 0x8;
inline constexpr std::uint32_t PD_COLLATE = 0x10;
inline constexpr std::uint32_t PD_PRINTTOFILE = 0x20;
inline constexpr std::uint32_t PD_DISABLEPRINTTOFILE = 0x80000;
inline constexpr std::uint32_t PD_HIDEPRINTTOFILE = 0x100000;

std::int32_t PrintDlgA(PRINTDLG& record);

struct RECT {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct PAGESETUPDLG {
  HWND hwndOwner = 0;
  std::string hDevMode;
  std::uint32_t Flags = 0;
  std::int32_t ptPaperSize_x = 0, ptPaperSize_y = 0;
  RECT rtMinMargin;
  RECT rtMargin;
};

inline constexpr std::uint32_t PSD_MINMARGINS = 0x1;
inline constexpr std::uint32_t PSD_MARGINS = 0x2;
inline constexpr std::uint32_t PSD_INTHOUSANDTHSOFINCHES = 0x4;
inline constexpr std::uint32_t PSD_INHUNDREDTHSOFMILLIMETERS = 0x8;

std::int32_t PageSetupDlgA(PAGESETUPDLG& record);

/// A device context of the default printer (or, without one, of printing to a file).
std::intptr_t default_printer_dc();

/// Why the last dialog function failed; 0 after a success or a cancel.
std::uint32_t CommDlgExtendedError();

/// The desktop's colour number `index` (0 scroll bar ... 15 button face), from the
/// application's palette.
COLORREF GetSysColor(int index);

// Fields of a device mode record (little-endian, at their byte offsets).
inline constexpr std::size_t kDmOrientation = 44;  // 1 portrait, 2 landscape
inline constexpr std::size_t kDmPaperSize = 46;    // 1 letter, 5 legal, 8 A3, 9 A4, 11 A5
inline constexpr std::size_t kDmCopies = 54;
inline constexpr std::size_t kDmPrintQuality = 58;  // dots per inch
inline constexpr std::size_t kDmCollate = 68;
std::int16_t devmode_field(const std::string& devmode, std::size_t offset);

}  // namespace comdlg32
