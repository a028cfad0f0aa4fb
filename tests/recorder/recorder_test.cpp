// The microphone recorder on the private PulseAudio (a tone played into the sink while
// recording comes back in microphone.wav; a failure is one message and leaves nothing open or
// written) and where no sound server runs; the repair of the average-bytes-per-second field at
// byte positions 29-31.

#include "audio/recorder/recorder.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/errors.h"
#include "mci/sound_env.h"
#include "platform/mci/mci.h"
#include "platform/mci/wave_file.h"
#include "support/test_support.h"

namespace {

using soundtest::error_text;
using soundtest::mci;
using soundtest::spin;
namespace err = platform::mci_error;

// Expects the header repair to fail on a folder in the recording's place.
void expect_repair_error(const std::function<void()>& statement) {
  try {
    statement();
    ADD_FAILURE() << "the header repair must report the folder";
  } catch (const core::VbError& error) {
    EXPECT_EQ(error.number(), 75);
    EXPECT_EQ(error.source(), "mellix.patch_wav_bytes_per_sec");
  }
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
  for (const int channels : {2, 1}) {
    SCOPED_TRACE(channels);
    Module38::start_recording("c:\\myfile.wav", std::to_string(channels), "16", "22050");
    const auto bytes_per_sec = static_cast<std::uint32_t>(44100 * channels);
    EXPECT_EQ(Module38::rec_bytes_per_sec, bytes_per_sec);
    spin(300);
    QProcess player;
    player.start("paplay", {QString::fromStdString(tone)});
    for (int i = 0; i < 500 && player.state() != QProcess::NotRunning; ++i) spin(20);
    EXPECT_EQ(player.exitCode(), 0);
    spin(300);
    EXPECT_TRUE(Module38::stop_recording());
    EXPECT_TRUE(boxes_.shown().empty()) << boxes_.shown().front().first;

    const std::string wav = testsupport::read_bytes(microphone());
    EXPECT_EQ(wav, testsupport::read_bytes(file("home/NewWav.wav"))) << "the copy of C:\\NewWav.wav";
    EXPECT_EQ(soundtest::ffprobe(microphone()), "pcm_s16le,22050," + std::to_string(channels) + ",16\n");
    ASSERT_GT(wav.size(), 44u);
    EXPECT_EQ(wav.substr(28, 4), testsupport::le32(bytes_per_sec));
    const auto heard = soundtest::tone_segments(wav, 44, 2 * channels, 22050);  // the left channel
    ASSERT_EQ(heard.size(), 1u) << soundtest::describe(heard);
    EXPECT_NEAR(heard[0].length, 1.0, 0.1);
  }
}

TEST_F(Recorder, QueryReadsTheDevicesFormatAndKeepsTheRequestedValueWithoutAnswers) {
  for (const auto& [settings, expected] :
       {std::pair{"channels 1 bitspersample 16 samplespersec 22050", 44100},
        {"channels 2 bitspersample 8 samplespersec 11025", 22050}}) {
    ASSERT_EQ(mci("open new type waveaudio alias recsound"), 0u);
    ASSERT_EQ(mci(std::string("set recsound ") + settings), 0u) << settings;
    Module38::rec_bytes_per_sec = 0;
    Module38::query_recording_format();
    EXPECT_EQ(Module38::rec_bytes_per_sec, expected) << settings;
    ASSERT_EQ(mci("close recsound"), 0u);
  }
  Module38::rec_bytes_per_sec = 88200;
  Module38::query_recording_format();  // no device open: every status query fails
  EXPECT_EQ(Module38::rec_bytes_per_sec, 88200);
}

TEST_F(Recorder, SaveThatFailsIsTheOneMessageAndNothingIsRepairedOrDelivered) {
  std::filesystem::create_directories(file("home/NewWav.wav"));
  ASSERT_TRUE(Module38::start_recording("c:\\myfile.wav", "2", "16", "22050"));
  spin(200);
  EXPECT_FALSE(Module38::stop_recording());
  EXPECT_EQ(
      boxes_.shown(),
      (std::vector<std::pair<std::string, std::string>>{{error_text(err::kCannotSave), "Error (save)"}}));
  EXPECT_TRUE(std::filesystem::is_directory(file("home/NewWav.wav")));
  EXPECT_FALSE(std::filesystem::exists(microphone()));
  EXPECT_FALSE(Module38::recording());
  EXPECT_EQ(mci("close recsound"), err::kDeviceNotOpen) << "the device was closed all the same";
}

// A refused setting is the one message: nothing records, and Stop has nothing to save or deliver.
TEST_F(Recorder, RefusedSettingIsTheOneMessageAndLeavesNothingOpen) {
  EXPECT_FALSE(Module38::start_recording("c:\\myfile.wav", "3", "16", "22050"));
  EXPECT_EQ(boxes_.shown(), (std::vector<std::pair<std::string, std::string>>{
                                {error_text(err::kFormatNotSupported), "Error (channels)"}}));
  EXPECT_FALSE(Module38::recording());
  EXPECT_EQ(mci("close recsound"), err::kDeviceNotOpen);
  EXPECT_EQ(soundtest::recording_streams(), "") << "no stream takes the microphone";

  EXPECT_FALSE(Module38::stop_recording());
  EXPECT_EQ(boxes_.shown().size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(file("home/NewWav.wav")));
  EXPECT_FALSE(std::filesystem::exists(microphone()));
}

TEST(HeaderRepair, WritesTheLowThreeBytesIntoWhateverStandsThere) {
  testsupport::TempAppDir dir;
  const std::string recording = (dir.path() / "home" / "NewWav.wav").string();
  std::string header(64, '\x5A');
  header[31] = '\x7F';  // the fourth byte is kept
  const struct {
    std::optional<std::string> before;
    std::int32_t value;
    std::string after;
  } cases[] = {
      {header, 176400, std::string(header).replace(28, 3, "\x10\xB1\x02")},
      {std::nullopt, 88200, std::string(28, '\0') + "\x88\x58\x01"},        // no file: 31 bytes
      {"RIFF", 44100, "RIFF" + std::string(24, '\0') + "\x44\xAC" + '\0'},  // short: zeros between
  };
  for (const auto& row : cases) {
    std::filesystem::remove(recording);
    if (row.before) testsupport::write_bytes(recording, *row.before);
    Module38::rec_bytes_per_sec = row.value;
    Module38::patch_wav_bytes_per_sec();
    EXPECT_EQ(testsupport::read_bytes(recording), row.after) << row.value;
  }
  std::filesystem::remove(recording);
  std::filesystem::create_directories(recording);
  expect_repair_error([] { Module38::patch_wav_bytes_per_sec(); });
}

// Where no sound server runs the recorder says so once, at the open, and writes nothing.
TEST(NoSoundServer, RecorderSaysOnceThatThereIsNoInput) {
  bool passed = false;
  const std::string out = soundtest::run_without_sound_server("RecorderWithoutSound.*", passed);
  EXPECT_TRUE(passed) << out;
}

TEST(RecorderWithoutSound, OneMessageAtTheOpenAndNothingWritten) {
  ONLY_WITHOUT_SOUND_SERVER();
  testsupport::core_app();
  testsupport::TempAppDir dir;
  testsupport::MessageBoxRecorder boxes;
  std::filesystem::create_directories(dir.spd("wvtemp"));
  const std::string recording = (dir.path() / "home" / "NewWav.wav").string();
  const std::string earlier = platform::mci::wave_header({1, 11025, 8, 1}, 400) + std::string(400, '\x80');
  testsupport::write_bytes(recording, earlier);

  EXPECT_FALSE(Module38::start_recording("c:\\myfile.wav", "2", "16", "22050"));
  EXPECT_FALSE(Module38::recording());
  EXPECT_FALSE(Module38::stop_recording());
  EXPECT_EQ(boxes.shown(),
            (std::vector<std::pair<std::string, std::string>>{{error_text(err::kNoInputDevice), "Error"}}));

  // Playback finds no output device; "close all" still succeeds.
  const std::string tone = (dir.path() / "tone.wav").string();
  testsupport::sox_tone(tone, 22050, 2, 16, 0.1);
  EXPECT_EQ(mci("open " + tone + " type waveaudio alias voice1"), err::kNoOutputDevice);
  EXPECT_EQ(mci("close all"), 0u);

  // The earlier recording is neither repaired nor handed on as this one.
  EXPECT_EQ(testsupport::read_bytes(recording), earlier);
  EXPECT_FALSE(std::filesystem::exists(dir.spd("wvtemp/microphone.wav")));
}

}  // namespace
