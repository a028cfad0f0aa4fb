#pragma once

// The Qt event loop for test programs without windows (sound devices, speech); programs with
// windows take support/qt_app.h instead.

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "core/hooks.h"

namespace testsupport {

/// The program's QCoreApplication, made once and never destroyed (devices may still be open
/// when the program ends); the engine's yields run the queued events.
inline QCoreApplication& core_app() {
  static int argc = 1;
  static char name[] = "mellix-test";
  static char* argv[] = {name, nullptr};
  static auto* application = new QCoreApplication(argc, argv);
  core::set_yield_hook([] { QCoreApplication::processEvents(); });
  return *application;
}

/// Runs the event loop for `ms` milliseconds.
inline void spin(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace testsupport
