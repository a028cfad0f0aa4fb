#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QMessageBox>
#include <QTimer>

#include "core/errors.h"
#include "core/hooks.h"
#include "wizard/shell/form8.h"
#include "wizard_fixture.h"

namespace {

using wizard_test::PageTest;

using StartUpTest = PageTest;

// Receives events; the first ones raise errors that no handler expects.
class Faulty : public QObject {
 public:
  int handled = 0;
  bool event(QEvent* event) override {
    if (event->type() != QEvent::User) return QObject::event(event);
    ++handled;
    if (handled == 1) throw core::VbError(53, core::exe_name(), "File not found");
    if (handled == 2) throw std::runtime_error("bad allocation of frames");
    return true;
  }
};

TEST_F(StartUpTest, AnUnexpectedErrorIsShownAndTheProgramGoesOn) {
  Faulty receiver;
  for (int i = 0; i < 3; ++i) QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
  QCoreApplication::processEvents();
  EXPECT_EQ(receiver.handled, 3) << "events after the errors still arrive";
  ASSERT_EQ(boxes().shown().size(), 2u);
  EXPECT_EQ(boxes().shown()[0].first, "Run-time error '53':\n\nFile not found");
  EXPECT_EQ(boxes().shown()[0].second, "") << "the default caption";
  EXPECT_EQ(boxes().shown()[1].first, "bad allocation of frames");
  EXPECT_EQ(ended, 0);
}

TEST_F(StartUpTest, YieldLetsPendingEventsRun) {
  bool ran = false;
  QTimer::singleShot(0, [&] { ran = true; });
  core::yield();
  EXPECT_TRUE(ran);
}

// Answers the next message box with OK once it is on the screen, noting what it showed.
struct BoxAnswer {
  QString title, text;
  QMessageBox::StandardButtons buttons;
  QTimer timer;
  BoxAnswer() {
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      title = box->windowTitle();
      text = box->text();
      buttons = box->standardButtons();
      timer.stop();
      box->button(QMessageBox::Ok)->click();
    });
    timer.start();
  }
};

// The real message box: the program's name as its caption, a text and an OK button only.
TEST_F(StartUpTest, MessageBoxHasTheDefaultCaptionAndAnOkButton) {
  wizard::install_services();
  {
    BoxAnswer answer;
    core::message_box("Please select the option");
    EXPECT_EQ(answer.title, "mellix");
    EXPECT_EQ(answer.text, "Please select the option");
    EXPECT_EQ(answer.buttons, QMessageBox::Ok);
  }
  {
    // A given title stands in place of the default caption.
    BoxAnswer answer;
    core::message_box("device not open", "Error (record)");
    EXPECT_EQ(answer.title, "Error (record)");
  }
}

}  // namespace
