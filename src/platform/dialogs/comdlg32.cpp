#include "platform/dialogs/comdlg32.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPalette>
#include <QPrintDialog>
#include <QPrinter>
#include <cmath>
#include <map>
#include <memory>

namespace comdlg32 {

namespace {

std::uint32_t extended_error = 0;

// What the dialog functions end with: the result and, for a failure, its reason.
std::int32_t done(std::int32_t result, std::uint32_t error = 0) {
  extended_error = error;
  return result;
}

QWidget* owner(HWND window) { return window ? QApplication::activeWindow() : nullptr; }

QColor to_qcolor(COLORREF colour) {
  return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}
COLORREF to_colorref(const QColor& colour) {
  return static_cast<COLORREF>(colour.red() | (colour.green() << 8) | (colour.blue() << 16));
}

std::string cut_at_nul(const std::string& text) { return text.substr(0, text.find('\0')); }

// The filter's pairs as Qt's name filters, "description (patterns)".
QStringList name_filters(const std::string& filter) {
  QStringList parts =
      QString::fromLocal8Bit(filter.data(), static_cast<qsizetype>(filter.size())).split(QChar(0));
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size() && !parts[i].isEmpty(); i += 2) {
    QString patterns = parts[i + 1];
    out.append(parts[i] + " (" + patterns.replace(';', ' ') + ")");
  }
  return out;
}

std::int32_t file_dialog(OPENFILENAME& record, bool save) {
  QFileDialog dialog(owner(record.hwndOwner), QString::fromLocal8Bit(record.lpstrTitle.c_str()),
                     QString::fromLocal8Bit(record.lpstrInitialDir.c_str()));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  if (save) {
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!(record.Flags & OFN_OVERWRITEPROMPT)) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  } else {
    dialog.setFileMode(record.Flags & OFN_ALLOWMULTISELECT ? QFileDialog::ExistingFiles
                       : record.Flags & OFN_FILEMUSTEXIST  ? QFileDialog::ExistingFile
                                                           : QFileDialog::AnyFile);
  }
  const QStringList filters = name_filters(record.lpstrFilter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    const auto index = std::clamp<qsizetype>(record.nFilterIndex - 1, 0, filters.size() - 1);
    dialog.selectNameFilter(filters[index]);
  }
  if (const std::string name = cut_at_nul(record.lpstrFile); !name.empty())
    dialog.selectFile(QString::fromLocal8Bit(name.c_str()));
  if (!record.lpstrDefExt.empty())
    dialog.setDefaultSuffix(QString::fromLocal8Bit(record.lpstrDefExt.c_str()));
  if (dialog.exec() != QDialog::Accepted) return done(0);

  // One file as its path; several as the folder, then each name, each ended by a NUL.
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) return done(-1, FNERR_INVALIDFILENAME);
  std::string chosen = files[0].toLocal8Bit().toStdString();
  if (files.size() > 1) {
    chosen = QFileInfo(files[0]).absolutePath().toLocal8Bit().toStdString();
    for (const QString& file : files) chosen += '\0' + QFileInfo(file).fileName().toLocal8Bit().toStdString();
    chosen += '\0';
  }
  if (chosen.size() + 1 > static_cast<std::size_t>(std::max(record.nMaxFile, 0)))
    return done(-1, FNERR_BUFFERTOOSMALL);
  record.lpstrFile = chosen + std::string(static_cast<std::size_t>(record.nMaxFile) - chosen.size(), '\0');
  const std::string title = QFileInfo(files[0]).fileName().toLocal8Bit().toStdString();
  if (record.nMaxFileTitle > 0) {
    record.lpstrFileTitle = title.substr(0, static_cast<std::size_t>(record.nMaxFileTitle) - 1);
    record.lpstrFileTitle.resize(static_cast<std::size_t>(record.nMaxFileTitle), '\0');
  }
  record.nFilterIndex = static_cast<std::int32_t>(filters.indexOf(dialog.selectedNameFilter()) + 1);
  return done(1);
}

