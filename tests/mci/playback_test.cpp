// Playback through the wave-audio device, heard on the private PulseAudio's sink monitor.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <string>

#include "mci/sound_env.h"
#include "platform/mci/mci.h"
#include "support/test_support.h"

namespace {

using soundtest::Listener;
using soundtest::spin;

using soundtest::mci;

// What is heard is compared with the time that really passed: the waits may run long on a
// busy machine.
class Playback : public soundtest::SoundTest {
 protected:
  void SetUp() override {
    SoundTest::SetUp();
    testsupport::sox_tone(tone_, 22050, 2, 16, 1.0, "sine 1000");
  }

  // Opens the 1 s tone as voice1 and plays it from the start.
  void play() {
    ASSERT_EQ(mci(open_), 0u);
    clock_.start();
    ASSERT_EQ(mci("play voice1 from 0"), 0u);
  }
  double elapsed() const { return double(clock_.elapsed()) / 1000; }

  std::string tone_ = file("tone.wav");
  std::string open_ = "open " + tone_ + " type waveaudio alias voice1";
  QElapsedTimer clock_;
};

TEST_F(Playback, PauseHoldsAndResumeContinuesWhereItStopped) {
  Listener listener;
  play();
  spin(400);
  const double paused_at = elapsed();
  ASSERT_EQ(mci("pause voice1"), 0u);
  spin(700);
  const double pause = elapsed() - paused_at;
  ASSERT_EQ(mci("resume voice1"), 0u);
  spin(1000);
  const auto heard = listener.segments();
  ASSERT_EQ(heard.size(), 2u) << soundtest::describe(heard);
  EXPECT_NEAR(heard[0].length, paused_at, 0.1);
  EXPECT_NEAR(heard[1].start - (heard[0].start + heard[0].length), pause, 0.1);
  EXPECT_NEAR(heard[0].length + heard[1].length, 1.0, 0.1) << "nothing lost or repeated";
}

TEST_F(Playback, StopAndCloseEndThePlayback) {
  for (const char* ending : {"stop voice1", "close voice1", "close all"}) {
    Listener listener;
    play();
    spin(300);
    const double played = elapsed();
    ASSERT_EQ(mci(ending), 0u);
    spin(900);
    mci("close voice1");
    const auto heard = listener.segments();
    ASSERT_EQ(heard.size(), 1u) << ending << ": " << soundtest::describe(heard);
    EXPECT_NEAR(heard[0].length, played, 0.1) << ending;
  }
}

TEST_F(Playback, PlayFromTheEndPlaysNothingAndSucceeds) {
  ASSERT_EQ(mci(open_), 0u);
  Listener listener;
  EXPECT_EQ(mci("play voice1 from 1000"), 0u);  // the tone's length in milliseconds
  spin(700);
  mci("close voice1");
  EXPECT_TRUE(listener.segments().empty()) << soundtest::describe(listener.segments());
}

TEST_F(Playback, PlayReturnsAtOnceAndASecondPlayRestartsTheWholeSound) {
  // A second "Play" on the page: the open fails, and the sound starts again from the top.
  Listener listener;
  play();
  EXPECT_LT(elapsed(), 0.5) << "play returns while the 1 s sound goes on";
  spin(500);
  EXPECT_EQ(mci(open_), platform::mci_error::kAliasInUse);
  const double first = elapsed();
  ASSERT_EQ(mci("play voice1 from 0"), 0u);
  spin(1400);
  const auto heard = listener.segments();
  ASSERT_EQ(heard.size(), 1u) << soundtest::describe(heard);
  EXPECT_NEAR(heard[0].length, first + 1.0, 0.12);
}

}  // namespace
