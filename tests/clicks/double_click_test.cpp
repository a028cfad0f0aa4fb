// The wizard's pages on a real X server, clicked with XTest from a second thread at a user's pace
// while the pages run their own message loop.

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWindow>
#include <atomic>
#include <chrono>
#include <thread>

#include "common/xdesk.h"
#include "core/paths.h"
#include "support/audio_files.h"
#include "wizard/pages/finish.h"
#include "wizard/pages/step4_choice.h"
#include "wizard/pages/step5_floating.h"
#include "wizard/pages/step6_encode.h"
#include "wizard/wizard_fixture.h"

namespace {

using namespace wizard;

class RealClicks : public wizard_test::PageTest {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs the X server of scripts/test.sh";
    PageTest::SetUp();
  }

  // Where the middle of `button` is on the screen, once its page stands still there.
  static QPoint on_screen(QWidget* button) {
    QWindow* window = button->window()->windowHandle();
    EXPECT_TRUE(qt_test::wait_until([&] { return window && window->isExposed(); }, 5000));
    qt_test::pump(300);  // the window manager's placement arrives after the first exposure
    return button->mapToGlobal(button->rect().center());
  }
};

// A double-click on step 6's Encode (150 ms apart) brings the finish page with Finish under the
// pointer: the second click does not press it; a click once it stands there does.
TEST_F(RealClicks, TheSecondClickOfADoubleClickOnEncodeDoesNotPressFinish) {
  core::sam_selected = {true, false, false, false, false, false};
  core::button_type = 1;
  testsupport::TempDir tmp;
  core::source_filename = tmp.file("tone.mp3");
  core::source_type = "mp3";
  testsupport::tone_mp3(core::source_filename);
  page<Form3>().Show();
  page<Form3>().Option2->click();
  page<Form3>().Command2->click();
  page<Form11>().Command5->click();
  Form7& step6 = page<Form7>();
  step6.Text1->setText(QString::fromStdString(tmp.file("out.swf")));
  const QPoint encode = on_screen(step6.Command3);

  std::atomic<bool> clicked = false;
  std::thread user([&] {
    xdesk::XScreen hand("scripts/test.sh");
    hand.click(encode.x(), encode.y());
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    hand.click(encode.x(), encode.y());
    clicked = true;
  });
  Form12& finish = page<Form12>();
  const bool finished = qt_test::wait_until([&] { return clicked && finish.isVisible(); }, 20000);
  qt_test::pump(1000);  // whatever the clicks left queued is handled
  user.join();
  ASSERT_TRUE(finished);
  ASSERT_TRUE(std::filesystem::exists(tmp.file("out.swf")));
  const QPoint finish_button = on_screen(finish.Command2);
  ASSERT_TRUE(finish.Command2->rect().contains(finish.Command2->mapFromGlobal(encode)))
      << "Finish is not under it";
  EXPECT_TRUE(ended == 0 && finish.isVisible()) << "the second click of the double-click pressed Finish";

  xdesk::XScreen("scripts/test.sh").click(finish_button.x(), finish_button.y());
  EXPECT_TRUE(qt_test::wait_until([&] { return ended > 0; }, 5000)) << "a click on Finish did not end it";
}

}  // namespace
