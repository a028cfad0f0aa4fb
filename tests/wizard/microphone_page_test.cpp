#include <QPushButton>
#include <QRadioButton>
#include <filesystem>

#include "core/paths.h"
#include "core/shared_state.h"
#include "mci/sound_env.h"
#include "wizard/pages/step1_source_choice.h"
#include "wizard/pages/step2_microphone.h"
#include "wizard/pages/step3_gallery.h"
#include "wizard/pages/step4_choice.h"
#include "wizard/pages/step5_fixed.h"
#include "wizard_fixture.h"

namespace {

using wizard::Form9;
using wizard::page;

class MicrophonePageTest : public wizard_test::PageTest {
 protected:
  Form9& open_page() {
    auto& step1 = page<wizard::form8>();
    step1.Show();
    step1.Option2->click();
    step1.Command1->click();
    qt_test::pump(50);
    return page<Form9>();
  }

  // Which of Command1 .. Command7 are enabled ("1.3..67"), and "R" when "Resume" is shown.
  static std::string states(const Form9& form) {
    std::string out;
    const QPushButton* buttons[] = {form.Command1, form.Command2, form.Command3, form.Command4,
                                    form.Command5, form.Command6, form.Command7};
    for (int i = 0; i < 7; ++i) out += buttons[i]->isEnabled() ? char('1' + i) : '.';
    if (form.Command8->isVisible() && form.Command8->isEnabled()) out += " R";
    return out;
  }
};

TEST_F(MicrophonePageTest, ButtonStatesFollowEachClick) {
  // Without a recording under way the device refuses the playback commands, which the page
  // ignores; the states are the page's own.
  const struct {
    void (Form9::*click)();
    const char* expected;
  } steps[] = {
      {&Form9::Command1_Click, ".2....."},   {&Form9::Command2_Click, "1.3..67"},
      {&Form9::Command3_Click, "..345.."},   {&Form9::Command4_Click, "..34... R"},
      {&Form9::Command3_Click, "..345.."},  // Play while paused
      {&Form9::Command4_Click, "..34... R"}, {&Form9::Command8_Click, "..345.."},
      {&Form9::Command3_Click, "..345.."},   {&Form9::Command5_Click, "..3.567"},
      {&Form9::Command5_Click, "..3.567"},   {&Form9::Command6_Click, "..3..67"},
      {&Form9::Command3_Click, "..345.."},   {&Form9::Command5_Click, "..3.567"},
      {&Form9::Command7_Click, "1.3.567"},
  };
  Form9& form = open_page();
  EXPECT_EQ(states(form), "1......");
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    (form.*steps[i].click)();
    EXPECT_EQ(states(form), steps[i].expected) << "after click " << i;
    if (states(form).ends_with("R")) {
      EXPECT_EQ(form.Command8->geometry(), form.Command4->geometry());
    }
  }
  form.load();  // a new visit starts over
  EXPECT_EQ(states(form), "1......");
}

TEST_F(MicrophonePageTest, NextWithoutARecordingHandsOnTheMissingFileAndARevisitDeletesBoth) {
  Form9& form = open_page();
  EXPECT_FALSE(page<wizard::form8>().isVisible());
  EXPECT_EQ(form.loads(), 2) << "created, then activated";
  form.Command11_Click();
  EXPECT_EQ(core::source_filename, core::spd_path("wvtemp/microphone.wav"));
  EXPECT_EQ(core::source_type, "wav");
  EXPECT_EQ(core::step_code, 9);
  EXPECT_FALSE(std::filesystem::exists(core::source_filename));

  // Coming back from the gallery discards what the sources left behind.
  auto& gallery = page<wizard::Form2>();
  EXPECT_TRUE(gallery.isVisible());
  EXPECT_FALSE(form.isVisible());
  for (const char* name : {"wvtemp/microphone.wav", "wvtemp/text.wav"})
    testsupport::write_bytes(core::spd_path(name), "RIFF");
  gallery.Command1_Click();
  qt_test::pump(50);
  EXPECT_TRUE(form.isVisible());
  for (const char* name : {"wvtemp/microphone.wav", "wvtemp/text.wav"})
    EXPECT_FALSE(std::filesystem::exists(core::spd_path(name))) << name;
  EXPECT_EQ(states(form), "1......");

  form.Command10_Click();
  EXPECT_TRUE(page<wizard::form8>().isVisible());
  EXPECT_FALSE(form.isVisible());
  form.Command12_Click();
  EXPECT_EQ(ended, 1);
}

// Without a sound server "Start Recording" says so once and writes nothing; Encode then asks for one.
TEST(NoSoundServer, MicrophonePageSaysOnceThatThereIsNoInput) {
  bool passed = false;
  const std::string out = soundtest::run_without_sound_server("MicrophonePageWithoutSound.*", passed);
  EXPECT_TRUE(passed) << out;
}

using MicrophonePageWithoutSound = MicrophonePageTest;

TEST_F(MicrophonePageWithoutSound, OneMessageNothingWrittenAndEncodeAsksForARecording) {
  ONLY_WITHOUT_SOUND_SERVER();
  Form9& form = open_page();
  wizard_test::mouse_click(form.Command1);
  EXPECT_EQ(boxes().shown(), (std::vector<std::pair<std::string, std::string>>{
                                 {soundtest::error_text(platform::mci_error::kNoInputDevice), "Error"}}));
  EXPECT_EQ(states(form), "1......");
  form.Command2_Click();  // nothing records, so there is nothing to stop or save
  EXPECT_EQ(boxes().shown().size(), 1u);
  for (const std::string& path : {core::drive_c_path("NewWav.wav"), core::spd_path("wvtemp/microphone.wav")})
    EXPECT_FALSE(std::filesystem::exists(path)) << path;

  wizard_test::mouse_click(form.Command11);
  ASSERT_TRUE(page<wizard::Form2>().isVisible());
  core::sam_selected = {true, false, false, false, false, false};  // as the gallery leaves it
  core::button_type = 1;
  core::button_color = "FF0000";
  auto& choice = page<wizard::Form3>();
  choice.Show();
  choice.Option1->click();
  choice.Command2->click();
  qt_test::pump(50);
  wizard_test::mouse_click(page<wizard::Form14>().Command2);  // Encode
  const auto texts = boxes().texts();
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(std::vector<std::string>(texts.begin() + 1, texts.end()),
            (std::vector<std::string>{"Please insert Microphone--Press start recording to record",
                                      "This error is due to :You have not recorded anything"}));
  EXPECT_TRUE(form.isVisible());
}

}  // namespace
