// The source pages against the private PulseAudio and X server: a tone played into the sink
// while the microphone page records comes back in microphone.wav; its playback is heard and
// Pause holds it; the speech page speaks the text selected in a real editor window.

#include <QComboBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <tuple>

#include "audio/speech/text_cleanup.h"
#include "core/errors.h"
#include "core/paths.h"
#include "mci/sound_env.h"
#include "platform/flash/flash_control.h"
#include "platform/speech/sp_voice.h"
#include "platform/x11/x11_window_functions.h"
#include "support/audio_files.h"
#include "wizard/pages/step1_source_choice.h"
#include "wizard/pages/step2_microphone.h"
#include "wizard/pages/step2_speech.h"
#include "wizard/pages/step3_gallery.h"
#include "wizard/wizard_fixture.h"

namespace {

using soundtest::spin;

std::string format_of(const std::string& path) {
  return testsupport::capture(
      "ffprobe -v error -show_entries stream=codec_name,sample_rate,channels -of csv=p=0 " +
      testsupport::quote(path));
}

double seconds_of(const std::string& path) {
  return std::stod("0" + testsupport::capture("ffprobe -v error -show_entries format=duration -of csv=p=0 " +
                                              testsupport::quote(path)));
}

class SourcePages : public wizard_test::PageTest {
 protected:
  void SetUp() override {
    if (!std::getenv("PULSE_SERVER")) GTEST_SKIP() << "needs the private PulseAudio of scripts/test.sh";
    ASSERT_EQ(testsupport::run("pactl info >/dev/null 2>&1"), 0) << "PulseAudio does not answer";
    PageTest::SetUp();
    core::voice_lists_filled = 0;  // as step 1 leaves it
    core::grabbed_text.clear();
  }

  // Starts the editor window of the grab tests and brings it to the front.
  void start_editor(QProcess& editor) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs the X server of scripts/test.sh";
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "xcb");
    editor.setProcessEnvironment(environment);
    editor.start(QString::fromStdString((testsupport::build_dir() / "grab_target").string()), {});
    platform::X11WindowFunctions windows;
    ASSERT_TRUE(qt_test::wait_until(
        [&] {
          core::ignore_errors([&] { windows.AppActivate(kEditor); });
          return windows.window_title(windows.GetForegroundWindow()) == kEditor;
        },
        10000));
  }

  static constexpr const char* kEditor = "notes.txt - Text Editor";

  // A page shown and activated (which loads it a second time).
  template <class Page>
  Page& shown() {
    auto& form = wizard::page<Page>();
    form.Show();
    EXPECT_TRUE(qt_test::wait_until([&] { return form.loads() == 2; }, 2000));
    return form;
  }
};

TEST_F(SourcePages, MicrophonePageRecordsTheToneAndItsPlayerPausesIt) {
  const std::string tone = appdir.spd("tone.wav");
  testsupport::sox_tone(tone, 22050, 2, 16, 1.0, "sine 1000");
  auto& form = shown<wizard::Form9>();
  form.Command1_Click();
  spin(300);
  ASSERT_EQ(testsupport::run("paplay " + testsupport::quote(tone)), 0);
  spin(300);
  form.Command2_Click();
  EXPECT_TRUE(boxes().shown().empty()) << boxes().shown().front().first;
  const std::string recording = testsupport::read_bytes(core::spd_path("wvtemp/microphone.wav"));
  EXPECT_EQ(format_of(core::spd_path("wvtemp/microphone.wav")), "pcm_s16le,22050,2\n");
  const auto recorded = soundtest::tone_segments(recording, 44, 4, 22050);
  ASSERT_EQ(recorded.size(), 1u) << soundtest::describe(recorded);
  EXPECT_NEAR(recorded[0].length, 1.0, 0.1);

  soundtest::Listener listener;
  form.Command3_Click();
  spin(static_cast<int>(recorded[0].start * 1000) + 400);
  form.Command4_Click();
  spin(1000);
  form.Command8_Click();
  spin(1500);
  const auto heard = listener.segments();
  ASSERT_EQ(heard.size(), 2u) << soundtest::describe(heard);
  EXPECT_GT(heard[1].start - (heard[0].start + heard[0].length), 0.8) << "Pause holds the sound";
  EXPECT_NEAR(heard[0].length + heard[1].length, 1.0, 0.15);
}

