// The recorder where no sound server runs: every failed step shows its own message box, in
// order, and the header repair works on whatever stands at C:\NewWav.wav.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "audio/recorder/recorder.h"
#include "mci/sound_env.h"
#include "platform/mci/mci.h"
#include "platform/mci/wave_file.h"
#include "support/test_support.h"

namespace {

using soundtest::mci;

std::string error_text(std::uint32_t code) {
  std::array<char, 1024> text{};
  platform::mciGetErrorStringA(code, text.data(), 1024);
  return text.data();
}

TEST(NoSoundServer, RecorderShowsEachFailedStep) {
  bool passed = false;
  const std::string out = soundtest::run_without_sound_server("RecorderWithoutSound.*", passed);
  EXPECT_TRUE(passed) << out;
}

TEST(RecorderWithoutSound, EachCommandWithATitleShowsItsOwnBoxInOrder) {
  ONLY_WITHOUT_SOUND_SERVER();
  testsupport::core_app();
  testsupport::TempAppDir dir;
  testsupport::MessageBoxRecorder boxes;
  std::filesystem::create_directories(dir.spd("wvtemp"));
  const std::string recording = (dir.path() / "home" / "NewWav.wav").string();
  std::string earlier = platform::mci::wave_header({1, 11025, 8, 1}, 400) + std::string(400, '\x80');
  earlier.replace(28, 4, std::string(4, '\0'));
  testsupport::write_bytes(recording, earlier);

  Module38::start_recording("c:\\myfile.wav", "2", "16", "22050");
  EXPECT_EQ(Module38::rec_bytes_per_sec, 88200);
  EXPECT_FALSE(Module38::stop_recording());

  // The open, six settings, record, stop, save and close: each fails with its own title.
  std::set<std::string> titles;
  ASSERT_EQ(boxes.shown().size(), 11u);
  for (std::size_t i = 0; i < boxes.shown().size(); ++i) {
    titles.insert(boxes.shown()[i].second);
    EXPECT_EQ(boxes.shown()[i].first,
              error_text(i == 0 ? platform::mci_error::kNoInputDevice : platform::mci_error::kDeviceNotOpen))
        << boxes.shown()[i].second;
  }
  EXPECT_EQ(titles.size(), 11u);
  EXPECT_EQ(boxes.shown().front().second, "Error");
  EXPECT_EQ(boxes.shown().back().second, "Error (close)");

  // Playback finds no output device; "close all" still succeeds.
  const std::string tone = (dir.path() / "tone.wav").string();
  testsupport::sox_tone(tone, 22050, 2, 16, 0.1);
  EXPECT_EQ(mci("open " + tone + " type waveaudio alias voice1"), platform::mci_error::kNoOutputDevice);
  EXPECT_EQ(mci("play voice1 from 0"), platform::mci_error::kDeviceNotOpen);
  EXPECT_EQ(mci("close all"), 0u);

  // Nothing was saved: the earlier recording is repaired and delivered again.
  earlier.replace(28, 3, "\x88\x58\x01");
  EXPECT_EQ(testsupport::read_bytes(recording), earlier);
  EXPECT_EQ(testsupport::read_bytes(dir.spd("wvtemp/microphone.wav")), earlier);
}

}  // namespace
