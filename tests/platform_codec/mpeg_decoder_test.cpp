#include "platform/codec/mpeg_decoder.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <random>
#include <vector>

#include "support/test_support.h"

namespace {

using platform::CbMpegAudioDecoder;
using platform::kDecodeToWave;
using testsupport::quote;
using testsupport::read_bytes;
using testsupport::TempDir;

std::uint32_t u32_at(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
  return v;
}

struct Progress {
  static inline std::vector<std::array<std::uint32_t, 3>> calls;
  static void record(std::uint32_t frames, std::uint32_t consumed, std::uint32_t total) {
    calls.push_back({frames, consumed, total});
  }
};

// An MP3 made by lame from a sox sweep, at `rate` with `channels`.
std::string make_mp3(const TempDir& dir, int rate, int channels) {
  const std::string name = std::to_string(rate) + "_" + std::to_string(channels);
  const std::string wav = dir.file(name + ".wav");
  const std::string mp3 = dir.file(name + ".mp3");
  EXPECT_EQ(testsupport::run("sox -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) +
                             " -b 16 " + quote(wav) + " synth 1.2 sine 200-2000 sine 700 vol 0.5"),
            0);
  // --resample keeps lame from choosing another rate for the bitrate.
  EXPECT_EQ(testsupport::run("lame --quiet -b 32 --resample " + std::to_string(rate / 1000.0) + " " +
                             (channels == 1 ? "-m m " : "") + quote(wav) + " " + quote(mp3)),
            0);
  return mp3;
}

TEST(MpegDecoder, EveryRateMatchesMpg123InMonoAndStereo) {
  TempDir dir;
  for (const int rate : {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000}) {
    for (const int channels : {1, 2}) {
      SCOPED_TRACE(std::to_string(rate) + " Hz, " + std::to_string(channels) + " channel(s)");
      const std::string mp3 = make_mp3(dir, rate, channels);
      const std::string ours = dir.file("ours.wav");
      const std::string cli = dir.file("cli.wav");
      std::string status = "untouched";
      Progress::calls.clear();
      ASSERT_EQ(CbMpegAudioDecoder(mp3, ours, kDecodeToWave, status, Progress::record), 0) << status;
      EXPECT_EQ(status, "");
      ASSERT_EQ(testsupport::run("mpg123 -q " + std::string(channels == 1 ? "--stereo " : "") + "-w " +
                                 quote(cli) + " " + quote(mp3)),
                0);
      const std::string a = read_bytes(ours);
      const std::string b = read_bytes(cli);
      ASSERT_GE(a.size(), 44u);
      // Canonical header: 16-bit stereo PCM at the MP3's own rate.
      EXPECT_EQ(a.substr(0, 4), "RIFF");
      EXPECT_EQ(u32_at(a, 4), a.size() - 8);
      EXPECT_EQ(a.substr(8, 8), "WAVEfmt ");
      EXPECT_EQ(u32_at(a, 16), 16u);
      EXPECT_EQ(u32_at(a, 20), 0x00020001u);  // PCM, 2 channels
      EXPECT_EQ(u32_at(a, 24), static_cast<std::uint32_t>(rate));
      EXPECT_EQ(u32_at(a, 28), static_cast<std::uint32_t>(rate * 4));
      EXPECT_EQ(u32_at(a, 32), 0x00100004u);  // block align 4, 16 bits
      EXPECT_EQ(a.substr(36, 4), "data");
      EXPECT_EQ(u32_at(a, 40), a.size() - 44);
      // The PCM equals mpg123's, byte for byte.
      const std::size_t cli_data = b.find("data") + 8;
      EXPECT_TRUE(a.compare(44, std::string::npos, b, cli_data) == 0) << "PCM differs from mpg123 -w";
      // Mono input comes out with both channels equal.
      if (channels == 1) {
        bool equal = true;
        for (std::size_t i = 44; i + 3 < a.size(); i += 4) equal = equal && a.compare(i, 2, a, i + 2, 2) == 0;
        EXPECT_TRUE(equal);
      }
      // Progress: frames counted up, the whole file consumed at the end.
      ASSERT_FALSE(Progress::calls.empty());
      const std::uint32_t size = static_cast<std::uint32_t>(std::filesystem::file_size(mp3));
      EXPECT_EQ(Progress::calls.back()[1], size);
      EXPECT_EQ(Progress::calls.back()[2], size);
      for (std::size_t i = 1; i < Progress::calls.size(); ++i)
        EXPECT_GE(Progress::calls[i][0], Progress::calls[i - 1][0]);
    }
  }
}

TEST(MpegDecoder, GarbageLeavesNoWav) {
  TempDir dir;
  std::mt19937 gen(11);
  std::string random(20000, '\0');
  for (char& c : random) c = static_cast<char>(gen() & 0xFF);
  const std::string header48k = "\xFF\xFB\x94\x64";  // one plausible header, then nothing valid
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty", ""},
      {"random", random},
      {"one header then random", header48k + random},
      {"one header then zeros", header48k + std::string(2000, '\0')},
      {"all FF", std::string(4000, '\xFF')},
      {"text", "this is not an mp3 file at all\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::write_bytes(dir.file("bad.mp3"), c.bytes);
    std::string status;
    EXPECT_NE(CbMpegAudioDecoder(dir.file("bad.mp3"), dir.file("out.wav"), kDecodeToWave, status, nullptr),
              0);
    EXPECT_FALSE(status.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.wav")));
  }
}

TEST(MpegDecoder, MissingInputUnwritableOutputAndOtherKindsFail) {
  TempDir dir;
  const std::string mp3 = make_mp3(dir, 22050, 2);
  std::string status;
  EXPECT_NE(CbMpegAudioDecoder(dir.file("missing.mp3"), dir.file("a.wav"), kDecodeToWave, status, nullptr),
            0);
  EXPECT_FALSE(std::filesystem::exists(dir.file("a.wav")));
  EXPECT_NE(CbMpegAudioDecoder(dir.path().string(), dir.file("b.wav"), kDecodeToWave, status, nullptr), 0);
  EXPECT_FALSE(std::filesystem::exists(dir.file("b.wav")));
  status.clear();
  EXPECT_NE(CbMpegAudioDecoder(mp3, dir.file("no/folder/c.wav"), kDecodeToWave, status, nullptr), 0);
  EXPECT_FALSE(status.empty());
  EXPECT_NE(CbMpegAudioDecoder(mp3, dir.file("d.wav"), 2, status, nullptr), 0);
  EXPECT_FALSE(std::filesystem::exists(dir.file("d.wav")));
}

TEST(MpegDecoder, ATruncatedMp3DecodesWhatIsThere) {
  TempDir dir;
  const std::string mp3 = make_mp3(dir, 44100, 2);
  const std::string bytes = read_bytes(mp3);
  testsupport::write_bytes(dir.file("cut.mp3"), bytes.substr(0, bytes.size() / 2 + 77));
  std::string status;
  ASSERT_EQ(CbMpegAudioDecoder(dir.file("cut.mp3"), dir.file("ours.wav"), kDecodeToWave, status, nullptr), 0);
  ASSERT_EQ(testsupport::run("mpg123 -q -w " + quote(dir.file("cli.wav")) + " " + quote(dir.file("cut.mp3"))),
            0);
  const std::string a = read_bytes(dir.file("ours.wav"));
  const std::string b = read_bytes(dir.file("cli.wav"));
  EXPECT_TRUE(a.compare(44, std::string::npos, b, b.find("data") + 8) == 0);
}

}  // namespace