// Leaving while recording: "Next >" hands the take on, "< Back" drops it; nothing records after.
TEST_F(SourcePages, LeavingTheMicrophonePageWhileItRecordsEndsTheTake) {
  auto& form = shown<wizard::Form9>();
  const auto record = [&](double seconds) {
    const std::string tone = appdir.spd("tone.wav");
    testsupport::sox_tone(tone, 22050, 2, 16, seconds, "sine 1000");
    wizard_test::mouse_click(form.Command1);
    spin(300);
    ASSERT_EQ(testsupport::run("paplay " + testsupport::quote(tone)), 0);
    spin(300);
  };
  const auto nothing_records = [] {
    EXPECT_EQ(soundtest::mci("status recsound mode"), platform::mci_error::kDeviceNotOpen);
    EXPECT_EQ(soundtest::recording_streams(), "") << "a stream still takes the microphone";
  };
  record(1.0);  // take A
  wizard_test::mouse_click(form.Command2);
  wizard_test::mouse_click(form.Command7);
  record(2.0);  // take B, and on without "Stop Recording"
  wizard_test::mouse_click(form.Command11);
  EXPECT_TRUE(wizard::page<wizard::Form2>().isVisible());
  EXPECT_TRUE(boxes().shown().empty()) << boxes().shown().front().first;
  EXPECT_EQ(core::source_filename, core::spd_path("wvtemp/microphone.wav"));
  const auto heard = soundtest::tone_segments(testsupport::read_bytes(core::source_filename), 44, 4, 22050);
  ASSERT_EQ(heard.size(), 1u) << soundtest::describe(heard);
  EXPECT_NEAR(heard[0].length, 2.0, 0.1) << "take B";
  nothing_records();

  const auto visit = [&] {
    const int loads = form.loads();
    form.Show();
    ASSERT_TRUE(qt_test::wait_until([&] { return form.loads() > loads; }, 2000));
  };
  visit();
  record(0.5);
  wizard_test::mouse_click(form.Command10);
  EXPECT_TRUE(wizard::page<wizard::form8>().isVisible());
  nothing_records();
  EXPECT_FALSE(std::filesystem::exists(core::spd_path("wvtemp/microphone.wav")));

  // A take that cannot be saved is told and the page stays.
  std::filesystem::remove(core::drive_c_path("NewWav.wav"));
  std::filesystem::create_directories(core::drive_c_path("NewWav.wav"));
  wizard::page<wizard::Form2>().Hide();
  core::source_filename.clear();
  visit();
  record(0.5);
  wizard_test::mouse_click(form.Command11);
  EXPECT_EQ(boxes().texts(),
            std::vector<std::string>{soundtest::error_text(platform::mci_error::kCannotSave)});
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(wizard::page<wizard::Form2>().isVisible());
  EXPECT_EQ(core::source_filename, "");
  nothing_records();
}

TEST_F(SourcePages, SpeechPageSpeaksTheTextSelectedInAnotherWindow) {
  QProcess editor;
  start_editor(editor);
  const std::string title = kEditor;

  ASSERT_EQ(testsupport::run("xdotool key ctrl+a"), 0);  // the user selects the editor's text
  auto& form = shown<wizard::Form10>();
  form.Option1->click();
  ASSERT_TRUE(qt_test::wait_until([&] { return core::target_title == title; }, 5000));
  form.Command14_Click();
  qt_test::wait_until([] { return !core::grabbed_text.empty(); }, 3000);
  ASSERT_EQ(core::grabbed_text,
            "Gr\u00fc\u00dfe aus K\u00f6ln \u2014 na\u00efve caf\u00e9, \u6771\u4eac.\nSecond line");
  EXPECT_EQ(form.Text1->toPlainText().toStdString(), core::grabbed_text);
  ASSERT_TRUE(qt_test::wait_until([&] { return form.Command1->isEnabled(); }, 1000));

  form.Command1_Click();
  const std::string recording = core::spd_path("wvtemp/text.wav");
  EXPECT_EQ(format_of(recording), "pcm_s16le,22050,2\n");
  EXPECT_GT(seconds_of(recording), 1.5);
  EXPECT_EQ(testsupport::read_bytes(recording), testsupport::read_bytes(core::drive_c_path("text.wav")));
  editor.terminate();
  editor.waitForFinished(3000);
}

