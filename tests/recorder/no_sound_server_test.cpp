// The recorder where no sound server runs: every failed step shows its own message box,
// in order, and the header repair works on whatever stands at C:\NewWav.wav.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "audio/recorder/recorder.h"
#include "mci/sound_env.h"
#include "platform/mci/mci.h"
#include "platform/mci/wave_file.h"
#include "support/test_support.h"

namespace {

std::string error_text(std::uint32_t code) {
  std::array<char, 1024> text{};
  platform::mciGetErrorStringA(code, text.data(), 1024);
  return text.data();
}

std::vector<std::string> titles(const testsupport::MessageBoxRecorder& boxes) {
  std::vector<std::string> out;
  for (const auto& box : boxes.shown()) out.push_back(box.second);
  return out;
}

class RecorderWithoutSound : public ::testing::Test {
 protected:
  void SetUp() override {
    soundtest::app();
    std::filesystem::create_directories(dir_.spd("wvtemp"));
  }
  std::string recording() const { return (dir_.path() / "home" / "NewWav.wav").string(); }
  std::string microphone() const { return dir_.spd("wvtemp/microphone.wav"); }

  testsupport::TempAppDir dir_;
  testsupport::MessageBoxRecorder boxes_;
};

TEST(NoSoundServer, RecorderShowsEachFailedStep) {
  bool passed = false;
  const std::string out = soundtest::run_without_sound_server("RecorderWithoutSound.*", passed);
  EXPECT_TRUE(passed) << out;
}

TEST_F(RecorderWithoutSound, EachCommandWithATitleShowsItsOwnBoxInOrder) {
  ONLY_WITHOUT_SOUND_SERVER();
  Module38::start_recording("c:\\myfile.wav", "2", "16", "22050");
  EXPECT_EQ(titles(boxes_),
            (std::vector<std::string>{"Error", "Error (time format)", "Error (format tag)",
                                      "Error (channels)", "Error (samples/sec)", "Error (bits/sample)",
                                      "Error (block align)", "Error (record)"}));
  ASSERT_EQ(boxes_.shown().size(), 8u);
  EXPECT_EQ(boxes_.shown()[0].first, error_text(platform::mci_error::kNoInputDevice));
  for (std::size_t i = 1; i < 8; ++i)
    EXPECT_EQ(boxes_.shown()[i].first, error_text(platform::mci_error::kDeviceNotOpen)) << i;
  EXPECT_EQ(Module38::rec_bytes_per_sec, 88200);

  EXPECT_FALSE(Module38::stop_recording());
  const auto all = titles(boxes_);
  EXPECT_EQ(std::vector<std::string>(all.begin() + 8, all.end()),
            (std::vector<std::string>{"Error (stop)", "Error (save)", "Error (close)"}));

  // Nothing was saved: the repair made a 31-byte file, and that is what is delivered.
  const std::string expected = std::string(28, '\0') + "\x88\x58\x01";
  EXPECT_EQ(testsupport::read_bytes(recording()), expected);
  EXPECT_EQ(testsupport::read_bytes(microphone()), expected);
}

TEST_F(RecorderWithoutSound, EarlierRecordingIsRepairedAndDeliveredAgain) {
  ONLY_WITHOUT_SOUND_SERVER();
  std::string earlier = platform::mci::wave_header({1, 11025, 8, 1}, 400) + std::string(400, '\x80');
  earlier.replace(28, 4, std::string(4, '\0'));
  testsupport::write_bytes(recording(), earlier);

  Module38::start_recording("c:\\myfile.wav", "2", "16", "22050");
  Module38::stop_recording();
  EXPECT_EQ(boxes_.shown().size(), 11u);

  std::string expected = earlier;
  expected.replace(28, 3, "\x88\x58\x01");
  EXPECT_EQ(testsupport::read_bytes(recording()), expected);
  EXPECT_EQ(testsupport::read_bytes(microphone()), expected);
}

}  // namespace
