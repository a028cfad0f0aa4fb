#include <QPushButton>
#include <QRadioButton>
#include <filesystem>

#include "core/paths.h"
#include "core/shared_state.h"
#include "wizard/pages/step1_source_choice.h"
#include "wizard/pages/step2_microphone.h"
#include "wizard/pages/step3_gallery.h"
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

TEST_F(MicrophonePageTest, ButtonStatesFollowEachSequenceOfClicks) {
  // Without a recording under way the device refuses the playback commands, which the page
  // ignores; the states are the page's own.
  const struct {
    std::vector<const char*> clicks;
    const char* expected;
  } cases[] = {
      {{}, "1......"},
      {{"Start"}, ".2....."},
      {{"Start", "StopRec"}, "1.3..67"},
      {{"Start", "StopRec", "Play"}, "..345.."},
      {{"Start", "StopRec", "Play", "Pause"}, "..34... R"},
      {{"Start", "StopRec", "Play", "Pause", "Play"}, "..345.."},  // Play while paused
      {{"Start", "StopRec", "Play", "Pause", "Resume"}, "..345.."},
      {{"Start", "StopRec", "Play", "Play"}, "..345.."},
      {{"Start", "StopRec", "Play", "Stop"}, "..3.567"},
      {{"Start", "StopRec", "Play", "Stop", "Stop"}, "..3.567"},
      {{"Start", "StopRec", "Play", "Stop", "GoTo"}, "..3..67"},
      {{"Start", "StopRec", "Play", "Stop", "Clear"}, "1.3.567"},
  };
  Form9& form = open_page();
  for (const auto& c : cases) {
    form.load();
    for (const std::string click : c.clicks) {
      if (click == "Start") form.Command1_Click();
      if (click == "StopRec") form.Command2_Click();
      if (click == "Play") form.Command3_Click();
      if (click == "Pause") form.Command4_Click();
      if (click == "Resume") form.Command8_Click();
      if (click == "Stop") form.Command5_Click();
      if (click == "GoTo") form.Command6_Click();
      if (click == "Clear") form.Command7_Click();
    }
    std::string sequence;
    for (const char* click : c.clicks) sequence += std::string(click) + " ";
    EXPECT_EQ(states(form), c.expected) << "after: " << sequence;
    if (states(form).ends_with("R")) {
      EXPECT_EQ(form.Command8->geometry(), form.Command4->geometry());
    }
  }
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

}  // namespace
