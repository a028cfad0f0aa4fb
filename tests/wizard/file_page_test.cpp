#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <cmath>
#include <regex>

#include "audio/codec/mp3_info.h"
#include "core/paths.h"
#include "core/shared_state.h"
#include "platform/flash/flash_control.h"
#include "support/audio_files.h"
#include "wizard/framework/file_dialog.h"
#include "wizard/pages/step1_source_choice.h"
#include "wizard/pages/step2_file.h"
#include "wizard/pages/step3_gallery.h"
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

  // A 128 kbit/s MP3 from lame of `seconds`, padded with zero bytes to exactly `length` bytes when given.
  std::string mp3(const std::string& name, std::size_t length = 0, double seconds = 1.0) {
    const std::string source = wav(name + ".wav", "-r 44100 -c 2 -b 16", seconds);
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
  EXPECT_EQ(file.Text1_Text(), kNoFile);
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
  } rows[] = {{40'000, "00:00:02", " 39.0625 kb"},   // 2.5 s
              {56'000, "00:00:04", " 54.6875 kb"}};  // 3.5 s
  for (const auto& row : rows) {
    answer = mp3("s" + std::to_string(row.bytes) + ".mp3", row.bytes);
    file.Command1->click();
    EXPECT_EQ(core::source_filename, answer);
    EXPECT_EQ(core::source_type, "mp3");
    EXPECT_EQ(file.Text1_Text(),
              "File name: " + answer + "\r\nFile time: " + row.time + "\r\nFile size:" + row.size)
        << row.bytes;
  }
  // A picture in the leading tag plays no time: the time is the sound's.
  const std::string picture = "\xFF\xD8\xFF\xE0" + std::string(800'000, '\x11');
  std::string frame = "APIC" + std::string(4, '\0') + std::string("\0\0\0image/jpeg\0\x03\0", 16) + picture;
  for (int i = 0, size = static_cast<int>(frame.size()) - 10; i < 4; ++i)
    frame[4 + i] = char(size >> (24 - 8 * i));
  std::string tag = std::string("ID3\x03\0\0", 6);
  for (int i = 0, size = static_cast<int>(frame.size()); i < 4; ++i) tag += char(size >> (21 - 7 * i) & 0x7F);
  answer = dir.file("tagged.mp3");
  testsupport::write_bytes(answer, tag + frame + testsupport::read_bytes(mp3("four.mp3", 0, 4.0)));
  file.Command1->click();
  EXPECT_EQ(file.Text1_Text().rfind("File name: " + answer + "\r\nFile time: 00:00:04\r\nFile size: 8", 0),
            0u)
      << file.Text1_Text();
  EXPECT_EQ(filters, std::vector<std::string>(3, "mp3(*.mp3)|*.mp3|wav files(*.wav)|*.wav"));
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

// Frames of varying bitrates play as long as their count says (a VBR header's, else the frames'),
// not as the size at the first frame's bitrate; ffprobe's count of the frames is the oracle.
TEST_F(FilePageTest, AVariableBitrateFileShowsItsTruePlayTime) {
  Form4& file = open_page();
  const std::pair<const char*, const char*> rows[] = {
      {"-V 2", "5.04"}, {"--abr 128", "60"}, {"-t --abr 128", "60"}};  // -t: no header, the frames are walked
  for (const auto& [options, seconds] : rows) {
    SCOPED_TRACE(std::string(options) + " for " + seconds + " s");
    const std::string wav = dir.file("chord.wav");  // a chord varies the frame sizes
    answer = dir.file("vbr.mp3");
    ASSERT_EQ(testsupport::run("sox -n -r 44100 -c 2 -b 16 " + quote(wav) + " synth " + seconds +
                               " sine 440 sine 660 tremolo 3 && lame --quiet " + options + " " + quote(wav) +
                               " " + quote(answer)),
              0);
    const double probed =
        std::stod(testsupport::capture(
            "ffprobe -v error -count_packets -show_entries stream=nb_read_packets -of csv=p=0 " +
            quote(answer))) *
        1152 / 44100;
    file.Command1->click();
    EXPECT_TRUE(boxes().shown().empty());
    EXPECT_TRUE(file.Text1_Text().starts_with(
        "File name: " + answer +
        "\r\nFile time: " + Module55::format_duration(static_cast<std::int32_t>(std::nearbyint(probed)))))
        << file.Text1_Text();
  }
}

// A usable WAV (its extension in any case) becomes the working MP3; one the encoder cannot
// take is said so, with what the file holds, and the page keeps the sound it had.
TEST_F(FilePageTest, AWavIsEncodedToTheWorkingMp3WhichBecomesTheSource) {
  const std::string tmp = core::spd_path("twav/tmp.mp3");
  Form4& file = open_page();
  const struct {
    const char* name;
    const char* layout;
    int rate;
    const char* refusal;  // nullptr: encodes
  } rows[] = {{"REC.WAV", "-r 44100 -c 2 -b 16", 44100, nullptr},
              {"32.wav", "-r 44100 -c 2 -b 32", 44100, "32-bit samples, 2 channels, 44100 Hz"},
              {"8.Wav", "-r 22050 -c 1 -b 8", 22050, "8-bit samples, 1 channel, 22050 Hz"}};
  for (const auto& row : rows) {
    testsupport::write_bytes(tmp, "an older working file");
    answer = wav(row.name, row.layout, 2.0);
    const std::string kept = testsupport::read_bytes(tmp), text = file.Text1_Text();
    const std::size_t shown = boxes().shown().size();
    file.Command1->click();
    EXPECT_EQ(core::source_sample_rate, row.rate);
    if (row.refusal) {
      EXPECT_EQ(core::source_filename, tmp);
      EXPECT_TRUE(file.Command2->isEnabled());
      EXPECT_EQ(testsupport::read_bytes(tmp), kept);
      EXPECT_EQ(file.Text1_Text(), text);
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
    const std::string text_now = file.Text1_Text();
    EXPECT_EQ(text_now.rfind("File name: " + tmp + "\r\nFile time: 00:00:02\r\nFile size: ", 0), 0u)
        << text_now;
    EXPECT_NE(text_now.find(" kb"), std::string::npos);
    EXPECT_TRUE(boxes().shown().empty());
  }
  EXPECT_EQ(ended, 0);
}

// A WAV at a rate the encoder lists no settings for (96 kHz; a format chunk behind another, where
// the rate probe finds none) keeps its length and pitch; a rate it cannot take is refused by name.
TEST_F(FilePageTest, AWavAtAnUnlistedRateKeepsItsLengthAndPitch) {
  using namespace testsupport;
  const std::string tmp = core::spd_path("twav/tmp.mp3"), decoded = quote(dir.file("decoded.wav"));
  const std::string tone = pcm_of(read_bytes(wav("t.wav", "-r 44100 -c 2 -b 16", 3.0)));
  write_bytes(dir.file("junk.wav"),
              riff("WAVE", chunk("JUNK", std::string(28, '\0')) + chunk("fmt ", fmt_payload(2, 44100, 16)) +
                               chunk("data", tone)));
  const auto probe = [&](const std::string& entry) {
    return capture("ffprobe -v error -show_entries " + entry + " -of csv=p=0 " + quote(tmp));
  };
  Form4& file = open_page();
  for (const auto& [source, rate] :
       {std::pair<std::string, const char*>{wav("hi.wav", "-r 96000 -c 2 -b 16", 3.0), "22050"},
        {dir.file("junk.wav"), "44100"}}) {
    SCOPED_TRACE(source);
    answer = source;
    file.Command1->click();
    EXPECT_TRUE(boxes().shown().empty());
    EXPECT_TRUE(file.Text1_Text().starts_with("File name: " + tmp + "\r\nFile time: 00:00:03\r\n"))
        << file.Text1_Text();
    EXPECT_EQ(probe("stream=sample_rate"), std::string(rate) + "\n");
    EXPECT_NEAR(std::stod(probe("format=duration")), 3.0, 0.1);
    ASSERT_EQ(run("mpg123 -q -w " + decoded + " " + quote(tmp)), 0);  // the pitch, as sox finds it
    const std::string stat = capture("sox " + decoded + " -n remix 1 stat 2>&1");
    ASSERT_NE(stat.find("Rough   frequency:"), std::string::npos) << stat;
    EXPECT_NEAR(std::stod(stat.substr(stat.find("Rough   frequency:") + 18)), 440, 10);
  }

  const std::string shown = file.Text1_Text(), kept = read_bytes(tmp);
  for (const std::uint32_t rate : {0u, 7999u, 192001u, 1000000u}) {
    SCOPED_TRACE(rate);
    answer = dir.file("r" + std::to_string(rate) + ".wav");
    write_bytes(answer, stereo_wav(tone, rate));
    const std::size_t before = boxes().shown().size();
    file.Command1->click();
    ASSERT_EQ(boxes().shown().size(), before + 1);
    const std::string& message = boxes().shown().back().first;
    EXPECT_TRUE(std::regex_search(message, std::regex("Error 29772:[^\r]* " + std::to_string(rate) + " Hz")))
        << message;
    EXPECT_TRUE(core::source_filename == tmp && file.Text1_Text() == shown && read_bytes(tmp) == kept);
  }
  EXPECT_EQ(ended, 0);
}

// A movie holds at most 45 min 30.6 s of sound, and a WAV is measured at its own rate: 5 min 40 s
// at 192 kHz (silence, sparse) would last 49 min 20 s taken as 22050 Hz.
TEST_F(FilePageTest, AWavIsMeasuredAtItsOwnRateAgainstTheLongestMovie) {
  using namespace testsupport;
  const std::uint32_t bytes = 340u * 192000 * 4;
  answer = dir.file("long.wav");
  write_bytes(answer,
              riff("WAVE", chunk("fmt ", fmt_payload(2, 192000, 16)) + chunk("data", "", bytes), 36 + bytes));
  std::filesystem::resize_file(answer, 44 + bytes);
  Form4& file = open_page();
  file.Command1->click();
  EXPECT_EQ(boxes().texts(), std::vector<std::string>());
  EXPECT_TRUE(file.Text1_Text().starts_with("File name: " + core::spd_path("twav/tmp.mp3") +
                                            "\r\nFile time: 00:05:40\r\n"))
      << file.Text1_Text();
  EXPECT_TRUE(file.Command2->isEnabled());
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

// "Next >" goes with a usable sound. A cancelled dialog leaves the page without a file; a file
// that cannot be used is told, and the text, the source and "Next >" stay as they were: an MP3
// without a frame header, a name neither MP3 nor WAV, a sound longer than a movie can hold.
TEST_F(FilePageTest, OnlyAUsableSoundEnablesNext) {
  testsupport::write_bytes(dir.file("silence.mp3"), std::string(4000, '\0'));
  testsupport::write_bytes(dir.file("notes.txt"), "la la");
  // 53,000 frames of 576 samples at 11025 Hz: 46 min 9.0 s, one encoded frame repeated.
  std::string frame = std::string("\xFF\xE3\x10\x64", 4) + std::string(48, '\0');  // 8 kbit/s, 52 bytes
  std::string sound;
  for (int i = 0; i < 53'000; ++i) sound += frame;
  testsupport::write_bytes(dir.file("LONG.MP3"), sound + "TAG" + std::string(125, ' '));
  const struct {
    std::string answer;
    const char* box;
  } refused[] = {{dir.file("silence.mp3"), "ERROR in file opening"},
                 {dir.file("notes.txt"), " is neither an MP3 nor a WAV file."},
                 {dir.file("LONG.MP3"), "Error 6: The sound is too long for a movie: it lasts 46 min 9.0 s"}};
  Form4& file = open_page();
  for (const std::string& held : {std::string(), mp3("SONG.MP3")}) {
    answer = held;  // "" cancels the dialog
    wizard_test::mouse_click(file.Command1);
    const std::string text = file.Text1_Text();
    EXPECT_EQ(text.rfind(held.empty() ? kNoFile : "File name: " + held + "\r\nFile time: 00:00:01", 0), 0u);
    for (const auto& row : refused) {
      const std::size_t shown = boxes().texts().size();
      answer = row.answer;
      wizard_test::mouse_click(file.Command1);
      EXPECT_EQ(core::source_filename, held) << row.answer;
      EXPECT_EQ(core::source_type, held.empty() ? "" : "mp3");
      EXPECT_EQ(file.Text1_Text(), text) << row.answer;
      EXPECT_EQ(file.Command2->isEnabled(), !held.empty()) << row.answer;
      ASSERT_GT(boxes().texts().size(), shown);
      EXPECT_NE(boxes().texts()[shown].find(row.box), std::string::npos) << boxes().texts()[shown];
    }
  }
  EXPECT_TRUE(file.isVisible());
  EXPECT_EQ(ended, 0);
}

TEST(CommonDialogFilter, BecomesThePlatformsFilter) {
  EXPECT_EQ(wizard::CommonDialog::platform_filter("Flash (*.swf)|*.swf"), "Flash (*.swf) (*.swf)");
  EXPECT_EQ(wizard::CommonDialog::platform_filter("Sounds|*.mp3;*.wav"), "Sounds (*.mp3 *.wav)");
}

}  // namespace