void put_u16(std::string& bytes, std::size_t offset, int value) {
  bytes[offset] = static_cast<char>(value & 0xFF);
  bytes[offset + 1] = static_cast<char>((value >> 8) & 0xFF);
}

// Paper sizes of the device mode that Qt knows by name.
constexpr std::pair<int, QPageSize::PageSizeId> kPapers[] = {{1, QPageSize::Letter},
                                                             {5, QPageSize::Legal},
                                                             {8, QPageSize::A3},
                                                             {9, QPageSize::A4},
                                                             {11, QPageSize::A5}};

void apply_devmode(QPrinter& printer, const std::string& devmode) {
  if (devmode.size() != kDevModeSize) return;
  printer.setPageOrientation(devmode_field(devmode, kDmOrientation) == 2 ? QPageLayout::Landscape
                                                                         : QPageLayout::Portrait);
  for (const auto& [code, id] : kPapers)
    if (devmode_field(devmode, kDmPaperSize) == code) printer.setPageSize(QPageSize(id));
  if (const int copies = devmode_field(devmode, kDmCopies); copies > 0) printer.setCopyCount(copies);
  printer.setCollateCopies(devmode_field(devmode, kDmCollate) != 0);
}

std::string devmode_of(const QPrinter& printer) {
  std::string devmode(kDevModeSize, '\0');
  const std::string name = printer.printerName().toLocal8Bit().left(31).toStdString();
  devmode.replace(0, name.size(), name);
  put_u16(devmode, 36, static_cast<int>(kDevModeSize));  // dmSize
  put_u16(devmode, kDmOrientation, printer.pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1);
  int paper = 0;
  for (const auto& [code, id] : kPapers)
    if (printer.pageLayout().pageSize().id() == id) paper = code;
  put_u16(devmode, kDmPaperSize, paper);
  put_u16(devmode, kDmCopies, printer.copyCount());
  put_u16(devmode, kDmPrintQuality, printer.resolution());
  put_u16(devmode, kDmCollate, printer.collateCopies() ? 1 : 0);
  return devmode;
}

// Device contexts handed out by the print dialog: the printer as the user set it up.
std::map<std::intptr_t, std::unique_ptr<QPrinter>>& contexts() {
  static std::map<std::intptr_t, std::unique_ptr<QPrinter>> table;
  return table;
}

std::intptr_t new_context(const QPrinter& from) {
  static std::intptr_t next = 0x1000;
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  printer->setPrinterName(from.printerName());
  printer->setOutputFileName(from.outputFileName());
  printer->setPageLayout(from.pageLayout());
  printer->setCopyCount(from.copyCount());
  contexts()[next] = std::move(printer);
  return next++;
}

}  // namespace

std::int32_t GetOpenFileNameA(OPENFILENAME& record) { return file_dialog(record, false); }
std::int32_t GetSaveFileNameA(OPENFILENAME& record) { return file_dialog(record, true); }

std::int16_t GetFileTitleA(const std::string& file, std::string& buffer, std::uint16_t size) {
  const std::string path = cut_at_nul(file);
  const std::size_t slash = path.find_last_of("/\\");
  const std::string title = slash == std::string::npos ? path : path.substr(slash + 1);
  if (title.empty()) return static_cast<std::int16_t>(done(-1, FNERR_INVALIDFILENAME));
  if (title.size() + 1 > size)
    return static_cast<std::int16_t>(done(static_cast<std::int32_t>(title.size() + 1)));
  buffer = title + std::string(size - title.size(), '\0');
  return static_cast<std::int16_t>(done(0));
}

std::int32_t ChooseColorA(CHOOSECOLOR& record) {
  if (record.lpCustColors) {
    for (int i = 0; i < 16; ++i) QColorDialog::setCustomColor(i, to_qcolor((*record.lpCustColors)[i]));
  }
  QColorDialog dialog(owner(record.hwndOwner));
  dialog.setOption(QColorDialog::DontUseNativeDialog);
  if (record.Flags & 0x1) dialog.setCurrentColor(to_qcolor(record.rgbResult));  // CC_RGBINIT
  const bool chosen = dialog.exec() == QDialog::Accepted;
  if (record.lpCustColors) {
    for (int i = 0; i < 16; ++i) (*record.lpCustColors)[i] = to_colorref(QColorDialog::customColor(i));
  }
  if (!chosen) return done(0);
  record.rgbResult = to_colorref(dialog.selectedColor());
  return done(1);
}

