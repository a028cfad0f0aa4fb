// "Get Selected Text" on the real speech page (on the X server, not offscreen) against a real
// xterm running a job: the user selects, types and answers the message boxes through the server.

#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <csignal>

#include "core/errors.h"
#include "platform/x11/x11_window_functions.h"
#include "wizard/framework/startup.h"
#include "wizard/pages/step1_source_choice.h"
#include "wizard/pages/step2_speech.h"
#include "wizard/wizard_fixture.h"

namespace {

using wizard::Form10;

class SpeechPageGrab : public wizard_test::PageTest {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs the X server of scripts/test.sh";
    PageTest::SetUp();
    core::grabbed_text.clear();
    // An xterm beside the page whose job prints a line and goes on running.
    const std::string pid_file = appdir.spd("job.pid");
    xterm.start("xterm", {"-T", "term", "-geometry", "40x5+800+0", "-e", "sh", "-c",
                          QString::fromStdString("echo $$ >" + pid_file + "; echo LINE; exec sleep 1000")});
    ASSERT_TRUE(qt_test::wait_until(
        [&] {
          return std::filesystem::exists(pid_file) && testsupport::read_bytes(pid_file).ends_with('\n');
        },
        10000));
    job = std::stoi(testsupport::read_bytes(pid_file));
    auto& step1 = wizard::page<wizard::form8>();
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

  // xdotool's words, sent through the X server as a user's hand.
  static void hand(const std::string& words) { ASSERT_EQ(testsupport::run("xdotool " + words), 0) << words; }
  // The user clicks into the xterm (`clicks` times on its first line), then returns to the page.
  void use_term(int clicks) {
    hand("search --sync --name '^term$' mousemove --window %1 12 8 click --repeat " + std::to_string(clicks) +
         " --delay 80 1");
    ASSERT_TRUE(qt_test::wait_until([] { return core::target_title == "term"; }, 5000));
    ASSERT_TRUE(qt_test::wait_until(
        [&] {
          core::ignore_errors([&] { windows.AppActivate("Step-2"); });
          return wizard::page<Form10>().isActiveWindow();
        },
        5000));
  }

  QProcess xterm;
  platform::X11WindowFunctions windows;
  pid_t job = 0;
};

TEST_F(SpeechPageGrab, TheLineSelectedInAnXtermArrivesAndItsJobRunsOn) {
  Form10& form = wizard::page<Form10>();
  use_term(3);  // a triple-click selects the line
  form.Command14->click();
  EXPECT_TRUE(qt_test::wait_until([&] { return form.Text1->toPlainText() == "LINE\n"; }, 5000))
      << form.Text1->toPlainText().toStdString();
  qt_test::pump(300);
  EXPECT_TRUE(kill(job, 0) == 0 && xterm.state() == QProcess::Running) << "the job was interrupted";
  EXPECT_TRUE(boxes().texts().empty());
}

// Nothing is selected in the xterm; the page's own box holds the selection. The grab does not take
// it, words typed during its wait stay, and its message box never becomes the next grab's target.
TEST_F(SpeechPageGrab, OwnSelectionTypingAndMessageBoxesLeaveTheTargetAndTheWordsAlone) {
  Form10& form = wizard::page<Form10>();
  use_term(1);
  form.Text1->setFocus();
  hand("key ctrl+a");
  recorder.reset();  // real message boxes, answered by the user's Return once they stand in front
  wizard::install_services();
  std::vector<std::string> told;
  QTimer user;
  QElapsedTimer in_front;
  user.callOnTimeout([&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || windows.GetForegroundWindow() != box->winId()) return in_front.invalidate();
    if (!in_front.isValid()) in_front.start();
    if (in_front.elapsed() < 300) return;
    told.push_back(box->text().toStdString());
    hand("key Return");
    in_front.invalidate();
  });
  user.start(20);

  form.Command14->click();
  hand("key ctrl+End type --delay 30 ' typed words'");
  ASSERT_TRUE(qt_test::wait_until([&] { return told.size() == 1; }, 10000));
  EXPECT_EQ(form.Text1->toPlainText(), "No Text Selected\n typed words");
  form.Command14->click();
  ASSERT_TRUE(qt_test::wait_until([&] { return told.size() == 2; }, 10000));
  for (const std::string& text : told)
    EXPECT_TRUE(text.starts_with("No text was fetched from \"term\"")) << text;
  EXPECT_EQ(form.Text1->toPlainText(), "No Text Selected\n typed words");
  EXPECT_EQ(kill(job, 0), 0);
}

}  // namespace
