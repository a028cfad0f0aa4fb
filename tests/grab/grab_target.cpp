// A small text editor window for the selected-text grab tests. Nothing is selected at first,
// until the user presses Ctrl+A.

#include <QApplication>
#include <QPlainTextEdit>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QPlainTextEdit editor;
  editor.setWindowTitle("notes.txt - Text Editor");
  editor.setPlainText(QString::fromUtf8(
      "Gr\u00fc\u00dfe aus K\u00f6ln \u2014 na\u00efve caf\u00e9, \u6771\u4eac.\nSecond line"));
  editor.moveCursor(QTextCursor::End);
  editor.resize(500, 300);
  editor.show();
  return app.exec();
}