std::int32_t ChooseFontA(CHOOSEFONT& record) {
  if (!record.lpLogFont) return done(-1, CDERR_INITIALIZATION);
  if ((record.Flags & CF_LIMITSIZE) && record.nSizeMin > record.nSizeMax)
    return done(-1, CFERR_MAXLESSTHANMIN);
  LOGFONT& font = *record.lpLogFont;
  QFont initial(QString::fromLocal8Bit(font.lfFaceName.c_str()));
  if (font.lfHeight != 0) initial.setPixelSize(std::abs(font.lfHeight));
  initial.setWeight(static_cast<QFont::Weight>(std::clamp(font.lfWeight ? font.lfWeight : 400, 100, 900)));
  initial.setItalic(font.lfItalic);
  initial.setUnderline(font.lfUnderline);
  initial.setStrikeOut(font.lfStrikeOut);
  QFontDialog dialog(initial, owner(record.hwndOwner));
  dialog.setOption(QFontDialog::DontUseNativeDialog);
  if (dialog.exec() != QDialog::Accepted) return done(0);

  const QFont chosen = dialog.selectedFont();
  double points = chosen.pointSizeF() > 0 ? chosen.pointSizeF() : chosen.pixelSize() * 0.75;
  if (record.Flags & CF_LIMITSIZE) points = std::clamp<double>(points, record.nSizeMin, record.nSizeMax);
  font.lfHeight = -static_cast<std::int32_t>(std::nearbyint(points * 20 / 15));  // 15 twips a pixel
  font.lfWeight = chosen.weight();
  font.lfItalic = chosen.italic();
  font.lfUnderline = chosen.underline();
  font.lfStrikeOut = chosen.strikeOut();
  font.lfFaceName = chosen.family().toLocal8Bit().left(31).toStdString();
  record.iPointSize = static_cast<std::int32_t>(std::nearbyint(points * 10));
  record.nFontType =
      static_cast<std::uint16_t>((chosen.weight() >= QFont::DemiBold ? BOLD_FONTTYPE : REGULAR_FONTTYPE) |
                                 (chosen.italic() ? ITALIC_FONTTYPE : 0));
  return done(1);
}

std::int32_t PrintDlgA(PRINTDLG& record) {
  QPrinter printer(QPrinter::HighResolution);
  apply_devmode(printer, record.hDevMode);
  if (record.nCopies > 0) printer.setCopyCount(record.nCopies);
  if (record.Flags & PD_COLLATE) printer.setCollateCopies(true);
  if (record.Flags & PD_PRINTTOFILE) printer.setOutputFileName(QStringLiteral("output.pdf"));
  QPrintDialog dialog(&printer, owner(record.hwndOwner));
  QAbstractPrintDialog::PrintDialogOptions options = QAbstractPrintDialog::PrintCollateCopies;
  if (!(record.Flags & PD_NOPAGENUMS)) options |= QAbstractPrintDialog::PrintPageRange;
  if (!(record.Flags & PD_NOSELECTION)) options |= QAbstractPrintDialog::PrintSelection;
  if (!(record.Flags & (PD_DISABLEPRINTTOFILE | PD_HIDEPRINTTOFILE)))
    options |= QAbstractPrintDialog::PrintToFile;
  dialog.setOptions(options);
  dialog.setMinMax(record.nMinPage, record.nMaxPage);
  if (record.Flags & PD_PAGENUMS) {
    dialog.setFromTo(record.nFromPage, record.nToPage);
    dialog.setPrintRange(QAbstractPrintDialog::PageRange);
  } else if (record.Flags & PD_SELECTION) {
    dialog.setPrintRange(QAbstractPrintDialog::Selection);
  }
  if (dialog.exec() != QDialog::Accepted) return done(0);

  record.Flags &= ~(PD_SELECTION | PD_PAGENUMS | PD_COLLATE | PD_PRINTTOFILE);
  if (dialog.printRange() == QAbstractPrintDialog::PageRange) record.Flags |= PD_PAGENUMS;
  if (dialog.printRange() == QAbstractPrintDialog::Selection) record.Flags |= PD_SELECTION;
  if (printer.collateCopies()) record.Flags |= PD_COLLATE;
  if (!printer.outputFileName().isEmpty()) record.Flags |= PD_PRINTTOFILE;
  record.nFromPage = static_cast<std::uint16_t>(printer.fromPage());
  record.nToPage = static_cast<std::uint16_t>(printer.toPage());
  record.nCopies = static_cast<std::uint16_t>(printer.copyCount());
  record.hDevMode = devmode_of(printer);
  record.hDC = new_context(printer);
  return done(1);
}

