// The wave-audio device where no sound server runs: opening fails with the device's error,
// and every later command on the alias fails as on a closed device.

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "mci/sound_env.h"
#include "platform/mci/mci.h"
#include "support/test_support.h"

namespace {

namespace err = platform::mci_error;

std::uint32_t mci(const std::string& command) {
  return platform::mciSendStringA(command.c_str(), nullptr, 0, nullptr);
}

TEST(NoSoundServer, DeviceReportsNoDevice) {
  bool passed = false;
  const std::string out = soundtest::run_without_sound_server("NoSoundServerChild.*", passed);
  EXPECT_TRUE(passed) << out;
}

TEST(NoSoundServerChild, OpenFailsAndLaterCommandsFindNoDevice) {
  ONLY_WITHOUT_SOUND_SERVER();
  soundtest::app();
  testsupport::TempAppDir dir;
  const std::string tone = (dir.path() / "tone.wav").string();
  soundtest::make_tone(tone, 0.1, 440);

  EXPECT_EQ(mci("open new Type waveaudio Alias recsound"), err::kNoInputDevice);
  EXPECT_EQ(mci("open " + tone + " type waveaudio alias voice1"), err::kNoOutputDevice);
  for (const char* command : {"set recsound channels 2", "record recsound", "stop recsound",
                              "save recsound C:\\NewWav.wav", "close recsound", "play voice1 from 0"})
    EXPECT_EQ(mci(command), err::kDeviceNotOpen) << command;
  EXPECT_EQ(mci("close all"), 0u);

  std::array<char, 1024> text{};
  ASSERT_TRUE(platform::mciGetErrorStringA(err::kNoInputDevice, text.data(), 1024));
  EXPECT_EQ(
      std::string(text.data()),
      "No wave-audio input device is available. Check that a microphone is connected and that the sound "
      "system is running.");
}

}  // namespace
