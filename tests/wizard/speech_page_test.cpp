#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <cmath>
#include <filesystem>
#include <set>
#include <tuple>

#include "core/paths.h"
#include "core/shared_state.h"
#include "platform/flash/flash_control.h"
#include "platform/speech/sp_voice.h"
#include "platform/speech/streams.h"
#include "support/audio_files.h"
#include "wizard/pages/step1_source_choice.h"
#include "wizard/pages/step2_speech.h"
#include "wizard/pages/step3_gallery.h"
#include "wizard_fixture.h"

namespace {

using wizard::Form10;
using wizard::page;

class SpeechPageTest : public wizard_test::PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    core::grabbed_text.clear();
  }

  Form10& open_page() {
    auto& step1 = page<wizard::form8>();
    step1.Show();
    step1.Option1->click();
    step1.Command1->click();
    qt_test::pump(50);
    return page<Form10>();
  }

  // A grab brings `text`: Timer4 runs, the text arrives in the box and the recording unlocks.
  static void fetched(Form10& form, const std::string& text) {
    form.Timer4->start();
    core::grabbed_text = text;
    form.set_Text1(text);
    ASSERT_TRUE(qt_test::wait_until([&] { return form.Command1->isEnabled(); }, 2000));
  }

  // Length in seconds and RMS loudness of the 16-bit spd/wvtemp/text.wav (speech varies a little).
  struct Recording {
    double seconds = 0, loudness = 0;
  };
  static Recording recorded() {
    const std::string stat = testsupport::capture(
        "sox " + testsupport::quote(core::spd_path("wvtemp/text.wav")) + " -n stat 2>&1");
    const auto value = [&](const std::string& name) {  // no samples: 0, not sox's nan
      const auto at = stat.find(name + ":");
      const double v = at == std::string::npos ? 0.0 : std::stod(stat.substr(at + name.size() + 1));
      return std::isnan(v) ? 0.0 : v;
    };
    return {value("Length (seconds)"), value("RMS     amplitude")};
  }

  static void pick(QComboBox* combo, const QString& text) {
    combo->setCurrentIndex(combo->findText(text));
    emit combo->activated(combo->currentIndex());
  }

  // Which of Start Recording Text, Play, Pause, Stop, GoTo Begining, Clear are enabled, with
  // "R" when "Resume" is shown and "P" when "Pause" is.
  static std::string states(const Form10& form) {
    std::string out;
    int i = 0;
    for (const QPushButton* button :
         {form.Command1, form.Command3, form.Command4, form.Command5, form.Command6, form.Command7})
      out += button->isEnabled() ? char('1' + i++) : (++i, '.');
    out += form.Command10->isVisible() ? " R" : "";
    out += form.Command4->isVisible() ? " P" : "";
    return out;
  }
};

TEST_F(SpeechPageTest, ListsKeepTheirVoicesAndTheFormatsComeAgainAtEachLoad) {
  Form10& form = open_page();
  EXPECT_FALSE(page<wizard::form8>().isVisible()) << "the speech page hides step 1 once loaded";
  EXPECT_EQ(form.Combo4->count(), 72);
  // Each entry is a voice of its own.
  std::set<std::string> voices;
  for (QComboBox* combo : {form.Combo2, form.Combo3}) {
    for (int row = 0; row < combo->count(); ++row) {
      pick(combo, combo->itemText(row));
      voices.insert(form.Voice->Voice().Id());
    }
  }
  EXPECT_EQ(form.Combo2->count(), 5);
  EXPECT_EQ(form.Combo3->count(), 4);
  EXPECT_EQ(voices.size(), 9u);
  form.load();
  EXPECT_EQ(form.Combo2->count(), 5);
  EXPECT_EQ(form.Combo3->count(), 4);
  EXPECT_EQ(form.Combo4->count(), 108);
  EXPECT_FALSE(form.Option1->isChecked() || form.Option2->isChecked());
}

// Its timers, running on behind later pages, tick no faster than a display frame (not every 1 ms).
TEST_F(SpeechPageTest, ItsTimersTickNoFasterThanTheScreen) {
  Form10& form = open_page();
  page<wizard::Form2>().Show();
  int ticks = 0;
  const auto counting = QObject::connect(form.Timer4, &QTimer::timeout, [&] { ++ticks; });
  qt_test::pump(500);
  QObject::disconnect(counting);
  EXPECT_GT(ticks, 5);
  EXPECT_LE(ticks, 35) << "ticks in half a second";
}

