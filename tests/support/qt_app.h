#pragma once

// The one QApplication of a GUI test program, on the offscreen platform, and waiting for
// the web views while the event loop runs.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QWidget>
#include <cstdlib>
#include <functional>

#include "platform/flash/runtime.h"

namespace qt_test {

inline QApplication& app() {
  if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return *existing;
  static QApplication* instance = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    platform::flash::prepare_before_application();
    static int argc = 1;
    static char name[] = "mellix-test";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);
  }();
  return *instance;
}

// Ends the application after the tests have released their views, so the web engine shuts down
// in order rather than during the exit of the process.
class AppEnvironment : public ::testing::Environment {
 public:
  void TearDown() override {
    if (QCoreApplication* instance = QCoreApplication::instance()) {
      QApplication::processEvents();
      delete instance;
    }
  }
};
inline const bool app_environment = (::testing::AddGlobalTestEnvironment(new AppEnvironment), true);

// Runs the event loop until `done` holds or `ms` milliseconds pass; returns `done()`.
inline bool wait_until(const std::function<bool()>& done, int ms = 20000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

inline void pump(int ms) {
  wait_until([] { return false; }, ms);
}

// Share of the pixels of `image` inside `area` that have exactly the colour `rgb`.
inline double share_of(const QImage& image, QRgb rgb, QRect area = {}) {
  if (area.isNull()) area = image.rect();
  area = area.intersected(image.rect());
  if (area.isEmpty()) return 0;
  long hits = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF)) ++hits;
  return double(hits) / (area.width() * area.height());
}

inline QImage grab(QWidget& widget) { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }

}  // namespace qt_test
