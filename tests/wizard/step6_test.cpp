// Step 6 of the floating road, walked from step 4 to the finish page and back.

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
#include "wizard/design/choice_page.h"
#include "wizard/design/finish_page.h"
#include "wizard/design/floating_step5_page.h"
#include "wizard/design/step6_page.h"
#include "wizard/shell/common_dialog.h"
#include "wizard_fixture.h"

namespace {

using testsupport::quote;
using testsupport::read_bytes;
using wizard::page;

using FloatingRoadTest = wizard_test::PageTest;

TEST_F(FloatingRoadTest, Step6CodeAutoplayBackAndEncode) {
  core::sam_selected = {true, false, false, false, false, false};
  core::button_type = 1;
  core::button_color = "FF0000";
  testsupport::TempDir dir;
  const std::string wav = dir.file("tone.wav"), mp3 = dir.file("tone.mp3");
  ASSERT_EQ(testsupport::run("sox -n -r 44100 -c 2 -b 16 " + quote(wav) + " synth 1 sine 440"), 0);
  ASSERT_EQ(testsupport::run("lame --quiet -b 128 " + quote(wav) + " " + quote(mp3)), 0);
  core::source_filename = mp3;
  core::source_type = "mp3";
  std::string answer;  // the save dialog's; "" cancels it
  wizard::CommonDialog::set_chooser([&](const std::string&, bool) { return answer; });

  // Step 4 "Floating Button", step 5 top right, Next.
  page<wizard::Form3>().Show();
  page<wizard::Form3>().Option2->click();
  page<wizard::Form3>().Command2->click();
  page<wizard::Form11>().Option5->click();
  page<wizard::Form11>().Command5->click();
  wizard::Form7& step6 = page<wizard::Form7>();
  ASSERT_TRUE(step6.isVisible());
  const auto code = [&] { return step6.Text2->toPlainText().toStdString(); };
  const auto embeds = [&](const std::string& movie) {
    return code().find("var target_x = -200;") != std::string::npos &&
           code().find("<embed src=\"" + movie + "\"") != std::string::npos;
  };
  EXPECT_TRUE(embeds(core::drive_c_path("MellixPlayer.swf")));

  // The code follows the path typed or chosen; a cancelled dialog changes nothing.
  step6.Text1->setText("/srv/site/typed.swf");
  EXPECT_TRUE(embeds("/srv/site/typed.swf"));
  answer = dir.file("out.swf");
  step6.Command1->click();
  EXPECT_TRUE(embeds(answer));
  answer.clear();
  step6.Command1->click();
  EXPECT_EQ(step6.Text1->text().toStdString(), dir.file("out.swf"));
  EXPECT_TRUE(embeds(dir.file("out.swf")));
  step6.Text2->appendPlainText("<!-- mine -->");
  step6.Command6->click();
  EXPECT_EQ(QApplication::clipboard()->text(), step6.Text2->toPlainText());

  // Autoplay composes at once and again at every visit; Back drops the built movie.
  const std::string plain = read_bytes(core::spd_path("temp.swf"));
  step6.Check1->click();
  const std::string autoplay = read_bytes(core::spd_path("temp.swf"));
  EXPECT_NE(autoplay, plain);
  Module54::compose_plain_style();
  testsupport::write_bytes(core::spd_path("final.swf"), "movie");
  step6.Command2->click();
  EXPECT_FALSE(std::filesystem::exists(core::spd_path("final.swf")));
  EXPECT_EQ(core::step_code, 11);
  page<wizard::Form11>().Command5->click();
  EXPECT_EQ(read_bytes(core::spd_path("temp.swf")), autoplay);

  // Encode holds Back while it works and ends on the finish page with the floating sample.
  bool held = false;
  core::set_yield_hook([&] { held = held || !step6.Command2->isEnabled(); });
  step6.Command3->click();
  core::set_yield_hook([] { QCoreApplication::processEvents(); });
  wizard::CommonDialog::set_chooser({});
  EXPECT_TRUE(held && step6.Command2->isEnabled());
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