TEST_F(SpeechPageTest, LauraWhileDefaultVoiceIsSelectedTurnsToTheNaturalKind) {
  Form10& form = open_page();
  form.Option1->click();
  EXPECT_EQ(form.Voice->AudioOutputStream()->Format().Type(), 23);
  const std::string sam = form.Voice->Voice().Id();
  pick(form.Combo3, "Laura");
  EXPECT_TRUE(form.Option2->isChecked());
  EXPECT_FALSE(form.Option1->isChecked());
  EXPECT_EQ(form.Voice->AudioOutputStream()->Format().Type(), 19);
  EXPECT_EQ(form.Voice->Voice().GetDescription(), "ATT DTNV1.4 Crystal16");
  EXPECT_NE(form.Voice->Voice().Id(), sam);
  EXPECT_EQ(form.ShockwaveFlash4->movie(), core::spd_path("SWF/natural_voice_selected.swf"));
}

TEST_F(SpeechPageTest, TestVoiceWantsAKindAndItsEndReturnsToIdle) {
  Form10& form = open_page();
  form.Command8_Click();
  EXPECT_EQ(boxes().texts(), std::vector<std::string>{"Please selcet the Voice First"});
  EXPECT_TRUE(Form10::voice_test_idle);

  form.Option2->click();
  form.Command8_Click();
  EXPECT_FALSE(Form10::voice_test_idle);
  EXPECT_TRUE(form.Command9->isVisible());
  EXPECT_FALSE(form.Command8->isVisible());
  EXPECT_EQ(form.Command9->geometry(), form.Command8->geometry());
  form.Command8_Click();  // while a test runs: nothing
  EXPECT_TRUE(qt_test::wait_until([] { return Form10::voice_test_idle; }, 20000)) << "EndStream";
  EXPECT_TRUE(form.Command8->isVisible() && form.Command8->isEnabled());
  EXPECT_FALSE(form.Command9->isVisible());
}

TEST_F(SpeechPageTest, RecordingWithoutAKindStillWritesTheFilesAndPlaybackStatesFollowTheClicks) {
  Form10& form = open_page();
  EXPECT_EQ(states(form), ".....6 P");
  EXPECT_FALSE(form.Command12->isEnabled());
  core::grabbed_text = "Hello.World";
  form.set_Text1(core::grabbed_text);
  qt_test::pump(20);
  EXPECT_EQ(states(form), "1....6 P") << "Timer4 unlocks the recording once text has arrived";
  EXPECT_EQ(form.ShockwaveFlash2->movie(), core::spd_path("SWF/start_recording.swf"));

  form.Command1_Click();
  EXPECT_EQ(boxes().texts(), std::vector<std::string>{"Nothing was recorded: no voice is chosen.\nChoose "
                                                      "\"Default Voice\" or \"Natural Voice\", then press "
                                                      "\"Start Recording Text\" again."});
  EXPECT_TRUE(std::filesystem::exists(core::spd_path("wvtemp/text.wav")));
  EXPECT_TRUE(std::filesystem::exists(core::drive_c_path("text.wav")));
  EXPECT_TRUE(form.Command12->isEnabled());
  EXPECT_FALSE(form.Timer4->isActive());
  EXPECT_EQ(states(form), "12..56 P");

  const struct {
    void (Form10::*click)();
    const char* expected;
  } steps[] = {
      {&Form10::Command3_Click, ".234.. P"},  {&Form10::Command4_Click, ".2.4.. R"},
      {&Form10::Command10_Click, ".234.. P"}, {&Form10::Command5_Click, ".23456 P"},
      {&Form10::Command5_Click, ".23456 P"},  {&Form10::Command6_Click, ".2..56 P"},
      {&Form10::Command7_Click, "12..56 P"},
  };
  for (const auto& step : steps) {
    (form.*step.click)();
    EXPECT_EQ(states(form), step.expected);
  }

  // The recording holds no sound: it is no source. Spoken by a voice, it is.
  form.Command12_Click();
  EXPECT_EQ(boxes().texts().size(), 2u);
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(core::source_filename.empty());
  form.Option1->click();
  form.Command1_Click();
  EXPECT_EQ(boxes().texts().size(), 2u);
  form.Command12_Click();
  EXPECT_EQ(core::source_filename, core::spd_path("wvtemp/text.wav"));
  EXPECT_EQ(core::source_type, "wav");
  EXPECT_EQ(core::step_code, 10);
  EXPECT_TRUE(core::grabbed_text.empty());
  EXPECT_TRUE(wizard::page(2)->isVisible()) << "on to the gallery";
  EXPECT_FALSE(form.isVisible());
}

