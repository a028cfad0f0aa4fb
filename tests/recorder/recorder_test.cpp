// The microphone recorder on the private PulseAudio: a tone played into the sink while
// recording comes back in microphone.wav, with the header field repaired.

#include "audio/recorder/recorder.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <array>
#include <filesystem>
#include <string>

#include "core/errors.h"
#include "mci/sound_env.h"
#include "platform/mci/mci.h"
#include "support/test_support.h"

namespace {

using soundtest::spin;

using soundtest::mci;

std::string ffprobe(const std::string& path) {
  return testsupport::capture(
      "ffprobe -v error -show_entries stream=codec_name,sample_rate,channels,bits_per_sample -of csv=p=0 " +
      testsupport::quote(path));
}

class Recorder : public soundtest::SoundTest {
 protected:
  void SetUp() override {
    SoundTest::SetUp();
    std::filesystem::create_directories(dir_.spd("wvtemp"));
  }

  std::string microphone() const { return dir_.spd("wvtemp/microphone.wav"); }

  testsupport::MessageBoxRecorder boxes_;
};

TEST_F(Recorder, ToneIntoTheSinkComesBackInMicrophoneWav) {
  const std::string tone = file("tone.wav");
  testsupport::sox_tone(tone, 22050, 2, 16, 1.0, "sine 1000");

  Module38::start_recording("c:\\myfile.wav", "2", "16", "22050");
  EXPECT_EQ(Module38::rec_bytes_per_sec, 88200);
  spin(300);
  QProcess player;
  player.start("paplay", {QString::fromStdString(tone)});
  for (int i = 0; i < 500 && player.state() != QProcess::NotRunning; ++i) spin(20);
  EXPECT_EQ(player.exitCode(), 0);
  spin(300);
  EXPECT_TRUE(Module38::stop_recording());
  EXPECT_TRUE(boxes_.shown().empty()) << boxes_.shown().front().first;
  EXPECT_EQ(Module38::rec_bytes_per_sec, 88200);

  const std::string wav = testsupport::read_bytes(microphone());
  EXPECT_EQ(wav, testsupport::read_bytes(file("home/NewWav.wav"))) << "the copy of C:\\NewWav.wav";
  EXPECT_EQ(ffprobe(microphone()), "pcm_s16le,22050,2,16\n");
  ASSERT_GT(wav.size(), 44u);
  EXPECT_EQ(wav.substr(28, 4), std::string("\x88\x58\x01\x00", 4));
  const auto heard = soundtest::tone_segments(wav, 44, 4, 22050);  // the left channel
  ASSERT_EQ(heard.size(), 1u) << soundtest::describe(heard);
  EXPECT_NEAR(heard[0].length, 1.0, 0.1);
}

TEST_F(Recorder, MonoRecordingGets44100InTheHeader) {
  Module38::start_recording("c:\\myfile.wav", "1", "16", "22050");
  EXPECT_EQ(Module38::rec_bytes_per_sec, 44100);
  spin(300);
  EXPECT_TRUE(Module38::stop_recording());
  EXPECT_TRUE(boxes_.shown().empty());
  EXPECT_EQ(ffprobe(microphone()), "pcm_s16le,22050,1,16\n");
  EXPECT_EQ(testsupport::read_bytes(microphone()).substr(28, 4), std::string("\x44\xAC\x00\x00", 4));
}

TEST_F(Recorder, QueryReadsTheDevicesFormatAndKeepsTheRequestedValueWithoutAnswers) {
  const std::vector<std::pair<std::string, std::int32_t>> cases = {
      {"channels 1 bitspersample 16 samplespersec 22050", 44100},
      {"channels 2 bitspersample 16 samplespersec 22050", 88200},
      {"channels 2 bitspersample 8 samplespersec 11025", 22050},
      {"channels 1 bitspersample 8 samplespersec 8000", 8000},
  };
  for (const auto& [settings, expected] : cases) {
    ASSERT_EQ(mci("open new type waveaudio alias recsound"), 0u);
    ASSERT_EQ(mci("set recsound " + settings), 0u) << settings;
    Module38::rec_bytes_per_sec = 0;
    Module38::query_recording_format();
    EXPECT_EQ(Module38::rec_bytes_per_sec, expected) << settings;
    ASSERT_EQ(mci("close recsound"), 0u);
  }
  Module38::rec_bytes_per_sec = 88200;
  Module38::query_recording_format();  // no device open: every status query fails
  EXPECT_EQ(Module38::rec_bytes_per_sec, 88200);
}

TEST_F(Recorder, SaveThatFailsIsShownAndTheRepairCannotOpenAFolder) {
  std::filesystem::create_directories(file("home/NewWav.wav"));
  Module38::start_recording("c:\\myfile.wav", "2", "16", "22050");
  spin(200);
  try {
    Module38::stop_recording();
    ADD_FAILURE() << "the header repair must report the folder";
  } catch (const core::VbError& error) {
    EXPECT_EQ(error.number(), 75);
  }
  ASSERT_EQ(boxes_.shown().size(), 1u);
  EXPECT_EQ(boxes_.shown()[0].second, "Error (save)");
  std::array<char, 1024> text{};
  platform::mciGetErrorStringA(platform::mci_error::kCannotSave, text.data(), 1024);
  EXPECT_EQ(boxes_.shown()[0].first, text.data());
  EXPECT_FALSE(std::filesystem::exists(microphone()));
  EXPECT_EQ(mci("close recsound"), platform::mci_error::kDeviceNotOpen)
      << "the device was closed all the same";
}

}  // namespace
