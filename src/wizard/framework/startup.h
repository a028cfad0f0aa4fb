#pragma once

// Start-up: the application object that keeps the program running through unexpected errors,
// the start-up procedure, and the registration of the common controls.

#include <QApplication>

namespace wizard {

/// The program's QApplication. An error that no handler expects is shown in a message box and
/// the program goes on with the next event.
class WizardApplication : public QApplication {
  Q_OBJECT

 public:
  WizardApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

/// Installs the message boxes and the yield to the message loop that the lower layers call,
/// the program's fonts, and the page that reports progress.
void install_services();

/// Asks the work that runs aside (core::run_aside) to stop and waits until it has: for the
/// end of the process, which must not take away what the work still uses. Returns at once
/// when no work runs; the work stops at its next chunk.
void stop_work_aside();

/// Holds the data folder for this copy of the program (core::hold_data_folder). When another
/// running copy holds it, says so in a message box and returns false, the folder untouched:
/// two copies would replace each other's working files and mix their movies.
bool hold_data_folder();

/// From now on SIGTERM, SIGHUP and SIGINT (a logout, a kill, Ctrl+C in the terminal) end the
/// program as closing its page does (end_process): the work under way stops at its next chunk
/// and its part files go, the clipboard is handed to the desktop, the status is 0.
void end_on_stopping_signals();

}  // namespace wizard

namespace Module30 {

/// What must happen before the application object exists (the web views' URL scheme and
/// their process settings).
void prepare_process();

/// The start-up procedure: registers the common controls and shows step 1. The message loop
/// runs after it until a page ends the process.
void Main();

}  // namespace Module30

namespace Module48 {

/// Registers the extended combo-box classes, ignoring every error; true when none was raised.
/// Qt's widgets need no registration, so this always succeeds.
bool init_common_controls();

}  // namespace Module48