TEST_F(SpeechPageTest, ARecordingWithoutSoundIsToldAtOnceAndNeverHandedOn) {
  Form10& form = open_page();
  form.Option1->click();
  fetched(form, "Hello.World");
  const std::string recording = core::spd_path("wvtemp/text.wav");
  // The box or the volume gives no sound: no samples, or only silent ones.
  for (const auto& [box, volume, cause] : {std::tuple{"", 100, "the box holds no text to speak."},
                                           std::tuple{" . , . ", 100, "the text in the box gives no speech."},
                                           std::tuple{"Hello.World", 0, "the volume is at 0."}}) {
    SCOPED_TRACE(box);
    form.Text1->setPlainText(box);
    form.volume_slider->setValue(volume);
    const std::size_t told = boxes().texts().size();
    ASSERT_TRUE(form.Command1->isEnabled());
    form.Command1_Click();
    ASSERT_TRUE(std::filesystem::exists(recording));
    EXPECT_EQ(recorded().loudness, 0);
    ASSERT_EQ(boxes().texts().size(), told + 1) << "told at once";
    EXPECT_TRUE(boxes().texts().back().starts_with(std::string("Nothing was recorded: ") + cause))
        << boxes().texts().back();
    EXPECT_EQ(form.ShockwaveFlash4->movie(), core::spd_path("SWF/can_record_sound_again.swf"));

    form.Command12_Click();
    ASSERT_EQ(boxes().texts().size(), told + 2);
    EXPECT_TRUE(boxes().texts().back().starts_with("There is no recording to go on with"));
    EXPECT_TRUE(core::source_filename.empty());
    EXPECT_FALSE(page<wizard::Form2>().isVisible());
  }
  EXPECT_GT(std::filesystem::file_size(recording), 44u) << "the volume at 0 writes silent samples";

  form.volume_slider->setValue(100);
  form.Command1_Click();
  EXPECT_EQ(boxes().texts().size(), 6u);
  EXPECT_EQ(form.ShockwaveFlash4->movie(), core::spd_path("SWF/recording_text_complete.swf"));
  form.Command12_Click();
  EXPECT_EQ(core::source_filename, recording);
  EXPECT_TRUE(wizard::page(2)->isVisible());
}

TEST_F(SpeechPageTest, TheSlidersAndTheListShowHowAndWhoSpeaksAlsoAfterTheGalleryAndBack) {
  Form10& form = open_page();
  const std::string text = "The rate and the volume of this voice are those the sliders show.";
  form.Option1->click();
  fetched(form, text);
  form.Command1_Click();
  const Recording normal = recorded();

  form.rate_slider->setValue(form.rate_slider->maximum());
  form.volume_slider->setValue(30);
  pick(form.Combo2, "Microsoft Mike");
  form.Command1_Click();
  const Recording chosen = recorded();
  EXPECT_LT(chosen.seconds, normal.seconds * 0.6) << normal.seconds;
  EXPECT_LT(chosen.loudness, normal.loudness * 0.5) << normal.loudness;

  // Natural Voice and back to Default Voice: the voice is the one its list shows.
  form.Option2->click();
  form.Option1->click();
  EXPECT_EQ(form.Combo2->currentText(), "Microsoft Mike");
  EXPECT_EQ(form.Voice->Voice().GetDescription(), "Microsoft Mike");

  // To the gallery and back: the page loads anew, the sliders and the list show what they showed.
  form.Command12_Click();
  const int loads = form.loads();
  page<wizard::Form2>().Command1_Click();
  ASSERT_TRUE(qt_test::wait_until([&] { return form.isVisible() && form.loads() > loads; }, 5000));
  EXPECT_EQ(form.rate_slider->value(), form.rate_slider->maximum());
  EXPECT_EQ(form.volume_slider->value(), 30);
  EXPECT_EQ(form.Combo2->currentText(), "Microsoft Mike");
  form.Option1->click();
  EXPECT_EQ(form.Voice->Voice().GetDescription(), "Microsoft Mike") << "the voice the list shows";
  fetched(form, text);
  form.Command1_Click();
  const Recording again = recorded();
  EXPECT_NEAR(again.seconds / chosen.seconds, 1.0, 0.15) << "the rate the slider shows";
  EXPECT_NEAR(again.loudness / chosen.loudness, 1.0, 0.3) << "the volume the slider shows";
}

}  // namespace
