#include "wizard/shell/c_common_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QTimer>
#include <functional>
#include <map>

#include "core/errors.h"
#include "wizard_fixture.h"

namespace {

using Answer = std::function<void(QDialog&)>;

class CommonDialogClass : public wizard_test::PageTest {
 protected:
  // Answers the next dialog as a user: `answer` sets it up, then it is accepted or cancelled
  // (again at every tick until it closes: a file dialog may still be reading its folder).
  void next_dialog(bool accept, Answer answer = {}) {
    timer = std::make_unique<QTimer>();
    QObject::connect(timer.get(), &QTimer::timeout, [=] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!dialog || !dialog->isVisible()) return;
      if (answer) answer(*dialog);
      accept ? dialog->accept() : dialog->reject();
    });
    timer->start(20);
  }

  // Types the path into a file dialog's name box, as a user does.
  static void choose_file(QDialog& d, const std::string& path) {
    d.findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(path));
  }

  std::unique_ptr<QTimer> timer;
  cCommonDialog dialog;
};

TEST_F(CommonDialogClass, FileDialogsGiveTheChoiceOrTheFailureOutputs) {
  testsupport::write_bytes(appdir.spd("song.mp3"), "ID3");
  struct Case {
    bool accept;
    std::int32_t flags_in;
    std::string expected_filter;
    std::int32_t expected_index;
  };
  for (const Case& c :
       {Case{true, 0x61, std::string("mp3 files\0*.mp3", 15), 1}, Case{false, 0x61, "", -1}}) {
    QStringList offered;
    next_dialog(c.accept, [&](QDialog& d) {
      offered = dynamic_cast<QFileDialog&>(d).nameFilters();
      choose_file(d, appdir.spd("song.mp3"));
    });
    std::string name, title, filter = "mp3 files|*.mp3|all:*.*";
    std::int32_t index = 1, flags = c.flags_in;
    bool read_only = false;
    const bool chosen = dialog.VBGetOpenFileName(name, title, true, false, read_only, true, filter, index,
                                                 appdir.spd(), "Open", "mp3", -1, flags);
    EXPECT_EQ(chosen, c.accept);
    EXPECT_EQ(offered, QStringList({"mp3 files (*.mp3)", "all (*.*)"}));
    EXPECT_EQ(comdlg32::last_flags(), 0x1000u | 0x4u | 0x1u)
        << "the caller's hook and template bits are cleared";
    EXPECT_EQ(name, c.accept ? appdir.spd("song.mp3") : "");
    EXPECT_EQ(title, c.accept ? "song.mp3" : "");
    EXPECT_EQ(filter, c.expected_filter);
    EXPECT_EQ(index, c.expected_index);
    EXPECT_EQ(read_only, c.accept);
    EXPECT_EQ(dialog.APIReturn(), c.accept ? 1 : 0);
  }

  // A name longer than the 260-character buffer fails with the dialog's reason.
  const std::string long_name = appdir.spd(std::string(250, 'x') + ".mp3");
  testsupport::write_bytes(long_name, "ID3");
  next_dialog(true, [&](QDialog& d) { choose_file(d, long_name); });
  std::string name, title, filter = "all|*.*";
  std::int32_t index = 1, flags = 0;
  bool read_only = false;
  EXPECT_FALSE(dialog.VBGetOpenFileName(name, title, true, false, read_only, false, filter, index,
                                        appdir.spd(), "", "", -1, flags));
  EXPECT_EQ(dialog.APIReturn(), -1);
  EXPECT_EQ(dialog.ExtendedError(), 0x3003);
  EXPECT_EQ(index, -1);
  next_dialog(false);
  EXPECT_FALSE(
      dialog.VBGetSaveFileName(name, title, true, filter, index, appdir.spd(), "Save", "", -1, flags));
  EXPECT_EQ(comdlg32::last_flags(), 0x2u | 0x4u);
  EXPECT_EQ(dialog.ExtendedError(), 0);

  EXPECT_EQ(dialog.VBGetFileTitle("/music/song.mp3"), "song.mp3");
  EXPECT_EQ(dialog.VBGetFileTitle("/music/"), "");
}

