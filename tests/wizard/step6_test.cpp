// Step 6 of the floating road: the code box, autoplay, Back, and Encode to the finish page.

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>

#include "core/paths.h"
#include "engine/autoplay.h"
#include "platform/flash/browser_control.h"
#include "wizard/design/choice_page.h"
#include "wizard/design/finish_page.h"
#include "wizard/design/floating_step5_page.h"
#include "wizard/design/step6_page.h"
#include "wizard/shell/common_dialog.h"
#include "wizard_fixture.h"

namespace {

namespace fs = std::filesystem;
using testsupport::read_bytes;
using wizard::Form7;
using wizard::page;

class Step6Test : public wizard_test::PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    core::sam_selected = {true, false, false, false, false, false};
    core::button_type = 1;
    core::button_color = "FF0000";
    wizard::CommonDialog::set_chooser([this](const std::string&, bool) { return answer; });
  }
  void TearDown() override {
    wizard::CommonDialog::set_chooser({});
    core::set_yield_hook([] { QCoreApplication::processEvents(); });
    PageTest::TearDown();
  }
  // Step 4 with "Floating Button", step 5 with the top-right corner, then Next.
  Form7& open() {
    wizard::Form3& choice = page<wizard::Form3>();
    choice.Show();
    choice.Option2->click();
    choice.Command2->click();
    wizard::Form11& step5 = page<wizard::Form11>();
    EXPECT_FALSE(choice.isVisible());
    step5.Option5->click();
    step5.Command5->click();
    EXPECT_FALSE(step5.isVisible());
    return page<Form7>();
  }
  std::string code() { return page<Form7>().Text2->toPlainText().toStdString(); }
  bool has(const std::string& text) { return code().find(text) != std::string::npos; }

  testsupport::TempDir dir;
  std::string answer;  // the save dialog's; "" cancels it
};

TEST_F(Step6Test, TheCodeFollowsEveryPathAndCopyTakesTheBox) {
  Form7& step6 = open();
  EXPECT_TRUE(has("var target_x = -200;") && has(core::drive_c_path("MellixPlayer.swf")));
  step6.Text1->setText("/srv/site/typed.swf");
  EXPECT_TRUE(has("<embed src=\"/srv/site/typed.swf\""));
  answer = dir.file("chosen.swf");
  step6.Command1->click();
  EXPECT_TRUE(has("<embed src=\"" + answer + "\""));
  answer.clear();
  const std::string before = code();
  step6.Command1->click();
  EXPECT_EQ(step6.Text1->text().toStdString(), dir.file("chosen.swf"));
  EXPECT_EQ(code(), before);
  step6.Text2->appendPlainText("<!-- mine -->");
  step6.Command6->click();
  EXPECT_EQ(QApplication::clipboard()->text(), step6.Text2->toPlainText());
}

TEST_F(Step6Test, AutoplayComposesAtOnceAndAtEveryVisitAndBackDropsTheMovie) {
  Form7& step6 = open();
  const std::string plain = read_bytes(core::spd_path("temp.swf"));
  step6.Check1->click();
  const std::string autoplay = read_bytes(core::spd_path("temp.swf"));
  EXPECT_NE(autoplay, plain);
  Module54::compose_plain_style();
  step6.Hide();
  step6.Show();
  EXPECT_EQ(read_bytes(core::spd_path("temp.swf")), autoplay);
  step6.Check1->click();
  EXPECT_EQ(read_bytes(core::spd_path("temp.swf")), plain);

  testsupport::write_bytes(core::spd_path("final.swf"), "movie");
  step6.Command2->click();
  EXPECT_FALSE(fs::exists(core::spd_path("final.swf")));
  EXPECT_EQ(core::step_code, 11);
  EXPECT_TRUE(page<wizard::Form11>().isVisible());
}

TEST_F(Step6Test, EncodeHoldsBackAndFinishesWithTheFloatingSample) {
  const std::string wav = dir.file("tone.wav"), mp3 = dir.file("tone.mp3");
  ASSERT_EQ(testsupport::run("sox -n -r 44100 -c 2 -b 16 " + testsupport::quote(wav) + " synth 1 sine 440"),
            0);
  ASSERT_EQ(
      testsupport::run("lame --quiet -b 128 " + testsupport::quote(wav) + " " + testsupport::quote(mp3)), 0);
  core::source_filename = mp3;
  core::source_type = "mp3";
  Form7& step6 = open();
  step6.Text1->setText(QString::fromStdString(dir.file("out.swf")));
  bool held = false;
  core::set_yield_hook([&] { held = held || !step6.Command2->isEnabled(); });
  step6.Command3->click();
  EXPECT_TRUE(held);
  EXPECT_TRUE(step6.Command2->isEnabled());
  wizard::Form12& finish = page<wizard::Form12>();
  ASSERT_TRUE(finish.isVisible());
  EXPECT_EQ(core::step_code, 7);
  EXPECT_EQ(read_bytes(dir.file("out.swf")), read_bytes(core::spd_path("final.swf")));
  const std::string sample = read_bytes(core::spd_path("web/test.htm"));
  EXPECT_NE(sample.find("<embed src=\"" + dir.file("out.swf") + "\""), std::string::npos);
  EXPECT_EQ(sample, read_bytes(core::spd_path("web/test.txt")));
  finish.Command1->click();
  EXPECT_TRUE(step6.isVisible());
}

}  // namespace
