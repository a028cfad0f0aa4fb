// A small text editor window for the selected-text grab tests: its text is selected and
// Ctrl+C copies it, as in any editor.
//   grab_target [--title T] [--nothing-selected] [--select-after-first-copy]
// --nothing-selected: the cursor sits at the end, so Ctrl+C copies nothing.
// --select-after-first-copy: like --nothing-selected until the first Ctrl+C has been handled,
//   then the whole text is selected.

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTimer>
#include <cstring>

namespace {

class Editor : public QPlainTextEdit {
 public:
  bool select_after_copy = false;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    QPlainTextEdit::keyPressEvent(event);
    if (select_after_copy && event->matches(QKeySequence::Copy)) {
      select_after_copy = false;
      QTimer::singleShot(0, this, [this] { selectAll(); });
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QString title = "notes.txt - Text Editor";
  bool nothing_selected = false;
  bool select_after_copy = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--title") == 0 && i + 1 < argc) title = QString::fromUtf8(argv[++i]);
    if (std::strcmp(argv[i], "--nothing-selected") == 0) nothing_selected = true;
    if (std::strcmp(argv[i], "--select-after-first-copy") == 0) select_after_copy = nothing_selected = true;
  }

  Editor editor;
  editor.setWindowTitle(title);
  editor.setPlainText(QString::fromUtf8(
      "Gr\u00fc\u00dfe aus K\u00f6ln \u2014 na\u00efve caf\u00e9, \u6771\u4eac.\nSecond line"));
  if (nothing_selected) {
    editor.moveCursor(QTextCursor::End);
  } else {
    editor.selectAll();
  }
  editor.select_after_copy = select_after_copy;
  editor.resize(500, 300);
  editor.show();
  return app.exec();
}