TEST_F(CommonDialogClass, ColourDialogAndItsCustomColours) {
  EXPECT_EQ(dialog.CustomColor(0), static_cast<std::int32_t>(comdlg32::GetSysColor(0)));
  EXPECT_EQ(dialog.CustomColor(16), -1);
  dialog.CustomColor(3, 0x0000FF);
  dialog.CustomColor(-1, 0x00FF00);
  QColor offered_custom;
  next_dialog(true, [&](QDialog& d) {
    offered_custom = QColorDialog::customColor(3);
    dynamic_cast<QColorDialog&>(d).setCurrentColor(QColor(0x12, 0x34, 0x56));
  });
  std::int32_t colour = 0xFFFFFF;
  EXPECT_TRUE(dialog.VBChooseColor(colour, true, true, false, -1));
  EXPECT_EQ(offered_custom, QColor(255, 0, 0));
  EXPECT_EQ(colour, 0x563412);
  EXPECT_EQ(comdlg32::last_flags(), 0x100u | 0x1u | 0x2u);
  next_dialog(false);
  EXPECT_FALSE(dialog.VBChooseColor(colour, false, false, true, -1));
  EXPECT_EQ(colour, -1);
  EXPECT_EQ(comdlg32::last_flags(), 0x80u | 0x1u | 0x4u);
}

TEST_F(CommonDialogClass, FontDialogFillsTheFontObject) {
  next_dialog(true, [](QDialog& d) {
    QFont font("Liberation Serif");
    font.setPointSize(14);
    font.setBold(true);
    dynamic_cast<QFontDialog&>(d).setCurrentFont(font);
  });
  StdFont font;
  std::int32_t colour = 0xFF, flags = 0x218 | 0x2;
  EXPECT_TRUE(dialog.VBChooseFont(font, -1, -1, colour, 8, 72, flags));
  EXPECT_EQ(font.Name, "Liberation Serif");
  EXPECT_EQ(font.Size, 14);
  EXPECT_TRUE(font.Bold);
  EXPECT_EQ(font.Weight, 700);
  EXPECT_EQ(static_cast<std::uint32_t>(flags), 0x2u | 0x40u | 0x100u | 0x2000u);
  next_dialog(false);
  flags = 0;
  colour = 0;
  EXPECT_FALSE(dialog.VBChooseFont(font, -1, -1, colour, 0, 0, flags));
  EXPECT_EQ(comdlg32::last_flags(), 0x1u | 0x40u);
  EXPECT_EQ(font.Size, 14) << "a cancelled dialog leaves the font";
}

struct RecordedPrinter : PrinterObject {
  void set_property(const std::string& name, long value) override {
    if (name == "PrintQuality") throw core::VbError(438, "Printer", "no such property");
    properties[name] = value;
  }
  std::map<std::string, long> properties;
};

TEST_F(CommonDialogClass, PrintAndPageSetUpReportTheirChoices) {
  next_dialog(true);
  std::intptr_t dc = 0;
  std::int16_t range = 1;
  std::int32_t from = 2, to = 5, copies = 3;
  bool to_file = false, collate = true;
  RecordedPrinter printer;
  EXPECT_TRUE(dialog.VBPrintDlg(dc, range, false, from, to, true, copies, true, false, to_file, collate,
                                false, -1, &printer));
  EXPECT_EQ(comdlg32::last_flags(), 0x4u | 0x10u | 0x100u | 0x40000u | 0x2u);
  EXPECT_NE(dc, 0);
  EXPECT_EQ(range, 1);
  EXPECT_EQ(from, 2);
  EXPECT_EQ(to, 5);
  EXPECT_EQ(copies, 3);
  EXPECT_TRUE(collate);
  EXPECT_EQ(printer.properties["Copies"], 3);
  EXPECT_EQ(printer.properties.count("Orientation"), 1u) << "a property that fails is skipped";

  next_dialog(true);
  PageMargins margins{1, 1, 2, 1}, minimum{};
  std::int16_t orientation = 2, paper = 9;
  EXPECT_TRUE(dialog.VBPageSetupDlg(margins, minimum, false, false, false, false, false, orientation, paper,
                                    -1, nullptr));
  EXPECT_EQ(margins.Left, 1);
  EXPECT_EQ(margins.Right, 2);
  EXPECT_EQ(orientation, 2);
  EXPECT_EQ(paper, 9);
  next_dialog(false);
  EXPECT_FALSE(dialog.VBPrintDlg(dc, range, false, from, to, true, copies, true, false, to_file, collate,
                                 false, -1, nullptr));
  EXPECT_EQ(dialog.APIReturn(), 0);
}

TEST_F(CommonDialogClass, ErrorsAboveThousandCarryTheFacility) {
  const struct {
    long in, number;
    const char* source;
  } rows[] = {
      {5, 5, "mellix.VBError"}, {1000, 1000, "mellix.VBError"}, {0x3003, 0x80043003L, "mellix.CommonDialog"}};
  for (const auto& row : rows) {
    try {
      cCommonDialog::RaiseError(row.in, "failed");
      ADD_FAILURE() << "no error raised";
    } catch (const core::VbError& error) {
      EXPECT_EQ(error.number(), row.number);
      EXPECT_EQ(error.source(), row.source);
    }
  }
}

}  // namespace
