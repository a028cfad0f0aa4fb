// The wave-audio device's commands: settings, status answers, recording, saving and errors.

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "mci/sound_env.h"
#include "platform/mci/mci.h"
#include "support/test_support.h"

namespace {

namespace err = platform::mci_error;
using soundtest::spin;

using soundtest::mci;

std::string status(const std::string& alias, const std::string& item) {
  std::array<char, 255> answer;
  answer.fill('x');
  const std::uint32_t error =
      platform::mciSendStringA(("status " + alias + " " + item).c_str(), answer.data(),
                               static_cast<std::uint32_t>(answer.size()), nullptr);
  return error == 0 ? std::string(answer.data()) : "error " + std::to_string(error);
}

std::string format_of(const std::string& alias) {
  return status(alias, "channels") + "/" + status(alias, "bitspersample") + "/" +
         status(alias, "samplespersec") + "/" + status(alias, "bytespersec");
}

using Device = soundtest::SoundTest;

TEST_F(Device, NewRecordingStartsInTheDefaultFormatAndTakesSettings) {
  ASSERT_EQ(mci("open new Type waveaudio Alias recsound"), 0u);
  EXPECT_EQ(format_of("recsound"), "1/8/11025/11025");
  for (const char* set : {"time format ms", "format tag pcm", "channels 2", "samplespersec 22050",
                          "bitspersample 16", "alignment  4"})
    EXPECT_EQ(mci(std::string("set recsound ") + set), 0u) << set;
  EXPECT_EQ(format_of("RecSound"), "2/16/22050/88200") << "aliases ignore case";
  EXPECT_EQ(mci("SET recsound channels 1 bitspersample 8 samplespersec 8000 alignment 1"), 0u);
  EXPECT_EQ(format_of("recsound"), "1/8/8000/8000");
}

TEST_F(Device, StatusAnswersTheOpenFilesFormatAndIsCutToTheBuffer) {
  const std::string path = file("mono8.wav");
  testsupport::sox_tone(path, 44100, 1, 8, 0.2);
  ASSERT_EQ(mci("open " + path + " type waveaudio alias voice1"), 0u);
  EXPECT_EQ(format_of("voice1"), "1/8/44100/44100");

  std::array<char, 3> answer;
  answer.fill('x');
  ASSERT_EQ(platform::mciSendStringA("status voice1 samplespersec", answer.data(), 3, nullptr), 0u);
  EXPECT_STREQ(answer.data(), "44");
  ASSERT_EQ(platform::mciSendStringA("pause voice1", answer.data(), 3, nullptr), 0u);
  EXPECT_STREQ(answer.data(), "") << "commands other than status answer an empty text";
}

TEST_F(Device, RefusesBadCommandsAndKeepsItsSettings) {
  ASSERT_EQ(mci("open new type waveaudio alias recsound"), 0u);
  const std::vector<std::pair<std::string, std::uint32_t>> cases = {
      {"", err::kUnknownCommand},
      {"frobnicate recsound", err::kUnknownCommand},
      {"set", err::kBadParameter},
      {"set recsound channels", err::kBadParameter},
      {"set recsound channels two", err::kBadParameter},
      {"set recsound samplespersec 2.5", err::kBadParameter},
      {"set recsound samplespersec 99999999999999999999999", err::kBadParameter},
      {"set recsound channels 3", err::kFormatNotSupported},
      {"set recsound samplespersec 500", err::kFormatNotSupported},
      {"set recsound time format frames", err::kBadParameter},
      {"set recsound channels 2 bitspersample 12", err::kFormatNotSupported},
      {"status recsound", err::kBadParameter},
      {"status recsound length", err::kBadParameter},
      {"record recsound from 0", err::kBadParameter},
      {"play recsound from -1", err::kBadParameter},
      {"save recsound", err::kBadParameter},
      {"close recsound now", err::kBadParameter},
      {"open new type cdaudio alias other", err::kUnknownDeviceType},
      {"open new alias other", err::kUnknownDeviceType},
      {"open new type waveaudio alias all", err::kBadParameter},
      {"open new type waveaudio alias RECSOUND", err::kAliasInUse},
      {"stop nosuchalias", err::kDeviceNotOpen},
  };
  for (const auto& [command, expected] : cases) EXPECT_EQ(mci(command), expected) << command;
  EXPECT_EQ(format_of("recsound"), "1/8/11025/11025") << "a refused set changes nothing";
  EXPECT_EQ(platform::mciSendStringA("stop recsound", nullptr, 0, reinterpret_cast<void*>(1)),
            err::kBadParameter)
      << "no completion notices";
  EXPECT_EQ(platform::mciSendStringA(nullptr, nullptr, 0, nullptr), err::kUnknownCommand);
}

TEST_F(Device, OpensDriveAndQuotedPathsAndRefusesMissingAndForeignFiles) {
  std::filesystem::create_directories(dir_.path() / "home" / "with blank");
  const std::string spaced = file("home/with blank/t.wav");
  testsupport::sox_tone(spaced, 22050, 2, 16, 0.1);
  testsupport::sox_tone(file("home/text.wav"), 22050, 2, 16, 0.1);
  testsupport::write_bytes(file("notes.wav"), "not a sound");
  const std::vector<std::pair<std::string, std::uint32_t>> cases = {
      {"c:\\text.wav", 0},  // drive paths live in the home folder
      {"\"" + spaced + "\"", 0},
      {"\"D:/with blank\\t.wav\"", 0},
      {spaced, err::kBadParameter},  // an unquoted blank
      {file("missing.wav"), err::kFileNotFound},
      {"C:\\missing.wav", err::kFileNotFound},
      {file("notes.wav"), err::kNotAWaveFile},
  };
  for (const auto& [path, expected] : cases) {
    EXPECT_EQ(mci("open " + path + " type waveaudio alias voice1"), expected) << path;
    EXPECT_EQ(mci("close voice1"), expected ? err::kDeviceNotOpen : 0u)
        << "a failed open leaves nothing open";
  }
}

TEST_F(Device, RecordGoesOnUntilStopAndSaveWritesTheSetFormat) {
  ASSERT_EQ(mci("open new type waveaudio alias recsound"), 0u);
  ASSERT_EQ(mci("set recsound channels 1 samplespersec 8000 bitspersample 8"), 0u);
  ASSERT_EQ(mci("record recsound"), 0u);
  spin(800);  // the device goes on recording while the event loop runs
  ASSERT_EQ(mci("stop recsound"), 0u);
  EXPECT_EQ(mci("set recsound channels 2"), err::kFormatLocked);
  EXPECT_EQ(mci("set recsound channels 1"), 0u) << "the same value is no change";
  const std::string path = file("take.wav");
  ASSERT_EQ(mci("save recsound " + path), 0u);

  EXPECT_EQ(testsupport::capture("ffprobe -v error -show_entries stream=codec_name,sample_rate,channels "
                                 "-of csv=p=0 " +
                                 testsupport::quote(path)),
            "pcm_u8,8000,1\n");
  const std::string saved = testsupport::read_bytes(path);
  ASSERT_GE(saved.size(), 44u);
  EXPECT_EQ(saved.substr(36, 4), "data") << "canonical 44-byte header";
  const std::size_t data = saved.size() - 44;
  EXPECT_GT(data, 8000u * 5 / 10) << "about 0.8 s of sound";
  EXPECT_LT(data, 8000u * 11 / 10);

  EXPECT_EQ(mci("save recsound " + dir_.path().string()), err::kCannotSave) << "a folder";
  EXPECT_EQ(mci("save recsound " + file("no/such/folder/x.wav")), err::kCannotSave);
  ASSERT_EQ(mci("open new type waveaudio alias other"), 0u);
  ASSERT_EQ(mci("save other " + file("empty.wav")), 0u);
  EXPECT_EQ(testsupport::read_bytes(file("empty.wav")).size(), 44u) << "nothing recorded: a header alone";
}

TEST(DeviceErrorText, EveryCodeHasItsOwnText) {
  std::set<std::string> texts;
  std::array<char, 1024> text{};
  for (std::uint32_t code = err::kUnknownCommand; code <= err::kTooLong; ++code) {
    EXPECT_TRUE(platform::mciGetErrorStringA(code, text.data(), 1024)) << code;
    EXPECT_GT(std::strlen(text.data()), 20u) << code;
    texts.insert(text.data());
  }
  EXPECT_EQ(texts.size(), err::kTooLong - err::kUnknownCommand + 1);
  EXPECT_FALSE(platform::mciGetErrorStringA(9999, text.data(), 1024));
  EXPECT_STREQ(text.data(), "Unknown error code.");
  EXPECT_TRUE(platform::mciGetErrorStringA(err::kDeviceNotOpen, text.data(), 8));
  EXPECT_STREQ(text.data(), "The dev");
}

}  // namespace
