#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "core/paths.h"
#include "core/shared_state.h"
#include "platform/flash/flash_control.h"
#include "wizard/shell/common_dialog.h"
#include "wizard/shell/form4.h"
#include "wizard/shell/form8.h"
#include "wizard_fixture.h"

namespace {

using testsupport::quote;
using wizard::Form4;
using wizard::form8;
using wizard::page;
using wizard_test::PageTest;

const std::string kNoFile = "             No File selected \r\n";

class FilePageTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    wizard::CommonDialog::set_chooser([this](const std::string& filter, bool save) {
      filters.push_back(filter);
      saves += save ? 1 : 0;
      return answer;
    });
  }
  void TearDown() override {
    wizard::CommonDialog::set_chooser({});
    PageTest::TearDown();
  }

  // Reaches the file page as a user does: step 1, the file option, Next.
  Form4& open_page() {
    form8& step1 = page<form8>();
    step1.Show();
    step1.Option3->click();
    step1.Command1->click();
    qt_test::pump(50);
    return page<Form4>();
  }

  // A WAV file made by sox: `seconds` of a tone in the given layout.
  std::string wav(const std::string& name, int rate, int channels, int bits, double seconds = 1.0) {
    const std::string path = dir.file(name);
    EXPECT_EQ(testsupport::run("sox -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) +
                               " -b " + std::to_string(bits) + " " + quote(path) + " synth " +
                               std::to_string(seconds) + " sine 440"),
              0);
    return path;
  }

  // An MP3 at `kbps` from lame, padded with zero bytes to exactly `length` bytes when given.
  std::string mp3(const std::string& name, int kbps, std::size_t length = 0) {
    const std::string source = wav(name + ".wav", 44100, 2, 16);
    const std::string path = dir.file(name);
    EXPECT_EQ(testsupport::run("lame --quiet -t -b " + std::to_string(kbps) + " " + quote(source) + " " +
                               quote(path)),
              0);
    if (length) {
      std::string bytes = testsupport::read_bytes(path);
      EXPECT_LT(bytes.size(), length);
      bytes.resize(length, '\0');
      testsupport::write_bytes(path, bytes);
    }
    return path;
  }

  testsupport::TempDir dir;
  std::string answer;  // what the user picks in the dialog; "" cancels it
  std::vector<std::string> filters;
  int saves = 0;
};

TEST_F(FilePageTest, StepOneLeadsHereAndTheLayoutIsTheDesign) {
  Form4& file = open_page();
  EXPECT_FALSE(page<form8>().isVisible());
  EXPECT_TRUE(file.isVisible());
  EXPECT_EQ(file.windowTitle(), "Step-2");
  EXPECT_EQ(file.size(), QSize(725, 519));
  EXPECT_EQ(file.Text1->geometry(), QRect(256, 192, 169, 89));
  EXPECT_EQ(file.Command4->geometry(), QRect(160, 424, 121, 33));
  EXPECT_EQ(file.Command3->geometry(), QRect(432, 424, 121, 33));
  EXPECT_EQ(file.Command2->geometry(), QRect(296, 424, 121, 33));
  EXPECT_EQ(file.Command1->geometry(), QRect(248, 136, 177, 41));
  EXPECT_EQ(file.Command4->text(), "< Back");
  EXPECT_EQ(file.Command3->text(), "Cancel");
  EXPECT_EQ(file.Command2->text(), "Next >");
  EXPECT_EQ(file.Command1->text(), "Open File");
  EXPECT_EQ(file.Text1_Text(), kNoFile);
  // The backdrop covers the page's own outer size.
  EXPECT_EQ(file.ShockwaveFlash1->geometry(), QRect(0, 0, 733, 553));
  EXPECT_EQ(file.ShockwaveFlash1->movie(), core::spd_path("SWF/form4.swf"));
  EXPECT_FALSE(file.Command2->isEnabled());
  EXPECT_EQ(file.loads(), 2) << "created, then activated";
}

