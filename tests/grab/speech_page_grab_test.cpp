// "Get Selected Text" on the real speech page (on the X server, not offscreen) against a real
// xterm running a job: the user clicks, types and answers the message box through the server.

#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "platform/x11/x11_window_functions.h"
#include "wizard/framework/startup.h"
#include "wizard/pages/step1_source_choice.h"
#include "wizard/pages/step2_speech.h"
#include "wizard/wizard_fixture.h"

namespace {

using wizard::Form10;

// xdotool's words, sent through the X server as a user's hand.
void hand(const std::string& words) { ASSERT_EQ(testsupport::run("xdotool " + words), 0) << words; }

class SpeechPageGrab : public wizard_test::PageTest {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs the X server of scripts/test.sh";
    PageTest::SetUp();
    // The job names its window "term" once its line is out, then goes on running.
    xterm.start("xterm", {"-geometry", "40x5+800+0", "-e", "sh", "-c",
                          "echo LINE; printf '\\033]2;term\\007'; exec sleep 1000"});
    auto& step1 = wizard::page<wizard::form8>();  // the page comes as a user reaches it
    step1.Show();
    step1.Option1->click();
    step1.Command1->click();
    ASSERT_TRUE(qt_test::wait_until([] { return core::own_title == "Step-2"; }, 10000));
  }
  void TearDown() override {
    xterm.kill();
    xterm.waitForFinished(3000);
    PageTest::TearDown();
  }

  // The user clicks into the xterm (`clicks` times on its line), then returns to the page.
  static void use_term(int clicks) {
    hand("search --sync --name '^term$' mousemove --window %1 12 8 click --repeat " + std::to_string(clicks) +
         " --delay 80 1");
    ASSERT_TRUE(qt_test::wait_until([] { return core::target_title == "term"; }, 5000));
    hand("search --sync --name '^Step-2$' windowactivate --sync");
  }

  QProcess xterm;
};

TEST_F(SpeechPageGrab, TheLineSelectedInAnXtermArrivesAndItsJobRunsOn) {
  Form10& form = wizard::page<Form10>();
  use_term(3);  // a triple-click selects the line
  form.Command14->click();
  EXPECT_TRUE(qt_test::wait_until([&] { return form.Text1->toPlainText() == "LINE\n"; }, 5000))
      << form.Text1->toPlainText().toStdString();
  qt_test::pump(300);
  EXPECT_EQ(xterm.state(), QProcess::Running) << "the job was interrupted";
}

// Nothing is selected in the xterm, only in the page's own box: the grab does not take that, words
// typed during its wait stay, and its message box, standing in front a while, is no target.
TEST_F(SpeechPageGrab, OwnSelectionTypingAndMessageBoxesLeaveTheTargetAndTheWordsAlone) {
  Form10& form = wizard::page<Form10>();
  use_term(1);
  form.Text1->setFocus();
  hand("key ctrl+a");
  recorder.reset();  // a real message box, answered by the user's Return once it stands in front
  wizard::install_services();
  platform::X11WindowFunctions windows;
  QTimer user;
  QElapsedTimer in_front;
  int answered = 0;
  user.callOnTimeout([&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || windows.GetForegroundWindow() != box->winId()) return in_front.invalidate();
    if (!in_front.isValid()) in_front.start();
    if (in_front.elapsed() < 300) return;
    hand("key Return");
    ++answered;
    in_front.invalidate();
  });
  user.start(20);
  form.Command14->click();
  hand("key ctrl+End type --delay 30 ' typed words'");
  ASSERT_TRUE(qt_test::wait_until([&] { return !form.Timer3->isActive(); }, 10000));
  EXPECT_EQ(form.Text1->toPlainText(), "No Text Selected\n typed words");
  EXPECT_EQ(answered, 1) << "no message box came in front";
  EXPECT_EQ(core::target_title, "term");
}

}  // namespace
