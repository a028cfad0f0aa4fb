#include "wizard/shell/file_page.h"

#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "core/paths.h"
#include "core/shared_state.h"
#include "platform/flash/flash_control.h"
#include "wizard/design/gallery_page.h"
#include "wizard/shell/common_dialog.h"
#include "wizard/shell/source_choice_page.h"
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

  // A WAV file made by sox: `seconds` of a tone in the `layout` given as sox options.
  std::string wav(const std::string& name, const std::string& layout, double seconds = 1.0) {
    EXPECT_EQ(testsupport::run("sox -n " + layout + " " + quote(dir.file(name)) + " synth " +
                               std::to_string(seconds) + " sine 440"),
              0);
    return dir.file(name);
  }

  // A 128 kbit/s MP3 from lame, padded with zero bytes to exactly `length` bytes when given.
  std::string mp3(const std::string& name, std::size_t length = 0) {
    const std::string source = wav(name + ".wav", "-r 44100 -c 2 -b 16");
    EXPECT_EQ(testsupport::run("lame --quiet -t -b 128 " + quote(source) + " " + quote(dir.file(name))), 0);
    if (length) {
      std::string bytes = testsupport::read_bytes(dir.file(name));
      EXPECT_LT(bytes.size(), length);
      bytes.resize(length, '\0');
      testsupport::write_bytes(dir.file(name), bytes);
    }
    return dir.file(name);
  }

  testsupport::TempDir dir;
  std::string answer;  // what the user picks in the dialog; "" cancels it
  std::vector<std::string> filters;
  int saves = 0;
};

TEST_F(FilePageTest, StepOneLeadsHere) {
  Form4& file = open_page();
  EXPECT_FALSE(page<form8>().isVisible());
  EXPECT_TRUE(file.isVisible());
  EXPECT_EQ(file.windowTitle(), "Step-2");
  EXPECT_EQ(file.Text1_Text(), kNoFile);
  // The backdrop covers the page's own outer size.
  EXPECT_EQ(file.ShockwaveFlash1->geometry(), QRect(0, 0, 733, 553));
  EXPECT_EQ(file.ShockwaveFlash1->movie(), core::spd_path("SWF/form4.swf"));
  EXPECT_FALSE(file.Command2->isEnabled());
  EXPECT_EQ(file.loads(), 2) << "created, then activated";
}

