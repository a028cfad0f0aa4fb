#include <QLineEdit>
#include <QPushButton>

#include "core/paths.h"
#include "core/shared_state.h"
#include "wizard/shell/form1.h"
#include "wizard/shell/picture_box.h"
#include "wizard_fixture.h"

namespace {

using testsupport::quote;
using wizard::Form1;
using wizard::page;
using wizard_test::PageTest;

using TestFormTest = PageTest;

TEST_F(TestFormTest, IsLoadedHiddenWithItsControls) {
  Form1& form = page<Form1>();
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.windowTitle(), "form1");
  EXPECT_EQ(form.size(), QSize(834, 515)) << "client area 12510 x 7725 twips";
  EXPECT_EQ(form.Text1->text(), "Text1");
  EXPECT_EQ(form.Text2->text(), "Text2");
  EXPECT_EQ(form.Command1->text(), "Command1");
  EXPECT_EQ(form.Command2->text(), "Time format");
  EXPECT_EQ(form.Command3->text(), "File Size format");
  EXPECT_EQ(form.Command4->text(), "Command4");
  EXPECT_EQ(form.Picture.size(), 96u);
  for (auto* picture : form.Picture) ASSERT_NE(picture, nullptr);
  // Nothing may change its size: it is not a wizard step.
  form.resize(400, 300);
  EXPECT_EQ(form.size(), QSize(400, 300));
}

TEST_F(TestFormTest, TimeFormatWithoutTheLineBreak) {
  Form1& form = page<Form1>();
  const struct {
    const char* in;
    const char* out;
  } cases[] = {{"75", "00:01:15"}, {"0", "00:00:00"}, {"3600", "01:00:00"}, {"360000", "100:00:00"}};
  for (const auto& c : cases) {
    form.Text2->setText(c.in);
    form.Command2->click();
    EXPECT_EQ(form.Text1->text().toStdString(), c.out);
  }
}

TEST_F(TestFormTest, FileSizeFormat) {
  Form1& form = page<Form1>();
  const struct {
    const char* in;
    const char* out;
  } cases[] = {{"1023", " 1023 byte"}, {"1536", " 1.5 kb"}, {"1049600", " 1 MB"}, {"2621440", " 2 MB"}};
  for (const auto& c : cases) {
    form.Text2->setText(c.in);
    form.Command3->click();
    EXPECT_EQ(form.Text1->text().toStdString(), c.out);
  }
}

TEST_F(TestFormTest, TextThatIsNoNumberIsATypeMismatch) {
  Form1& form = page<Form1>();
  form.Text2->setText("Text2");
  form.Text1->setText("unchanged");
  wizard_test::mouse_click(form.Command2);
  EXPECT_EQ(form.Text1->text(), "unchanged");
  ASSERT_EQ(boxes().texts().size(), 1u);
  EXPECT_EQ(boxes().texts()[0], "Run-time error '13':\n\nType mismatch");
}

// Command1 reads the bitrate of the fixed file on drive C (the home folder here), drops it,
// and prints on the form.
TEST_F(TestFormTest, Command1ReadsTheFixedFileAndPrints) {
  Form1& form = page<Form1>();
  const std::string song = core::drive_c_path("song1.mp3");
  testsupport::TempDir dir;
  ASSERT_EQ(
      testsupport::run("sox -n -r 44100 -c 2 -b 16 " + quote(dir.file("s.wav")) + " synth 0.5 sine 300"), 0);
  ASSERT_EQ(testsupport::run("lame --quiet -t -b 96 " + quote(dir.file("s.wav")) + " " + quote(song)), 0);
  core::mp3_file_len = 0;
  form.Command1->click();
  EXPECT_EQ(form.printed(), QStringList{"this is"});
  EXPECT_EQ(core::mp3_file_len, static_cast<std::int32_t>(testsupport::read_bytes(song).size()));

  std::filesystem::remove(song);
  wizard_test::mouse_click(form.Command1);
  EXPECT_EQ(form.printed(), QStringList{"this is"}) << "a missing file stops before printing";
  EXPECT_FALSE(boxes().texts().empty());
}

}  // namespace
