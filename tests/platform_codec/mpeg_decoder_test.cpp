#include "platform/codec/mpeg_decoder.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <vector>

#include "../audio_codec/codec_fixtures.h"

namespace {

using namespace codec_test;
using platform::CbMpegAudioDecoder;
using platform::kDecodeToWave;
using testsupport::quote;
using testsupport::read_bytes;
using testsupport::TempDir;

std::vector<std::array<std::uint32_t, 3>> progress_calls;
void record_progress(std::uint32_t frames, std::uint32_t consumed, std::uint32_t total) {
  progress_calls.push_back({frames, consumed, total});
}

// An MP3 made by lame from a sox sweep; --resample keeps lame from choosing another rate.
std::string make_mp3(const TempDir& dir, int rate, int channels) {
  const std::string wav = sox_wav(dir, "in.wav", rate, channels, 16, 1.2);
  const std::string mp3 = dir.file(std::to_string(rate) + "_" + std::to_string(channels) + ".mp3");
  must_run("lame --quiet -b 32 --resample " + std::to_string(rate / 1000.0) + " " +
           (channels == 1 ? "-m m " : "") + quote(wav) + " " + quote(mp3));
  return mp3;
}

// Our WAV is a canonical 16-bit stereo file at `rate` holding the PCM of `mpg123 -w` (which
// puts mono into both channels with --stereo).
void expect_wav_of_mpg123(const std::string& ours, const std::string& mp3, std::uint32_t rate, bool mono) {
  const std::string cli = std::filesystem::path(ours).replace_filename("cli.wav").string();
  must_run("mpg123 -q " + std::string(mono ? "--stereo " : "") + "-w " + quote(cli) + " " + quote(mp3));
  EXPECT_TRUE(read_bytes(ours) == stereo_wav(pcm_of(read_bytes(cli)), rate)) << "WAV differs from mpg123 -w";
}

TEST(MpegDecoder, EveryRateMatchesMpg123InMonoAndStereo) {
  TempDir dir;
  for (const int rate : {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000}) {
    for (const int channels : {1, 2}) {
      SCOPED_TRACE(std::to_string(rate) + " Hz, " + std::to_string(channels) + " channel(s)");
      const std::string mp3 = make_mp3(dir, rate, channels);
      std::string status = "untouched";
      progress_calls.clear();
      ASSERT_EQ(CbMpegAudioDecoder(mp3, dir.file("ours.wav"), kDecodeToWave, status, record_progress), 0)
          << status;
      EXPECT_EQ(status, "");
      expect_wav_of_mpg123(dir.file("ours.wav"), mp3, static_cast<std::uint32_t>(rate), channels == 1);
      // Frames counted up, the whole file consumed at the end.
      ASSERT_FALSE(progress_calls.empty());
      const auto size = static_cast<std::uint32_t>(std::filesystem::file_size(mp3));
      EXPECT_EQ(progress_calls.back()[1], size);
      EXPECT_EQ(progress_calls.back()[2], size);
      for (std::size_t i = 1; i < progress_calls.size(); ++i)
        EXPECT_GE(progress_calls[i][0], progress_calls[i - 1][0]);
    }
  }
}

TEST(MpegDecoder, ATruncatedMp3DecodesWhatIsThere) {
  TempDir dir;
  const std::string bytes = read_bytes(make_mp3(dir, 44100, 2));
  testsupport::write_bytes(dir.file("cut.mp3"), bytes.substr(0, bytes.size() / 2 + 77));
  std::string status;
  ASSERT_EQ(CbMpegAudioDecoder(dir.file("cut.mp3"), dir.file("ours.wav"), kDecodeToWave, status, nullptr), 0);
  expect_wav_of_mpg123(dir.file("ours.wav"), dir.file("cut.mp3"), 44100, false);
}

TEST(MpegDecoder, GarbageAndUnusableFilesLeaveNoWav) {
  TempDir dir;
  const std::string header48k = "\xFF\xFB\x94\x64";  // one plausible header, then nothing valid
  const std::pair<const char*, std::string> inputs[] = {
      {"empty", ""},
      {"random", noise(20000, 11)},
      {"one header then random", header48k + noise(20000, 11)},
      {"one header then zeros", header48k + std::string(2000, '\0')},
      {"all FF", std::string(4000, '\xFF')},
      {"text", "this is not an mp3 file at all\n"},
  };
  for (const auto& [name, bytes] : inputs) {
    SCOPED_TRACE(name);
    testsupport::write_bytes(dir.file("bad.mp3"), bytes);
    std::string status;
    EXPECT_NE(CbMpegAudioDecoder(dir.file("bad.mp3"), dir.file("out.wav"), kDecodeToWave, status, nullptr),
              0);
    EXPECT_FALSE(status.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.wav")));
  }
  const std::string mp3 = make_mp3(dir, 22050, 2);
  struct Call {
    std::string in, out;
    std::int32_t kind;
  };
  for (const Call& c :
       {Call{dir.file("missing.mp3"), dir.file("a.wav"), kDecodeToWave},
        Call{dir.path().string(), dir.file("b.wav"), kDecodeToWave},
        Call{mp3, dir.file("no/folder/c.wav"), kDecodeToWave}, Call{mp3, dir.file("d.wav"), 2}}) {
    SCOPED_TRACE(c.out);
    std::string status;
    EXPECT_NE(CbMpegAudioDecoder(c.in, c.out, c.kind, status, nullptr), 0);
    EXPECT_FALSE(status.empty());
    EXPECT_FALSE(std::filesystem::exists(c.out));
  }
}

}  // namespace
