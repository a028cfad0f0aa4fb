#include "platform/codec/lame_stream.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using namespace platform;
namespace f = lame_config;

LameConfig config(std::uint32_t in_rate, std::uint32_t out_rate, std::uint32_t bitrate,
                  std::int32_t mode = BE_MP3_MODE_JSTEREO) {
  LameConfig c{};
  put_u32(c.data(), f::kConfigKind, BE_CONFIG_LAME);
  put_u32(c.data(), f::kStructVersion, 1);
  put_u32(c.data(), f::kStructSize, kLameConfigSize);
  put_u32(c.data(), f::kSampleRate, in_rate);
  put_u32(c.data(), f::kReSampleRate, out_rate);
  put_u32(c.data(), f::kMode, static_cast<std::uint32_t>(mode));
  put_u32(c.data(), f::kBitrate, bitrate);
  put_u32(c.data(), f::kOriginal, 1);
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
      {22050, 0, BE_MP3_MODE_JSTEREO, 1152, 7920},  // MPEG-2: 576 per channel
      {48000, 22050, BE_MP3_MODE_JSTEREO, 1152, 7920},
      {11025, 0, BE_MP3_MODE_JSTEREO, 1152, 7920},  // MPEG-2.5
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
  put_u32(other.data(), f::kConfigKind, 0);  // the plain MP3 record kind
  EXPECT_EQ(beInitStream(other, &samples, &buffer, &stream), BE_ERR_INVALID_FORMAT);
  // Rates the library would abort on and unknown modes (the encoder's tests try more of them).
  for (const LameConfig& refused :
       {config(500, 0, 128), config(0xFFFFFFFFu, 0, 128), config(44100, 0, 128, 2)})
    EXPECT_EQ(beInitStream(refused, &samples, &buffer, &stream), BE_ERR_INVALID_FORMAT_PARAMETERS);
  LameConfig vbr = config(44100, 0, 128);
  put_u32(vbr.data(), f::kEnableVbr, 1);
  put_u32(vbr.data(), f::kVbrMethod, 9);
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

}  // namespace
