#include "wizard/shell/startup.h"

#include <QFont>
#include <QMessageBox>
#include <cstdint>
#include <iostream>

#include "core/errors.h"
#include "core/hooks.h"
#include "platform/flash/runtime.h"
#include "wizard/shell/progress_page.h"
#include "wizard/shell/source_choice_page.h"
#include "wizard/shell/pages.h"

namespace wizard {

namespace {

void show_message(const std::string& text, const std::string& title) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title.empty() ? core::exe_name() : title),
                  QString::fromStdString(text), QMessageBox::Ok);
  box.exec();
}

void report_unexpected(const std::string& text) {
  std::cerr << core::exe_name() << ": " << text << '\n';
  core::message_box(text);
}

}  // namespace

WizardApplication::WizardApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QString::fromStdString(core::exe_name()));
  install_services();
}

bool WizardApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const core::VbError& error) {
    report_unexpected("Run-time error '" + std::to_string(error.number()) + "':\n\n" + error.description());
  } catch (const std::exception& error) {
    report_unexpected(error.what());
  } catch (...) {
    report_unexpected("Unexpected error");
  }
  return false;
}

void install_services() {
  core::set_message_box_hook(show_message);
  core::set_yield_hook([] { QCoreApplication::processEvents(); });

  // The pages were designed in MS Sans Serif 8, Times New Roman and Arial; the metric-compatible
  // Liberation fonts stand in for the last two.
  QFont::insertSubstitution("Times New Roman", "Liberation Serif");
  QFont::insertSubstitution("Arial", "Liberation Sans");
  QFont font = QApplication::font();
  font.setPointSize(8);
  QApplication::setFont(font);

  Form5::install_as_progress_page();
}

}  // namespace wizard

namespace Module30 {

void prepare_process() { platform::flash::prepare_before_application(); }

void Main() {
  Module48::init_common_controls();
  wizard::page<wizard::form8>().Show();
}

}  // namespace Module30

namespace Module48 {

bool init_common_controls() {
  // The record the extended combo-box classes are registered with: its size and the class set.
  [[maybe_unused]] constexpr std::uint32_t record_size = 8;
  [[maybe_unused]] constexpr std::uint32_t classes = 0x200;
  return core::ignore_errors([] {});
}

}  // namespace Module48
