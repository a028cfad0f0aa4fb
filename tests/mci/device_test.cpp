// The wave-audio device's commands (settings, status answers, recording, saving and errors),
// its playback heard on the private PulseAudio's sink monitor, and the WAV files it saves and
// opens, checked against sox and ffmpeg.

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <QElapsedTimer>
#include <array>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "core/errors.h"
#include "core/wave_header.h"
#include "mci/sound_env.h"
#include "platform/mci/mci.h"
#include "platform/mci/wave_file.h"
#include "platform/speech/streams.h"
#include "support/test_support.h"

namespace {

namespace err = platform::mci_error;
using platform::mci::WaveFormat;
using platform::mci::WaveRead;
using soundtest::Listener;
using soundtest::mci;
using soundtest::spin;

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
  const std::pair<std::uint32_t, std::vector<std::string>> refusals[] = {
      {err::kUnknownCommand, {"", "frobnicate recsound"}},
      {err::kBadParameter,
       {"set", "set recsound channels", "set recsound channels two", "set recsound samplespersec 2.5",
        "set recsound samplespersec 99999999999999999999999", "set recsound time format frames",
        "status recsound", "status recsound length", "record recsound from 0", "play recsound from -1",
        "save recsound", "close recsound now", "open new type waveaudio alias all"}},
      {err::kFormatNotSupported,
       {"set recsound channels 3", "set recsound samplespersec 500",
        "set recsound channels 2 bitspersample 12"}},
      {err::kUnknownDeviceType, {"open new type cdaudio alias other", "open new alias other"}},
      {err::kAliasInUse, {"open new type waveaudio alias RECSOUND"}},
      {err::kDeviceNotOpen, {"stop nosuchalias"}}};
  for (const auto& [expected, commands] : refusals)
    for (const auto& command : commands) EXPECT_EQ(mci(command), expected) << command;
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

  EXPECT_EQ(soundtest::ffprobe(path), "pcm_u8,8000,1,8\n");
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
  EXPECT_EQ(mci(open_), err::kAliasInUse);
  const double first = elapsed();
  ASSERT_EQ(mci("play voice1 from 0"), 0u);
  spin(1400);
  const auto heard = listener.segments();
  ASSERT_EQ(heard.size(), 1u) << soundtest::describe(heard);
  EXPECT_NEAR(heard[0].length, first + 1.0, 0.12);
}

TEST(DeviceErrorText, EveryCodeHasItsOwnText) {
  std::set<std::string> texts;
  for (std::uint32_t code = err::kUnknownCommand; code <= err::kTooLong; ++code)
    texts.insert(soundtest::error_text(code));
  EXPECT_EQ(texts.size(), err::kTooLong - err::kUnknownCommand + 1);
  for (const auto& text : texts) EXPECT_GT(text.size(), 20u) << text;
  std::array<char, 1024> text{};
  EXPECT_FALSE(platform::mciGetErrorStringA(9999, text.data(), 1024));
  EXPECT_STREQ(text.data(), "Unknown error code.");
  EXPECT_TRUE(platform::mciGetErrorStringA(err::kDeviceNotOpen, text.data(), 8));
  EXPECT_STREQ(text.data(), "The dev");
}

TEST(WaveFile, ReadsFfmpegFileWithExtraChunksSameSamplesAsFfmpeg) {
  testsupport::TempDir dir;
  const std::string wav = dir.file("tagged.wav");
  const std::string raw = dir.file("tagged.raw");
  ASSERT_EQ(
      testsupport::run("ffmpeg -v error -f lavfi -i sine=frequency=440:sample_rate=11025:duration=0.5 -ac 2 "
                       "-metadata title=tagged -c:a pcm_s16le -y " +
                       testsupport::quote(wav)),
      0);
  ASSERT_EQ(testsupport::run("ffmpeg -v error -i " + testsupport::quote(wav) +
                             " -f s16le -c:a pcm_s16le -y " + testsupport::quote(raw)),
            0);
  ASSERT_NE(testsupport::read_bytes(wav).find("LIST"), std::string::npos) << "the fixture has an extra chunk";

  WaveFormat format;
  std::string pcm;
  ASSERT_EQ(platform::mci::read_wave_file(wav, format, pcm), WaveRead::ok);
  EXPECT_EQ(std::tuple(format.channels, format.samples_per_sec, format.bits_per_sample, format.block_align),
            std::tuple(2, 11025, 16, 4));
  EXPECT_EQ(pcm, testsupport::read_bytes(raw));
}

TEST(WaveFile, RefusesWhatItCannotPlayAndCutsAnOverlongDataChunk) {
  testsupport::TempDir dir;
  WaveFormat format;
  std::string pcm = "untouched";
  EXPECT_EQ(platform::mci::read_wave_file(dir.file("missing.wav"), format, pcm), WaveRead::not_found);

  ASSERT_EQ(testsupport::run("sox -n -r 8000 -c 1 -e floating-point -b 32 " +
                             testsupport::quote(dir.file("float.wav")) + " synth 0.1 sine 300"),
            0);
  testsupport::write_bytes(dir.file("text.wav"), "this is not a sound file at all, only text");
  testsupport::write_bytes(dir.file("short.wav"),
                           platform::mci::wave_header(WaveFormat{2, 22050, 16, 4}, 0).substr(0, 31));
  testsupport::write_bytes(dir.file("six.wav"), platform::mci::wave_header(WaveFormat{6, 8000, 16, 12}, 0));
  for (const char* name : {"float.wav", "text.wav", "short.wav", "six.wav"})
    EXPECT_EQ(platform::mci::read_wave_file(dir.file(name), format, pcm), WaveRead::not_wave) << name;
  EXPECT_EQ(pcm, "untouched");

  // Claims 1000 bytes of 16-bit stereo, holds 10 (two whole frames and a piece).
  testsupport::write_bytes(dir.file("cut.wav"),
                           platform::mci::wave_header(WaveFormat{2, 22050, 16, 4}, 1000) + "0123456789");
  ASSERT_EQ(platform::mci::read_wave_file(dir.file("cut.wav"), format, pcm), WaveRead::ok);
  EXPECT_EQ(pcm, "01234567");
}

// Sound past the 4 GiB a WAV header counts, from the recorder or a voice: refused, nothing partial
// left. The sound is untouched address space; the size limit stops a writer that would go on.
TEST(WaveFile, SoundPastFourGibIsRefusedAndLeavesNothingPartial) {
  static_assert(core::wave_data_fits(4294967258u));
  testsupport::TempDir dir;
  testsupport::write_bytes(dir.file("NewWav.wav"), "an older recording");
  sapi::SpFileStream stream;
  stream.Open(dir.file("text.wav"), sapi::SSFMCreateForWrite);
  const testsupport::FileSizeLimit limit(1 << 20);
  const std::string_view sound(
      static_cast<const char*>(
          ::mmap(nullptr, 4294967260u, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0)),
      4294967260u);
  EXPECT_EQ(platform::mci::write_wave_file(dir.file("NewWav.wav"), WaveFormat{2, 192000, 16, 4},
                                           sound.substr(1)),  // odd: its pad byte would not fit
            platform::mci::WaveWrite::too_long);
  EXPECT_TRUE(testsupport::read_bytes(dir.file("NewWav.wav")) == "an older recording");
  EXPECT_THROW(stream.write(sound), core::VbError);
  EXPECT_FALSE(stream.is_open() || std::filesystem::exists(dir.file("text.wav")));
}

}  // namespace
