// The pages on a real X server, driven from the keyboard with XTest as a user does.

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWindow>

#include "common/xdesk.h"
#include "wizard/pages/step1_source_choice.h"
#include "wizard/pages/step2_file.h"
#include "wizard/wizard_fixture.h"

namespace {

using namespace wizard;

class RealKeys : public wizard_test::PageTest {
 protected:
  // A real click into `control` once its page stands still on the screen.
  void click_into(QWidget* control) {
    QWindow* window = control->window()->windowHandle();
    ASSERT_TRUE(qt_test::wait_until([&] { return window && window->isExposed(); }, 5000));
    qt_test::pump(300);  // the window manager's placement arrives after the first exposure
    const QPoint at = control->mapToGlobal(control->rect().center());
    // The window manager may pass the click on after keys sent later: wait until it arrived.
    if (QWidget* focused = QApplication::focusWidget()) focused->clearFocus();
    hand.click(at.x(), at.y());
    ASSERT_TRUE(qt_test::wait_until([&] { return control->hasFocus(); }, 5000));
  }
  void press(const char* key) {
    hand.key(key);
    qt_test::pump(300);
  }

  xdesk::XScreen hand{"scripts/test.sh"};  // throws, naming the script, without an X server
};

// Enter on "Next >" leads to the file page, whose information box passes Tab on to "< Back"
// as it is; the keypad's Enter there leads back.
TEST_F(RealKeys, EnterPressesNextTabLeavesTheInformationBoxKeypadEnterPressesBack) {
  form8& step1 = page<form8>();
  step1.Show();
  click_into(step1.Option3);
  press("Tab");
  ASSERT_TRUE(step1.Command1->hasFocus());
  press("Return");
  Form4& file = page<Form4>();
  ASSERT_TRUE(file.isVisible() && !step1.isVisible()) << "Enter on Next > did not move on";

  const std::string information = file.Text1->toPlainText().toStdString();
  click_into(file.Text1);
  press("Tab");
  EXPECT_EQ(file.Text1->toPlainText().toStdString(), information);
  ASSERT_TRUE(file.Command4->hasFocus());
  press("KP_Enter");
  EXPECT_TRUE(step1.isVisible() && !file.isVisible()) << "the keypad's Enter on < Back did not go back";
}

}  // namespace
