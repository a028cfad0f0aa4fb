#include "platform/dialogs/c_common_dialog.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QTimer>
#include <functional>
#include <map>
#include <tuple>

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
  void next_file(bool accept, const std::string& path, QStringList* offered = nullptr) {
    next_dialog(accept, [=](QDialog& d) {
      if (offered) *offered = dynamic_cast<QFileDialog&>(d).nameFilters();
      d.findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(path));
    });
  }

  std::unique_ptr<QTimer> timer;
  cCommonDialog dialog;
};

TEST_F(CommonDialogClass, FileDialogsGiveTheChoiceOrTheFailureOutputs) {
  testsupport::write_bytes(appdir.spd("song.mp3"), "ID3");
  for (const bool accept : {true, false}) {
    QStringList offered;
    next_file(accept, appdir.spd("song.mp3"), &offered);
    std::string name, title, filter = "mp3 files|*.mp3|all:*.*";
    std::int32_t index = 1, flags = 0x1;  // the caller asks for the read-only box ticked
    bool read_only = false;
    EXPECT_EQ(dialog.VBGetOpenFileName(name, title, true, false, read_only, true, filter, index, appdir.spd(),
                                       "Open", "mp3", -1, flags),
              accept);
    EXPECT_EQ(offered, QStringList({"mp3 files (*.mp3)", "all (*.*)"}));
    EXPECT_EQ(name + "|" + title, accept ? appdir.spd("song.mp3") + "|song.mp3" : "|");
    EXPECT_EQ(filter, accept ? std::string("mp3 files\0*.mp3", 15) : "");
    EXPECT_EQ(index, accept ? 1 : -1);
    EXPECT_EQ(read_only, accept);
    EXPECT_EQ(dialog.APIReturn(), accept ? 1 : 0);
  }

  // A name longer than the 260-character buffer fails with the dialog's reason.
  const std::string long_name = appdir.spd(std::string(250, 'x') + ".mp3");
  testsupport::write_bytes(long_name, "ID3");
  next_file(true, long_name);
  std::string name, title, filter = "all|*.*";
  std::int32_t index = 1, flags = 0;
  bool read_only = false;
  EXPECT_FALSE(dialog.VBGetOpenFileName(name, title, true, false, read_only, false, filter, index,
                                        appdir.spd(), "", "", -1, flags));
  EXPECT_EQ(dialog.APIReturn(), -1);
  EXPECT_EQ(dialog.ExtendedError(), 0x3003);
  EXPECT_EQ(index, -1);
  next_file(true, appdir.spd("saved.mp3"));
  EXPECT_TRUE(
      dialog.VBGetSaveFileName(name, title, true, filter, index, appdir.spd(), "Save", "", -1, flags));
  EXPECT_EQ(name, appdir.spd("saved.mp3"));
  EXPECT_EQ(dialog.ExtendedError(), 0) << "a new dialog forgets the last failure";

  EXPECT_EQ(dialog.VBGetFileTitle("/music/song.mp3"), "song.mp3");
  EXPECT_EQ(dialog.VBGetFileTitle("/music/"), "");
}

// Colours are 0xBBGGRR on both sides of the dialog.
TEST_F(CommonDialogClass, ColourDialogAndItsCustomColours) {
  EXPECT_EQ(dialog.CustomColor(16), -1);
  dialog.CustomColor(3, 0x0000FF);
  QColor offered_custom;
  next_dialog(true, [&](QDialog& d) {
    offered_custom = QColorDialog::customColor(3);
    dynamic_cast<QColorDialog&>(d).setCurrentColor(QColor(0x12, 0x34, 0x56));
  });
  std::int32_t colour = 0xFFFFFF;
  EXPECT_TRUE(dialog.VBChooseColor(colour, true, true, false, -1));
  EXPECT_EQ(offered_custom, QColor(255, 0, 0));
  EXPECT_EQ(colour, 0x563412);
  next_dialog(false);
  EXPECT_FALSE(dialog.VBChooseColor(colour, false, false, true, -1));
  EXPECT_EQ(colour, -1);
}

TEST_F(CommonDialogClass, FontDialogFillsTheFontObject) {
  next_dialog(true, [](QDialog& d) {
    QFont font("Liberation Serif");
    font.setPointSize(14);
    font.setBold(true);
    dynamic_cast<QFontDialog&>(d).setCurrentFont(font);
  });
  StdFont font;
  std::int32_t colour = 0xFF, flags = 0;
  EXPECT_TRUE(dialog.VBChooseFont(font, -1, -1, colour, 8, 72, flags));
  EXPECT_EQ(font.Name, "Liberation Serif");
  EXPECT_EQ(font.Size, 14);
  EXPECT_TRUE(font.Bold);
  EXPECT_EQ(font.Weight, 700);
  next_dialog(false);
  EXPECT_FALSE(dialog.VBChooseFont(font, -1, -1, colour, 0, 0, flags));
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
  EXPECT_NE(dc, 0);
  EXPECT_EQ(std::tuple(range, from, to, copies, collate), std::tuple(1, 2, 5, 3, true));
  EXPECT_EQ(printer.properties["Copies"], 3);
  EXPECT_EQ(printer.properties.count("Orientation"), 1u) << "a property that fails is skipped";

  next_dialog(true);
  PageMargins margins{1, 1, 2, 1}, minimum{};
  std::int16_t orientation = 2, paper = 9;
  EXPECT_TRUE(dialog.VBPageSetupDlg(margins, minimum, false, false, false, false, false, orientation, paper,
                                    -1, nullptr));
  EXPECT_EQ(std::tuple(margins.Left, margins.Right, orientation, paper), std::tuple(1, 2, 2, 9));
  next_dialog(false);
  EXPECT_FALSE(dialog.VBPrintDlg(dc, range, false, from, to, true, copies, true, false, to_file, collate,
                                 false, -1, nullptr));
  EXPECT_EQ(dialog.APIReturn(), 0);
}

}  // namespace
