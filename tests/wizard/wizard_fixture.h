#pragma once

// What the page tests share: the program's own application object on the offscreen platform
// (a test program that clicks on a real X server defines WIZARD_TEST_PLATFORM "xcb"), a temporary
// application folder, recorded message boxes, and the process ending counted.

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <filesystem>
#include <memory>

#include "core/hooks.h"
#include "core/shared_state.h"
#include "support/qt_app.h"
#include "support/test_movies.h"
#include "support/test_support.h"
#include "wizard/framework/page_registry.h"
#include "wizard/framework/startup.h"

#ifndef WIZARD_TEST_PLATFORM
#define WIZARD_TEST_PLATFORM "offscreen"
#endif

namespace wizard_test {

inline wizard::WizardApplication& app() {
  static wizard::WizardApplication* instance = [] {
    setenv("QT_QPA_PLATFORM", WIZARD_TEST_PLATFORM, 1);
    Module30::prepare_process();
    static int argc = 1;
    static char name[] = "mellix-test";
    static char* argv[] = {name, nullptr};
    return new wizard::WizardApplication(argc, argv);
  }();
  return *instance;
}

/// Clicks `button` with the mouse: the press and release go through the application object,
/// as a user's click does (a handler's unexpected error then reaches the application).
inline void mouse_click(QWidget* button) {
  const QPointF at(button->width() / 2.0, button->height() / 2.0);
  const QPointF global = button->mapToGlobal(at);
  QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(button, &press);
  QCoreApplication::sendEvent(button, &release);
}

class PageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app();
    recorder = std::make_unique<testsupport::MessageBoxRecorder>();
    wizard::unload_pages();
    wizard::set_end_process_hook([this] { ++ended; });
    core::step_code = 0;
    core::source_form = 0;
    core::source_filename.clear();
    core::source_type.clear();
    std::filesystem::create_directories(appdir.spd("twav"));
  }

  void TearDown() override {
    recorder.reset();
    wizard::unload_pages();
    wizard::set_end_process_hook({});
  }

  testsupport::TempAppDir appdir;
  std::unique_ptr<testsupport::MessageBoxRecorder> recorder;  // made once the application exists
  const testsupport::MessageBoxRecorder& boxes() const { return *recorder; }
  int ended = 0;
};

}  // namespace wizard_test
