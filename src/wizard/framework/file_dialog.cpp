#include "wizard/framework/file_dialog.h"

#include <QFileDialog>
#include <QStringList>
#include <filesystem>

namespace wizard {

namespace {
CommonDialog::Chooser& chooser() {
  static CommonDialog::Chooser instance;
  return instance;
}

// The folder of the file last chosen in any of the dialogs: the next one opens there.
std::string& last_folder() {
  static std::string folder;
  return folder;
}
}  // namespace

void CommonDialog::set_chooser(Chooser replacement) { chooser() = std::move(replacement); }

std::string CommonDialog::platform_filter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split('|');
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ');
    entries.append(parts[i] + " (" + patterns + ")");
  }
  return entries.join(";;").toStdString();
}

bool CommonDialog::ShowOpen(QWidget* parent) { return show(parent, false); }
bool CommonDialog::ShowSave(QWidget* parent) { return show(parent, true); }

bool CommonDialog::show(QWidget* parent, bool save) {
  std::string chosen;
  if (chooser()) {
    chosen = chooser()(Filter, save);
  } else {
    QFileDialog dialog(parent, QString(), QString::fromStdString(last_folder()),
                       QString::fromStdString(platform_filter(Filter)));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The list of filters shows each filter's text as the page wrote it, without the patterns
    // that the platform's form adds to it.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
      chosen = dialog.selectedFiles().constFirst().toStdString();
  }
  if (chosen.empty()) return false;
  FileName = chosen;
  last_folder() = std::filesystem::path(chosen).parent_path().string();
  return true;
}

}  // namespace wizard
