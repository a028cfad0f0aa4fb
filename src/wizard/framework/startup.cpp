#include "wizard/framework/startup.h"

#include <fcntl.h>
#include <unistd.h>

#include <QEventLoop>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QSocketNotifier>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <functional>
#include <iostream>
#include <mutex>
#include <thread>

#include "core/errors.h"
#include "core/hooks.h"
#include "core/paths.h"
#include "platform/flash/runtime.h"
#include "wizard/framework/page_registry.h"
#include "wizard/framework/wizard_page.h"
#include "wizard/pages/progress.h"
#include "wizard/pages/step1_source_choice.h"

namespace wizard {

namespace {

// A message names a path whole. A run of characters without a break wider than half the
// screen (a long path) gets invisible break points, after each '/' and wherever a part is still
// too wide, so that the box wraps it within the screen; every other text is shown as it is.
QString breakable(const QString& text, const QFontMetrics& metrics, int width) {
  constexpr QChar kZeroWidthSpace(0x200B);
  QString out;
  qsizetype start = 0;
  while (start < text.size()) {
    qsizetype end = start;
    const bool space = text[start].isSpace();
    while (end < text.size() && text[end].isSpace() == space) ++end;
    const QString run = text.mid(start, end - start);
    start = end;
    if (space || metrics.horizontalAdvance(run) <= width) {
      out += run;
      continue;
    }
    QString part;
    for (const QChar c : run) {
      if (!part.isEmpty() && metrics.horizontalAdvance(part + c) > width) {
        out += part + kZeroWidthSpace;
        part.clear();
      }
      part += c;
      if (c == '/') {
        out += part + kZeroWidthSpace;
        part.clear();
      }
    }
    out += part;
  }
  return out;
}

int show_box(const std::string& text, const std::string& title, QMessageBox::StandardButtons buttons) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title.empty() ? core::exe_name() : title),
                  QString(), buttons);
  const QLabel* label = box.findChild<QLabel*>("qt_msgbox_label");
  const QScreen* screen = box.screen() ? box.screen() : QGuiApplication::primaryScreen();
  const int width = screen ? screen->availableGeometry().width() / 2 : 640;
  box.setText(
      breakable(QString::fromStdString(text), label ? label->fontMetrics() : box.fontMetrics(), width));
  if (buttons & QMessageBox::No) box.setDefaultButton(QMessageBox::No);
  return box.exec();
}

void show_message(const std::string& text, const std::string& title) {
  show_box(text, title, QMessageBox::Ok);
}

bool ask_question(const std::string& text, const std::string& title) {
  return show_box(text, title, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
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

// A stopping signal is noted by a byte in this pipe, which the message loop watches: a signal
// handler may do next to nothing, and ending the program takes the page thread.
int signal_pipe[2] = {-1, -1};

void note_stopping_signal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(signal_pipe[1], &byte, 1);
  errno = saved;
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

bool hold_data_folder() {
  if (core::hold_data_folder()) return true;
  core::message_box("The wizard is already running from this folder.");
  return false;
}

void end_on_stopping_signals() {
  static QSocketNotifier* watch = nullptr;
  if (!watch) {
    if (::pipe2(signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    // Owned by the application object, which end_process deletes as it ends the program.
    watch = new QSocketNotifier(signal_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(watch, &QSocketNotifier::activated, [] {
      // A second signal while the program ends finds no one listening: it ends once.
      watch->setEnabled(false);
      end_process();
    });
  }
  struct sigaction action {};
  action.sa_handler = note_stopping_signal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int number : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(number, &action, nullptr);
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
