// The pages on a real X server, driven from the keyboard with XTest as a user does: Tab leaves
// the multi-line boxes, Enter presses the focused button.

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWindow>

#include "common/xdesk.h"
#include "wizard/pages/step1_source_choice.h"
#include "wizard/pages/step2_file.h"
#include "wizard/pages/step4_choice.h"
#include "wizard/pages/step5_fixed.h"
#include "wizard/wizard_fixture.h"

namespace {

using namespace wizard;

class RealKeys : public wizard_test::PageTest {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs the X server of scripts/test.sh";
    PageTest::SetUp();
  }

  // A click into `control` once its page stands still on the screen.
  void click_into(QWidget* control) {
    QWindow* window = control->window()->windowHandle();
    ASSERT_TRUE(qt_test::wait_until([&] { return window && window->isExposed(); }, 5000));
    qt_test::pump(300);  // the window manager's placement arrives after the first exposure
    const QPoint at = control->mapToGlobal(control->rect().center());
    // The window manager passes a click on to the page in its own time, after keys sent later:
    // the control has the focus once the click reached it.
    if (QWidget* focused = QApplication::focusWidget()) focused->clearFocus();
    hand.click(at.x(), at.y());
    ASSERT_TRUE(qt_test::wait_until([&] { return control->hasFocus(); }, 5000));
  }
  void press(const char* key) {
    hand.key(key);
    qt_test::pump(300);
  }

  xdesk::XScreen hand{"scripts/test.sh"};
};

TEST_F(RealKeys, TabLeavesTheCodeBoxAndEnterPressesCopyCode) {
  core::sam_selected = {true, false, false, false, false, false};
  core::button_type = 1;
  page<Form3>().Show();
  page<Form3>().Option1->click();
  page<Form3>().Command2->click();
  Form14& step5 = page<Form14>();
  const std::string code = step5.Text1->toPlainText().toStdString();
  ASSERT_TRUE(step5.isVisible() && code.find("<object") == 0);

  click_into(step5.Text1);
  press("Tab");
  EXPECT_TRUE(step5.Command6->hasFocus());
  EXPECT_EQ(step5.Text1->toPlainText().toStdString(), code);
  press("Return");
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), code) << "Enter on Copy Code";
  QApplication::clipboard()->clear();
  press("KP_Enter");
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), code) << "the keypad's Enter on Copy Code";
}

// Enter on "Next >" leads to the file page, where the information box passes Tab on to
// "< Back", whose keypad Enter leads back.
TEST_F(RealKeys, EnterOnNextAndTabOutOfTheInformationBox) {
  form8& step1 = page<form8>();
  step1.Show();
  click_into(step1.Option3);
  press("Tab");
  ASSERT_TRUE(step1.Command1->hasFocus());
  press("Return");
  Form4& file = page<Form4>();
  ASSERT_TRUE(file.isVisible() && !step1.isVisible()) << "Enter on Next > did not move on";

  const QString information = file.Text1->toPlainText();
  click_into(file.Text1);
  press("Tab");
  EXPECT_EQ(file.Text1->toPlainText(), information);
  ASSERT_TRUE(file.Command4->hasFocus());
  press("KP_Enter");
  EXPECT_TRUE(step1.isVisible() && !file.isVisible()) << "the keypad's Enter on < Back did not go back";
  EXPECT_EQ(ended, 0);
}

}  // namespace
