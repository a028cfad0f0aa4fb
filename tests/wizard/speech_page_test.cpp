#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <filesystem>
#include <set>

#include "core/paths.h"
#include "core/shared_state.h"
#include "platform/flash/flash_control.h"
#include "platform/speech/sp_voice.h"
#include "platform/speech/streams.h"
#include "wizard/pages/step1_source_choice.h"
#include "wizard/pages/step2_speech.h"
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
  qt_test::pump(20);
  EXPECT_EQ(states(form), "1....6 P") << "Timer4 unlocks the recording once text has arrived";
  EXPECT_EQ(form.ShockwaveFlash2->movie(), core::spd_path("SWF/start_recording.swf"));

  form.Command1_Click();
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

  form.Command12_Click();
  EXPECT_EQ(core::source_filename, core::spd_path("wvtemp/text.wav"));
  EXPECT_EQ(core::source_type, "wav");
  EXPECT_EQ(core::step_code, 10);
  EXPECT_TRUE(core::grabbed_text.empty());
  EXPECT_TRUE(wizard::page(2)->isVisible()) << "on to the gallery";
  EXPECT_FALSE(form.isVisible());
}

}  // namespace
