// The open dialog as the user meets it: the filter texts as the page wrote them, the files a
// filter lets through, and the folder it opens in.

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include "wizard/framework/file_dialog.h"
#include "wizard_fixture.h"

namespace {

TEST(CommonDialogTest, ListsTheFilterTextsAndOpensWhereTheLastFileWasChosen) {
  wizard_test::app();
  testsupport::TempDir dir;
  for (const char* name : {"song.mp3", "voice.wav", "notes.txt"})
    testsupport::write_bytes(dir.file(name), "x");
  wizard::CommonDialog dialog;
  dialog.Filter = "mp3(*.mp3)|*.mp3|wav files(*.wav)|*.wav";
  QStringList seen;  // the filters' texts, the files listed, the folder the dialog opened in
  // Once the dialog is open, the user types `choice` in the folder or cancels with "".
  auto user = [&](const std::string& choice) {
    QTimer::singleShot(0, [&, choice] {
      qt_test::wait_until([] { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()); }, 5000);
      auto* open = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      seen = QStringList{open->directory().absolutePath() + "/"};
      auto* combo = open->findChild<QComboBox*>("fileTypeCombo");
      for (int i = 0; i < combo->count(); ++i) seen.append(combo->itemText(i));
      open->setDirectory(QString::fromStdString(dir.file("")));
      qt_test::pump(500);  // the folder is read in the background
      auto* view = open->findChild<QAbstractItemView*>("listView");
      for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
        seen.append(view->model()->index(row, 0, view->rootIndex()).data().toString());
      open->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(choice));
      choice.empty() ? open->reject() : static_cast<QDialog*>(open)->accept();
    });
  };
  user("song.mp3");
  dialog.ShowOpen();
  EXPECT_EQ(seen.mid(1).join("|").toStdString(), "mp3(*.mp3)|wav files(*.wav)|song.mp3");
  EXPECT_EQ(dialog.FileName, dir.file("song.mp3"));
  user("");
  dialog.ShowOpen();
  EXPECT_EQ(seen.value(0).toStdString(), dir.file("")) << "not where song.mp3 was chosen";
  EXPECT_EQ(dialog.FileName, dir.file("song.mp3")) << "a cancelled dialog changes nothing";
}

}  // namespace
