#include "wizard/shell/common_dialog.h"

#include <QFileDialog>
#include <QStringList>

namespace wizard {

namespace {
CommonDialog::Chooser& chooser() {
  static CommonDialog::Chooser instance;
  return instance;
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

void CommonDialog::ShowOpen(QWidget* parent) { show(parent, false); }
void CommonDialog::ShowSave(QWidget* parent) { show(parent, true); }

void CommonDialog::show(QWidget* parent, bool save) {
  std::string chosen;
  if (chooser()) {
    chosen = chooser()(Filter, save);
  } else {
    const QString filter = QString::fromStdString(platform_filter(Filter));
    chosen = (save ? QFileDialog::getSaveFileName(parent, QString(), QString(), filter)
                   : QFileDialog::getOpenFileName(parent, QString(), QString(), filter))
                 .toStdString();
  }
  if (!chosen.empty()) FileName = chosen;
}

}  // namespace wizard
