#pragma once

#include <functional>
#include <string>

class QWidget;

namespace wizard {

/// The file dialog component of the pages: a filter in the form "text|pattern|text|pattern",
/// and the chosen file's name, which a cancelled dialog leaves as it was. A dialog opens in the
/// folder where the last file was chosen.
class CommonDialog {
 public:
  std::string Filter;
  std::string FileName;

  /// Shows the open-file dialog and waits for the user; true when a file was chosen.
  bool ShowOpen(QWidget* parent = nullptr);
  /// Shows the save-file dialog and waits for the user; true when a file was chosen.
  bool ShowSave(QWidget* parent = nullptr);

  /// Answers in place of the user: gets the filter and whether it is a save dialog, returns
  /// the chosen path or "" for Cancel. Tests install one; an empty chooser shows the dialogs.
  using Chooser = std::function<std::string(const std::string& filter, bool save)>;
  static void set_chooser(Chooser chooser);

  /// The filter as the platform's dialog takes it: "text (pattern);;text (pattern)". The
  /// dialog lists the texts alone.
  static std::string platform_filter(const std::string& filter);

 private:
  bool show(QWidget* parent, bool save);
};

}  // namespace wizard