// Time from the whole length at the bitrate, seconds rounding halves to even; "Next >" then
// asks for the rate check again.
TEST_F(FilePageTest, AnMp3ShowsItsNameTimeAndSize) {
  Form4& file = open_page();
  const struct {
    std::size_t bytes;
    const char* time;
    const char* size;
  } rows[] = {{4'000'000, "00:04:10", " 4 MB"},     // 250 s
              {40'000, "00:00:02", " 39.0625 kb"},  // 2.5 s
              {56'000, "00:00:04", " 54.6875 kb"},  // 3.5 s
              {48'000, "00:00:03", " 46.875 kb"}};
  for (const auto& row : rows) {
    answer = mp3("s" + std::to_string(row.bytes) + ".mp3", row.bytes);
    file.Command1->click();
    EXPECT_EQ(core::source_filename, answer);
    EXPECT_EQ(core::source_type, "mp3");
    EXPECT_EQ(file.Text1_Text(),
              "File name: " + answer + "\r\nFile time: " + row.time + "\r\nFile size:" + row.size)
        << row.bytes;
  }
  EXPECT_EQ(filters, std::vector<std::string>(4, "mp3(*.mp3)|*.mp3|wav files(*.wav)|*.wav"));
  EXPECT_EQ(saves, 0);
  EXPECT_TRUE(file.Command2->isEnabled());
  EXPECT_TRUE(boxes().shown().empty());
  core::rate_check_done = 1;
  file.Command2->click();
  EXPECT_EQ(core::rate_check_done, 0);
  qt_test::pump(50);
  ASSERT_TRUE(page<wizard::Form2>().isVisible()) << "Next leads to the gallery";
  page<wizard::Form2>().Command1->click();  // whose Back returns here
  qt_test::pump(50);
  ASSERT_TRUE(file.isVisible());

  // Back and Next again: the visit starts afresh but keeps the text.
  const std::string shown = file.Text1_Text();
  file.Command4->click();
  EXPECT_FALSE(file.isVisible());
  EXPECT_TRUE(page<form8>().isVisible());
  page<form8>().Command1->click();
  qt_test::pump(50);
  EXPECT_TRUE(file.isVisible());
  EXPECT_EQ(file.loads(), 4);
  EXPECT_EQ(core::source_filename, "");
  EXPECT_EQ(core::source_type, "");
  EXPECT_FALSE(file.Command2->isEnabled());
  EXPECT_EQ(file.Text1_Text(), shown);
}

// The WAV is encoded to the working MP3, which becomes the source. A WAV the encoder refuses
// (8-bit mono) passes every failure over: the working MP3, deleted and never written, still
// becomes the source, nothing new is shown, and "Next >" is enabled.
// A usable WAV becomes the working MP3; one the encoder cannot take is said so, with what
// the file holds, and the page then holds no file (not the previous one's details).
TEST_F(FilePageTest, AWavIsEncodedToTheWorkingMp3WhichBecomesTheSource) {
  const std::string tmp = core::spd_path("twav/tmp.mp3");
  Form4& file = open_page();
  const struct {
    const char* layout;
    int rate;
    const char* refusal;  // nullptr: encodes
  } rows[] = {{"-r 44100 -c 2 -b 16", 44100, nullptr},
              {"-r 44100 -c 2 -b 32", 44100, "32-bit samples, 2 channels, 44100 Hz"},
              {"-r 22050 -c 1 -b 8", 22050, "8-bit samples, 1 channel, 22050 Hz"}};
  for (const auto& row : rows) {
    testsupport::write_bytes(tmp, "an older working file");
    answer = wav(std::to_string(row.rate) + ".wav", row.layout, 2.0);
    const std::size_t shown = boxes().shown().size();
    file.Command1->click();
    EXPECT_EQ(core::source_sample_rate, row.rate);
    if (row.refusal) {
      EXPECT_TRUE(core::source_filename.empty());
      EXPECT_FALSE(file.Command2->isEnabled());
      EXPECT_FALSE(std::filesystem::exists(tmp));
      EXPECT_EQ(file.Text1_Text(), kNoFile);
      ASSERT_EQ(boxes().shown().size(), shown + 1);
      const std::string& message = boxes().shown().back().first;
      EXPECT_NE(message.find("Error 29671"), std::string::npos) << message;
      EXPECT_NE(message.find(row.refusal), std::string::npos) << message;
      continue;
    }
    EXPECT_EQ(core::source_filename, tmp);
    EXPECT_EQ(core::source_type, "mp3");
    EXPECT_TRUE(file.Command2->isEnabled());
    // A real MP3 of the sound: ffprobe reads its rate, channels and length.
    EXPECT_EQ(testsupport::capture(
                  "ffprobe -v error -show_entries stream=codec_name,sample_rate,channels -of csv=p=0 " +
                  quote(tmp)),
              "mp3,44100,2\n");
    EXPECT_NEAR(std::stod(testsupport::capture("ffprobe -v error -show_entries format=duration -of csv=p=0 " +
                                               quote(tmp))),
                2.0, 0.1);
    // The name shown is the working MP3's, with its time and size.
    const std::string text = file.Text1_Text();
    EXPECT_EQ(text.rfind("File name: " + tmp + "\r\nFile time: 00:00:0", 0), 0u) << text;
    EXPECT_NE(text.find("\r\nFile size: "), std::string::npos);
    EXPECT_NE(text.find(" kb"), std::string::npos);
    EXPECT_TRUE(boxes().shown().empty());
  }
  EXPECT_EQ(ended, 0);
}

// The page becomes active again when a dialog over it closes: that is no new visit.
TEST_F(FilePageTest, ClosingTheDialogDoesNotReloadThePage) {
  const std::string path = mp3("song.mp3");
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

// Files that show nothing new: a cancelled dialog; an MP3 without a frame header, whose
// error the program reports and survives; and a name that ends neither in "mp3" nor "wav",
// which computes nothing but is a name and so enables "Next >".
TEST_F(FilePageTest, ACancelledDialogOrAFileWithoutInformationShowsNothing) {
  testsupport::write_bytes(dir.file("silence.mp3"), std::string(4000, '\0'));
  Form4& file = open_page();
  const struct {
    std::string answer;
    bool next;
    const char* box;
  } rows[] = {{"", false, nullptr},
              {dir.file("silence.mp3"), false, "ERROR in file opening"},
              {mp3("LOUD.MP3"), true, nullptr}};
  for (const auto& row : rows) {
    file.Command4->click();  // each row on a fresh visit
    page<form8>().Command1->click();
    const std::size_t shown_before = boxes().texts().size();
    answer = row.answer;
    wizard_test::mouse_click(file.Command1);
    EXPECT_EQ(core::source_filename, row.answer);
    EXPECT_EQ(file.Text1_Text(), kNoFile) << row.answer;
    EXPECT_EQ(file.Command2->isEnabled(), row.next) << row.answer;
    const auto texts = boxes().texts();
    if (row.box) {
      ASSERT_GT(texts.size(), shown_before);
      EXPECT_EQ(texts[shown_before], row.box);
    } else {
      EXPECT_EQ(texts.size(), shown_before) << row.answer;
    }
  }
  EXPECT_EQ(core::source_type, "") << "an upper-case extension is no mp3";
  EXPECT_TRUE(file.isVisible());
  EXPECT_EQ(ended, 0);
}

TEST(CommonDialogFilter, BecomesThePlatformsFilter) {
  EXPECT_EQ(wizard::CommonDialog::platform_filter("mp3(*.mp3)|*.mp3|wav files(*.wav)|*.wav"),
            "mp3(*.mp3) (*.mp3);;wav files(*.wav) (*.wav)");
  EXPECT_EQ(wizard::CommonDialog::platform_filter("Flash (*.swf)|*.swf"), "Flash (*.swf) (*.swf)");
  EXPECT_EQ(wizard::CommonDialog::platform_filter("Sounds|*.mp3;*.wav"), "Sounds (*.mp3 *.wav)");
}

}  // namespace
