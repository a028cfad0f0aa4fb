#include "wizard/framework/startup.h"

#include <QEventLoop>
#include <QFont>
#include <QMessageBox>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <functional>
#include <iostream>
#include <mutex>
#include <thread>

#include "core/errors.h"
#include "core/hooks.h"
#include "platform/flash/runtime.h"
#include "wizard/framework/page_registry.h"
#include "wizard/pages/progress.h"
#include "wizard/pages/step1_source_choice.h"

namespace wizard {

namespace {

void show_message(const std::string& text, const std::string& title) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title.empty() ? core::exe_name() : title),
                  QString::fromStdString(text), QMessageBox::Ok);
  box.exec();
}

bool ask_question(const std::string& text, const std::string& title) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title.empty() ? core::exe_name() : title),
                  QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

// A normal start is silent: the notes that Qt and the web engine print about a start that goes
// well (the engine's set-up, the sandbox left off for root, the made-up runtime folder of a
// session without one) are dropped; warnings and errors are printed as Qt prints them.
QtMessageHandler qt_handler = nullptr;

void print_what_went_wrong(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtDebugMsg || type == QtInfoMsg) return;
  if (message.startsWith("QStandardPaths: XDG_RUNTIME_DIR not set")) return;
  if (qt_handler) {
    qt_handler(type, context, message);
  } else {
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
  }
}

// How many works run aside; the count goes down once a worker has done its last with the page
// thread's objects.
std::mutex aside_lock;
std::condition_variable aside_done;
int works_aside = 0;

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
  core::set_question_box_hook(ask_question);
  core::set_yield_hook([] { QCoreApplication::processEvents(); });
  core::set_run_aside_hook([](const std::function<void()>& work) {
    // The message loop runs while the work does; closing a page meanwhile ends the process
    // once the work has stopped (stop_work_aside).
    std::exception_ptr error;
    QEventLoop loop;
    {
      const std::lock_guard counted(aside_lock);
      ++works_aside;
    }
    std::thread worker;
    try {
      worker = std::thread([&] {
        try {
          work();
        } catch (...) {
          error = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        const std::lock_guard done(aside_lock);
        --works_aside;
        aside_done.notify_all();
      });
    } catch (...) {
      const std::lock_guard counted(aside_lock);
      --works_aside;
      throw;
    }
    loop.exec();
    worker.join();
    if (error) std::rethrow_exception(error);
  });

  // The pages were designed in MS Sans Serif 8, Times New Roman and Arial; the metric-compatible
  // Liberation fonts stand in for the last two.
  QFont::insertSubstitution("Times New Roman", "Liberation Serif");
  QFont::insertSubstitution("Arial", "Liberation Sans");
  QFont font = QApplication::font();
  font.setPointSize(8);
  QApplication::setFont(font);

  Form5::install_as_progress_page();
}

void stop_work_aside() {
  core::request_stop();
  std::unique_lock lock(aside_lock);
  aside_done.wait(lock, [] { return works_aside == 0; });
}

}  // namespace wizard

namespace Module30 {

void prepare_process() {
  wizard::qt_handler = qInstallMessageHandler(wizard::print_what_went_wrong);
  platform::flash::prepare_before_application();
}

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
