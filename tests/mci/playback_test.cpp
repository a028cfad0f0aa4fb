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

std::uint32_t mci(const std::string& command) {
  return platform::mciSendStringA(command.c_str(), nullptr, 0, nullptr);
}

// Seconds between the moments the test sent two commands (the waits may run long on a busy
// machine; what is heard is compared with what really passed).
double seconds(const QElapsedTimer& clock, qint64 from_ms) {
  return double(clock.elapsed() - from_ms) / 1000;
}

class Playback : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_SOUND_SERVER();
    soundtest::app();
    soundtest::make_tone(tone_, 1.0, 1000);
    open_ = "open " + tone_ + " type waveaudio alias voice1";
  }
  void TearDown() override { mci("close all"); }

  testsupport::TempAppDir dir_;
  std::string tone_ = dir_.path().string() + "/tone.wav";
  std::string open_;
};

TEST_F(Playback, PlayRunsForTheSoundsDurationAndReturnsAtOnce) {
  Listener listener;
  ASSERT_EQ(mci(open_), 0u);
  QElapsedTimer clock;
  clock.start();
  ASSERT_EQ(mci("play voice1 from 0"), 0u);
  EXPECT_LT(clock.elapsed(), 500) << "play returns while the 1 s sound goes on";
  spin(1500);
  const auto heard = listener.segments();
  ASSERT_EQ(heard.size(), 1u) << soundtest::describe(heard);
  EXPECT_NEAR(heard[0].length, 1.0, 0.1);
}

TEST_F(Playback, PauseHoldsAndResumeContinuesWhereItStopped) {
  Listener listener;
  ASSERT_EQ(mci(open_), 0u);
  QElapsedTimer clock;
  clock.start();
  ASSERT_EQ(mci("play voice1 from 0"), 0u);
  spin(400);
  const qint64 paused_at = clock.elapsed();
  ASSERT_EQ(mci("pause voice1"), 0u);
  spin(700);
  const double pause = seconds(clock, paused_at);
  ASSERT_EQ(mci("resume voice1"), 0u);
  spin(1000);
  const auto heard = listener.segments();
  ASSERT_EQ(heard.size(), 2u) << soundtest::describe(heard);
  EXPECT_NEAR(heard[0].length, double(paused_at) / 1000, 0.1);
  const double gap = heard[1].start - (heard[0].start + heard[0].length);
  EXPECT_NEAR(gap, pause, 0.1);
  EXPECT_NEAR(heard[0].length + heard[1].length, 1.0, 0.1) << "nothing lost or repeated";
}

TEST_F(Playback, StopAndCloseEndThePlayback) {
  for (const char* ending : {"stop voice1", "close voice1", "close all"}) {
    Listener listener;
    ASSERT_EQ(mci(open_), 0u) << ending;
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(mci("play voice1 from 0"), 0u);
    spin(300);
    const double played = seconds(clock, 0);
    ASSERT_EQ(mci(ending), 0u);
    spin(900);
    mci("close voice1");
    const auto heard = listener.segments();
    ASSERT_EQ(heard.size(), 1u) << ending << ": " << soundtest::describe(heard);
    EXPECT_NEAR(heard[0].length, played, 0.1) << ending;
  }
}

TEST_F(Playback, CommandsOnAClosedAliasFailAndChangeNothing) {
  ASSERT_EQ(mci(open_), 0u);
  ASSERT_EQ(mci("close voice1"), 0u);
  Listener listener;
  for (const char* command :
       {"play voice1 from 0", "pause voice1", "resume voice1", "stop voice1", "close voice1",
        "status voice1 channels", "record voice1", "set voice1 time format ms"}) {
    EXPECT_EQ(mci(command), platform::mci_error::kDeviceNotOpen) << command;
  }
  spin(500);
  EXPECT_TRUE(listener.segments().empty());
}

TEST_F(Playback, SecondOpenIsRefusedAndPlayRestartsTheOpenSound) {
  // A second "Play" on the page: the open fails, and the sound starts again from the top.
  Listener listener;
  ASSERT_EQ(mci(open_), 0u);
  QElapsedTimer clock;
  clock.start();
  ASSERT_EQ(mci("play voice1 from 0"), 0u);
  spin(500);
  EXPECT_EQ(mci(open_), platform::mci_error::kAliasInUse);
  const double first = seconds(clock, 0);
  ASSERT_EQ(mci("play voice1 from 0"), 0u);
  spin(1400);
  const auto heard = listener.segments();
  ASSERT_EQ(heard.size(), 1u) << soundtest::describe(heard);
  EXPECT_NEAR(heard[0].length, first + 1.0, 0.12);
}

TEST_F(Playback, PlayWithoutFromGoesOnWhereStopLeftIt) {
  Listener listener;
  ASSERT_EQ(mci(open_), 0u);
  QElapsedTimer clock;
  clock.start();
  ASSERT_EQ(mci("play voice1 from 0"), 0u);
  spin(400);
  const double first = seconds(clock, 0);
  ASSERT_EQ(mci("stop voice1"), 0u);
  spin(300);
  ASSERT_EQ(mci("play voice1"), 0u);
  spin(1000);
  const auto heard = listener.segments();
  ASSERT_EQ(heard.size(), 2u) << soundtest::describe(heard);
  EXPECT_NEAR(heard[0].length, first, 0.1);
  EXPECT_NEAR(heard[1].length, 1.0 - first, 0.1);
}

TEST_F(Playback, PlayFromAPositionInMillisecondsStartsThere) {
  Listener listener;
  ASSERT_EQ(mci(open_), 0u);
  ASSERT_EQ(mci("set voice1 time format ms"), 0u);
  ASSERT_EQ(mci("play voice1 from 700"), 0u);
  spin(800);
  const auto heard = listener.segments();
  ASSERT_EQ(heard.size(), 1u) << soundtest::describe(heard);
  EXPECT_NEAR(heard[0].length, 0.3, 0.1);
  EXPECT_EQ(mci("play voice1 from 1001"), platform::mci_error::kBadParameter) << "past the end";
}

}  // namespace
