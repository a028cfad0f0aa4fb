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

// Our WAV is a canonical 16-bit stereo file at `rate` holding the PCM of `mpg123 -w` (which
// puts mono into both channels with --stereo).
void expect_wav_of_mpg123(const std::string& ours, const std::string& mp3, std::uint32_t rate, bool mono) {
  const std::string cli = std::filesystem::path(ours).replace_filename("cli.wav").string();
  must_run("mpg123 -q " + std::string(mono ? "--stereo " : "") + "-w " + quote(cli) + " " + quote(mp3));
  EXPECT_TRUE(read_bytes(ours) == stereo_wav(pcm_of(read_bytes(cli)), rate)) << "WAV differs from mpg123 -w";
}

TEST(MpegDecoder, EachMpegVersionMatchesMpg123InMonoAndStereo) {
  TempDir dir;
  for (const int rate : {8000, 22050, 48000}) {  // MPEG-2.5, MPEG-2 and MPEG-1
    for (const int channels : {1, 2}) {
      SCOPED_TRACE(std::to_string(rate) + " Hz, " + std::to_string(channels) + " channel(s)");
      const std::string mp3 = sox_mp3(dir, rate, channels);
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
  const std::string bytes = read_bytes(sox_mp3(dir, 44100, 2));
  testsupport::write_bytes(dir.file("cut.mp3"), bytes.substr(0, bytes.size() / 2 + 77));
  std::string status;
  ASSERT_EQ(CbMpegAudioDecoder(dir.file("cut.mp3"), dir.file("ours.wav"), kDecodeToWave, status, nullptr), 0);
  expect_wav_of_mpg123(dir.file("ours.wav"), dir.file("cut.mp3"), 44100, false);
}

TEST(MpegDecoder, GarbageAndUnusableFilesLeaveNoWav) {
  TempDir dir;
  const std::string mp3 = sox_mp3(dir, 22050, 2), header48k = "\xFF\xFB\x94\x64";
  struct Call {
    std::string in, out;
    std::int32_t kind;
  };
  std::vector<Call> calls = {{dir.file("missing.mp3"), dir.file("a.wav"), kDecodeToWave},
                             {dir.path().string(), dir.file("b.wav"), kDecodeToWave},
                             {mp3, dir.file("no/folder/c.wav"), kDecodeToWave},
                             {mp3, dir.file("d.wav"), 2}};
  // One plausible header, then nothing valid, and other garbage.
  for (const std::string& bytes :
       {std::string(), noise(20000, 11), header48k + noise(20000, 11), header48k + std::string(2000, '\0'),
        std::string(4000, '\xFF'), std::string("this is not an mp3 file at all\n")}) {
    const std::string name = dir.file("bad" + std::to_string(calls.size()) + ".mp3");
    testsupport::write_bytes(name, bytes);
    calls.push_back({name, dir.file("out.wav"), kDecodeToWave});
  }
  for (const Call& c : calls) {
    SCOPED_TRACE(c.in + " -> " + c.out);
    std::string status;
    EXPECT_NE(CbMpegAudioDecoder(c.in, c.out, c.kind, status, nullptr), 0);
    EXPECT_FALSE(status.empty());
    EXPECT_FALSE(std::filesystem::exists(c.out));
  }
}

}  // namespace