std::int32_t PageSetupDlgA(PAGESETUPDLG& record) {
  QPrinter printer(QPrinter::HighResolution);
  apply_devmode(printer, record.hDevMode);
  // Margins in thousandths of an inch, or hundredths of a millimetre.
  const bool millimetres = record.Flags & PSD_INHUNDREDTHSOFMILLIMETERS;
  const double factor = millimetres ? 100.0 : 1000.0;
  const QPageLayout::Unit unit = millimetres ? QPageLayout::Millimeter : QPageLayout::Inch;
  if (record.Flags & PSD_MARGINS) {
    const QMarginsF margins(record.rtMargin.left / factor, record.rtMargin.top / factor,
                            record.rtMargin.right / factor, record.rtMargin.bottom / factor);
    printer.setPageMargins(margins, unit);
  }
  QPageSetupDialog dialog(&printer, owner(record.hwndOwner));
  if (dialog.exec() != QDialog::Accepted) return done(0);

  const QMarginsF margins = printer.pageLayout().margins(unit);
  const auto in_units = [factor](double value) {
    return static_cast<std::int32_t>(std::nearbyint(value * factor));
  };
  record.rtMargin = {in_units(margins.left()), in_units(margins.top()), in_units(margins.right()),
                     in_units(margins.bottom())};
  const QSizeF paper = printer.pageLayout().fullRect(unit).size();
  record.ptPaperSize_x = in_units(paper.width());
  record.ptPaperSize_y = in_units(paper.height());
  record.hDevMode = devmode_of(printer);
  return done(1);
}

std::intptr_t default_printer_dc() { return new_context(QPrinter(QPrinter::HighResolution)); }

std::uint32_t CommDlgExtendedError() { return extended_error; }

COLORREF GetSysColor(int index) {
  // Scroll bar, desktop, active and inactive caption, menu, window, window frame, menu text,
  // window text, caption text, active and inactive border, workspace, highlight and its
  // text, button face.
  static constexpr std::array<QPalette::ColorRole, 16> kRoles = {QPalette::Button,
                                                                 QPalette::Dark,
                                                                 QPalette::Highlight,
                                                                 QPalette::Mid,
                                                                 QPalette::Window,
                                                                 QPalette::Base,
                                                                 QPalette::Shadow,
                                                                 QPalette::WindowText,
                                                                 QPalette::Text,
                                                                 QPalette::HighlightedText,
                                                                 QPalette::Light,
                                                                 QPalette::Midlight,
                                                                 QPalette::Dark,
                                                                 QPalette::Highlight,
                                                                 QPalette::HighlightedText,
                                                                 QPalette::Button};
  if (index < 0 || index >= 16) return 0;
  return to_colorref(QApplication::palette().color(kRoles[static_cast<std::size_t>(index)]));
}

std::int16_t devmode_field(const std::string& devmode, std::size_t offset) {
  if (offset + 2 > devmode.size()) return 0;
  return static_cast<std::int16_t>(static_cast<unsigned char>(devmode[offset]) |
                                   (static_cast<unsigned char>(devmode[offset + 1]) << 8));
}

}  // namespace comdlg32
