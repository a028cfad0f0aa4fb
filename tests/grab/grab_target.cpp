// A small text editor window for the selected-text grab tests. Nothing is selected at first,
// so the first Ctrl+C copies nothing; once that has been handled the whole text is selected
// and every later Ctrl+C copies it, as in any editor.

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTimer>

namespace {

class Editor : public QPlainTextEdit {
 protected:
  void keyPressEvent(QKeyEvent* event) override {
    QPlainTextEdit::keyPressEvent(event);
    if (!selected_ && event->matches(QKeySequence::Copy)) {
      selected_ = true;
      QTimer::singleShot(0, this, [this] { selectAll(); });
    }
  }

 private:
  bool selected_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Editor editor;
  editor.setWindowTitle("notes.txt - Text Editor");
  editor.setPlainText(QString::fromUtf8(
      "Gr\u00fc\u00dfe aus K\u00f6ln \u2014 na\u00efve caf\u00e9, \u6771\u4eac.\nSecond line"));
  editor.moveCursor(QTextCursor::End);
  editor.resize(500, 300);
  editor.show();
  return app.exec();
}