TEST_F(FilePageTest, AnMp3ShowsItsNameTimeAndSize) {
  // 4,000,000 bytes at 128 kbit/s: 250 seconds.
  const std::string path = mp3("song.mp3", 128, 4'000'000);
  Form4& file = open_page();
  answer = path;
  file.Command1->click();
  ASSERT_EQ(filters.size(), 1u);
  EXPECT_EQ(filters[0], "mp3(*.mp3)|*.mp3|wav files(*.wav)|*.wav");
  EXPECT_EQ(saves, 0);
  EXPECT_EQ(core::source_filename, path);
  EXPECT_EQ(core::source_type, "mp3");
  EXPECT_EQ(file.Text1_Text(), "File name: " + path + "\r\nFile time: 00:04:10\r\nFile size: 4 MB");
  EXPECT_TRUE(file.Command2->isEnabled());
  EXPECT_TRUE(boxes().shown().empty());
}

// The whole length counts, and the seconds round to the even neighbour.
TEST_F(FilePageTest, PlayTimeRoundsHalvesToEven) {
  Form4& file = open_page();
  const struct {
    std::size_t bytes;
    const char* time;
    const char* size;
  } cases[] = {{40'000, "00:00:02", " 39.0625 kb"},  // 2.5 s
               {56'000, "00:00:04", " 54.6875 kb"},  // 3.5 s
               {48'000, "00:00:03", " 46.875 kb"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    answer = mp3("s" + std::to_string(c.bytes) + ".mp3", 128, c.bytes);
    file.Command1->click();
    EXPECT_EQ(file.Text1_Text(),
              "File name: " + answer + "\r\nFile time: " + c.time + "\r\nFile size:" + c.size);
  }
}

TEST_F(FilePageTest, AWavIsEncodedToTheWorkingMp3WhichBecomesTheSource) {
  const std::string source = wav("voice.wav", 44100, 2, 16, 2.0);
  const std::string tmp = core::spd_path("twav/tmp.mp3");
  testsupport::write_bytes(tmp, "an older working file");
  Form4& file = open_page();
  answer = source;
  file.Command1->click();

  EXPECT_EQ(core::source_filename, tmp);
  EXPECT_EQ(core::source_type, "mp3");
  EXPECT_EQ(core::source_sample_rate, 44100);
  EXPECT_TRUE(file.Command2->isEnabled());
  // A real MP3 of the sound: ffprobe reads its rate, channels and length.
  const std::string probe = testsupport::capture(
      "ffprobe -v error -show_entries stream=codec_name,sample_rate,channels -of csv=p=0 " + quote(tmp));
  EXPECT_EQ(probe, "mp3,44100,2\n");
  const double seconds = std::stod(
      testsupport::capture("ffprobe -v error -show_entries format=duration -of csv=p=0 " + quote(tmp)));
  EXPECT_NEAR(seconds, 2.0, 0.1);
  // The name shown is the working MP3's, with its time and size.
  const std::string text = file.Text1_Text();
  EXPECT_EQ(text.rfind("File name: " + tmp + "\r\nFile time: 00:00:0", 0), 0u) << text;
  EXPECT_NE(text.find("\r\nFile size: "), std::string::npos);
  EXPECT_NE(text.find(" kb"), std::string::npos);
  EXPECT_TRUE(boxes().shown().empty());
}

// A WAV the encoder refuses: every failure is passed over, the working MP3 still becomes the
// source, nothing new is shown, and "Next >" is enabled.
TEST_F(FilePageTest, ABadWavFollowsTheFailurePath) {
  const std::string source = wav("mono8.wav", 22050, 1, 8);
  const std::string tmp = core::spd_path("twav/tmp.mp3");
  testsupport::write_bytes(tmp, "an older working file");
  Form4& file = open_page();
  answer = source;
  file.Command1->click();

  EXPECT_FALSE(std::filesystem::exists(tmp)) << "deleted before encoding, never written";
  EXPECT_EQ(core::source_filename, tmp);
  EXPECT_EQ(core::source_type, "mp3");
  EXPECT_EQ(core::source_sample_rate, 22050);
  EXPECT_EQ(file.Text1_Text(), kNoFile);
  EXPECT_TRUE(file.Command2->isEnabled());
  EXPECT_TRUE(file.isVisible());
  EXPECT_EQ(ended, 0);
}

// The page becomes active again when a dialog over it closes: that is no new visit.
TEST_F(FilePageTest, ClosingTheDialogDoesNotReloadThePage) {
  const std::string path = mp3("song.mp3", 128);
  Form4& file = open_page();
  ASSERT_TRUE(file.isActiveWindow());
  const int loads = file.loads();
  wizard::CommonDialog::set_chooser([&](const std::string&, bool) {
    QDialog dialog(&file);
    dialog.setModal(true);
    QTimer::singleShot(100, &dialog, &QDialog::accept);
    dialog.exec();
    return path;
  });
  file.Command1->click();
  // The system hands the focus back to the page (the offscreen platform leaves that to us).
  file.activateWindow();
  QApplication::setActiveWindow(&file);
  qt_test::pump(100);
  ASSERT_TRUE(file.isActiveWindow());
  EXPECT_EQ(file.loads(), loads);
  EXPECT_EQ(core::source_filename, path);
  EXPECT_TRUE(file.Command2->isEnabled());
}

TEST_F(FilePageTest, ACancelledDialogLeavesNextDisabled) {
  Form4& file = open_page();
  answer.clear();
  file.Command1->click();
  EXPECT_EQ(filters.size(), 1u);
  EXPECT_EQ(core::source_filename, "");
  EXPECT_FALSE(file.Command2->isEnabled());
  EXPECT_EQ(file.Text1_Text(), kNoFile);
}

// A name that ends neither in "mp3" nor in "wav" computes nothing, but it is a name.
TEST_F(FilePageTest, AnUpperCaseExtensionShowsNothingNewYetEnablesNext) {
  Form4& file = open_page();
  answer = mp3("LOUD.MP3", 128);
  file.Command1->click();
  EXPECT_EQ(core::source_filename, answer);
  EXPECT_EQ(core::source_type, "");
  EXPECT_EQ(file.Text1_Text(), kNoFile);
  EXPECT_TRUE(file.Command2->isEnabled());
}

// No frame header: the information routine's message, then the error, which the program
// reports and survives; "Next >" stays as the loading routine left it.
TEST_F(FilePageTest, AnMp3WithoutFramesIsReportedAndTheProgramGoesOn) {
  const std::string path = dir.file("silence.mp3");
  testsupport::write_bytes(path, std::string(4000, '\0'));
  Form4& file = open_page();
  answer = path;
  wizard_test::mouse_click(file.Command1);
  const auto texts = boxes().texts();
  ASSERT_GE(texts.size(), 1u);
  EXPECT_EQ(texts[0], "ERROR in file opening");
  EXPECT_EQ(core::source_filename, path);
  EXPECT_EQ(file.Text1_Text(), kNoFile);
  EXPECT_EQ(ended, 0);
}

TEST_F(FilePageTest, EachVisitStartsAfreshButKeepsTheText) {
  const std::string path = mp3("song.mp3", 128);
  Form4& file = open_page();
  answer = path;
  file.Command1->click();
  const std::string shown = file.Text1_Text();
  ASSERT_TRUE(file.Command2->isEnabled());

  file.Command4->click();  // < Back
  EXPECT_FALSE(file.isVisible());
  EXPECT_TRUE(page<form8>().isVisible());
  page<form8>().Command1->click();  // Next > with the file option still set
  qt_test::pump(50);
  EXPECT_TRUE(file.isVisible());
  EXPECT_EQ(file.loads(), 3);
  EXPECT_EQ(core::source_filename, "");
  EXPECT_EQ(core::source_type, "");
  EXPECT_FALSE(file.Command2->isEnabled());
  EXPECT_EQ(file.Text1_Text(), shown);
}

TEST_F(FilePageTest, NextAsksForTheRateCheckAgain) {
  Form4& file = open_page();
  answer = mp3("song.mp3", 128);
  file.Command1->click();
  core::rate_check_done = 1;
  file.Command2->click();
  EXPECT_EQ(core::rate_check_done, 0);
}

TEST_F(FilePageTest, CancelAndClosingEndTheProcess) {
  Form4& file = open_page();
  file.Command3->click();
  EXPECT_EQ(ended, 1);
  file.close();
  EXPECT_EQ(ended, 2);
}

TEST(CommonDialogFilter, BecomesThePlatformsFilter) {
  EXPECT_EQ(wizard::CommonDialog::platform_filter("mp3(*.mp3)|*.mp3|wav files(*.wav)|*.wav"),
            "mp3(*.mp3) (*.mp3);;wav files(*.wav) (*.wav)");
  EXPECT_EQ(wizard::CommonDialog::platform_filter("Flash (*.swf)|*.swf"), "Flash (*.swf) (*.swf)");
  EXPECT_EQ(wizard::CommonDialog::platform_filter("Sounds|*.mp3;*.wav"), "Sounds (*.mp3 *.wav)");
}

}  // namespace
