// The encoder-stream and decoder layers over the lame and mpg123 libraries.

#include "platform/codec/mpeg_decoder.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "../audio_codec/codec_fixtures.h"
#include "platform/codec/lame_stream.h"

namespace {

using namespace codec_test;
using namespace platform;
namespace f = lame_config;
using testsupport::quote;
using testsupport::read_bytes;
using testsupport::TempDir;

LameConfig config(std::uint32_t in_rate, std::uint32_t out_rate, std::uint32_t bitrate,
                  std::int32_t mode = BE_MP3_MODE_JSTEREO) {
  LameConfig c{};
  core::set_u32le(c.data(), f::kConfigKind, BE_CONFIG_LAME);
  core::set_u32le(c.data(), f::kStructVersion, 1);
  core::set_u32le(c.data(), f::kStructSize, kLameConfigSize);
  core::set_u32le(c.data(), f::kSampleRate, in_rate);
  core::set_u32le(c.data(), f::kReSampleRate, out_rate);
  core::set_u32le(c.data(), f::kMode, static_cast<std::uint32_t>(mode));
  core::set_u32le(c.data(), f::kBitrate, bitrate);
  core::set_u32le(c.data(), f::kOriginal, 1);
  return c;
}

TEST(LameStream, ChunkAndBufferSizesFollowTheOutputMpegVersion) {
  struct Case {
    std::uint32_t in_rate, out_rate;
    std::int32_t mode;
    std::uint32_t samples, buffer;
  };
  const Case cases[] = {
      {44100, 0, BE_MP3_MODE_JSTEREO, 2304, 8640},  // MPEG-1: 1152 per channel
      {48000, 0, BE_MP3_MODE_STEREO, 2304, 8640},
      {22050, 0, BE_MP3_MODE_JSTEREO, 1152, 7920},  // MPEG-2 and 2.5: 576 per channel
      {48000, 22050, BE_MP3_MODE_JSTEREO, 1152, 7920},
      {44100, 0, BE_MP3_MODE_MONO, 1152, 8640},
      {22050, 0, BE_MP3_MODE_MONO, 576, 7920},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.in_rate) + " -> " + std::to_string(c.out_rate));
    std::uint32_t samples = 0, buffer = 0, stream = 0;
    ASSERT_EQ(beInitStream(config(c.in_rate, c.out_rate, 128, c.mode), &samples, &buffer, &stream), 0u);
    EXPECT_EQ(samples, c.samples);
    EXPECT_EQ(buffer, c.buffer);
    EXPECT_NE(stream, 0u);
    EXPECT_EQ(beCloseStream(stream), 0u);
  }
}

TEST(LameStream, RefusesWhatTheLibraryCannotEncode) {
  std::uint32_t samples = 7, buffer = 7, stream = 7;
  LameConfig other = config(44100, 0, 128);
  core::set_u32le(other.data(), f::kConfigKind, 0);  // the plain MP3 record kind
  EXPECT_EQ(beInitStream(other, &samples, &buffer, &stream), BE_ERR_INVALID_FORMAT);
  // Rates the library would abort on and unknown modes (the encoder's tests try more of them).
  for (const LameConfig& refused :
       {config(500, 0, 128), config(0xFFFFFFFFu, 0, 128), config(44100, 0, 128, 2)})
    EXPECT_EQ(beInitStream(refused, &samples, &buffer, &stream), BE_ERR_INVALID_FORMAT_PARAMETERS);
  LameConfig vbr = config(44100, 0, 128);
  core::set_u32le(vbr.data(), f::kEnableVbr, 1);
  core::set_u32le(vbr.data(), f::kVbrMethod, 9);
  EXPECT_EQ(beInitStream(vbr, &samples, &buffer, &stream), BE_ERR_INVALID_FORMAT_PARAMETERS);
  EXPECT_EQ(samples, 7u);  // nothing was handed out
  EXPECT_EQ(stream, 7u);
}

TEST(LameStream, UnknownHandlesAreInvalidAndOversizedChunksDoNotOverrun) {
  std::vector<std::uint8_t> out(8640);
  std::vector<std::int16_t> pcm(2304);
  std::uint32_t written = 99;
  EXPECT_EQ(beEncodeChunk(0, 2304, pcm.data(), out.data(), &written), BE_ERR_INVALID_HANDLE);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(beDeinitStream(123456, out.data(), &written), BE_ERR_INVALID_HANDLE);
  EXPECT_EQ(beCloseStream(123456), BE_ERR_INVALID_HANDLE);
  std::uint32_t samples = 0, buffer = 0, stream = 0;
  ASSERT_EQ(beInitStream(config(44100, 0, 128), &samples, &buffer, &stream), 0u);
  EXPECT_EQ(beCloseStream(stream), 0u);
  EXPECT_EQ(beCloseStream(stream), BE_ERR_INVALID_HANDLE);  // closed once only
  EXPECT_EQ(beEncodeChunk(stream, 2304, pcm.data(), out.data(), &written), BE_ERR_INVALID_HANDLE);

  // 8000 Hz upsampled to 48000 at 320 kbit/s: a huge chunk makes more frames than the reported
  // buffer holds, which the stream answers instead of overrunning it.
  ASSERT_EQ(beInitStream(config(8000, 48000, 320), &samples, &buffer, &stream), 0u);
  pcm.resize(samples * 20);
  for (std::size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<std::int16_t>((i * 7919) % 20000 - 10000);
  out.resize(buffer);
  EXPECT_EQ(beEncodeChunk(stream, static_cast<std::uint32_t>(pcm.size()), pcm.data(), out.data(), &written),
            BE_ERR_BUFFER_TOO_SMALL);
  EXPECT_EQ(beCloseStream(stream), 0u);
}

TEST(LameStream, HandleCounterSkipsZeroAndHandlesStillOpenAfterItWraps) {
  const std::set<std::uint32_t> open = {0xFFFFFFFFu, 1, 2};
  auto in_use = [&](std::uint32_t h) { return open.count(h) != 0; };
  std::uint32_t next = 0xFFFFFFFEu;
  EXPECT_EQ(take_free_handle(next, in_use), 0xFFFFFFFEu);
  EXPECT_EQ(take_free_handle(next, in_use), 3u);
  EXPECT_EQ(take_free_handle(next, in_use), 4u);
}

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
  for (const std::string& bytes : {std::string(), noise(20000, 11), header48k + noise(20000, 11),
                                   header48k + std::string(2000, '\0'), std::string(4000, '\xFF')}) {
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