TEST_F(SourcePages, NaturalVoiceSpeaksInItsFormatAndBadBytesDoNotStopIt) {
  auto& form = shown<wizard::Form10>();
  form.Combo3->setCurrentIndex(form.Combo3->findText("Kate"));
  emit form.Combo3->activated(form.Combo3->currentIndex());
  core::grabbed_text = "Hello \xff\xfe world, this is a test.";
  form.set_Text1(core::grabbed_text);
  ASSERT_TRUE(qt_test::wait_until([&] { return form.Command1->isEnabled(); }, 1000));
  form.Command1_Click();
  EXPECT_EQ(format_of(core::spd_path("wvtemp/text.wav")), "pcm_s16le,16000,2\n");
  EXPECT_GT(seconds_of(core::spd_path("wvtemp/text.wav")), 1.0);
  EXPECT_TRUE(form.Command12->isEnabled());
}

TEST_F(SourcePages, AGrabThatFetchesNothingLeavesThePageAsItWasAndTheBoxIsWhatIsSpoken) {
  QProcess editor;
  start_editor(editor);
  auto& form = shown<wizard::Form10>();
  form.Option1->click();
  ASSERT_TRUE(qt_test::wait_until([&] { return core::target_title == kEditor; }, 5000));
  const auto page_state = [&] {  // all a grab may change
    return std::tuple(form.Text1->toPlainText().toStdString(), core::grabbed_text, form.Command1->isEnabled(),
                      form.ShockwaveFlash2->movie());
  };
  const auto fetch_nothing = [&] {
    const auto before = page_state();
    const std::size_t told = boxes().texts().size();
    form.Command14_Click();
    ASSERT_TRUE(qt_test::wait_until([&] { return boxes().texts().size() > told; }, 10000)) << "not told";
    EXPECT_EQ(boxes().texts().size(), told + 1);
    EXPECT_NE(boxes().texts().back().find(kEditor), std::string::npos) << boxes().texts().back();
    EXPECT_FALSE(form.Timer3->isActive());
    spin(100);
    EXPECT_EQ(page_state(), before);
  };

  // The editor has nothing selected yet.
  fetch_nothing();
  EXPECT_FALSE(form.Command1->isEnabled());

  // Then it has its whole text selected.
  ASSERT_EQ(testsupport::run("xdotool key ctrl+a"), 0);
  form.Command14_Click();
  ASSERT_TRUE(qt_test::wait_until([&] { return form.Command1->isEnabled(); }, 6000));
  form.Command1_Click();
  const std::string recording = core::spd_path("wvtemp/text.wav");
  const double fetched_seconds = seconds_of(recording);
  EXPECT_GT(fetched_seconds, 1.5);

  // The editor is closed: the page keeps its text, and a recording speaks it again.
  editor.terminate();
  ASSERT_TRUE(editor.waitForFinished(3000));
  fetch_nothing();
  EXPECT_FALSE(form.Timer4->isActive());
  const std::size_t told = boxes().texts().size();
  form.Command1_Click();
  EXPECT_EQ(boxes().texts().size(), told);
  EXPECT_NEAR(seconds_of(recording), fetched_seconds, 0.3);

  // Words typed into the box are spoken as the voice alone speaks them.
  const std::string words = "Typed.Words, not fetched.";
  form.Text1->setPlainText(QString::fromStdString(words));
  form.Command1_Click();
  EXPECT_EQ(boxes().texts().size(), told);
  sapi::SpVoice voice;
  voice.setVoice(form.Voice->Voice());
  auto stream = std::make_shared<sapi::SpFileStream>();
  stream->Format().setType(23);
  const std::string reference = appdir.spd("typed.wav");
  stream->Open(reference, sapi::SSFMCreateForWrite, false);
  voice.setAudioOutputStream(stream);
  voice.Speak(Module51::prepare_speech_text(words));
  stream->Close();
  EXPECT_LT(seconds_of(reference), fetched_seconds - 1);
  EXPECT_NEAR(seconds_of(recording), seconds_of(reference), 0.4);
}

}  // namespace
