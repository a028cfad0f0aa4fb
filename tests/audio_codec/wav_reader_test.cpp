#include "audio/codec/wav_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "codec_fixtures.h"

namespace {

using namespace codec_test;
using testsupport::TempDir;
using testsupport::write_bytes;

const std::string kSource = "mellix.cWavePlayer";

std::string buffer_bytes(const cWavReader& reader, std::int32_t frames) {
  std::string out(static_cast<std::size_t>(frames) * 4, '\0');
  std::memcpy(out.data(), reader.ReadBufferPtr(), out.size());
  return out;
}

TEST(WavReader, AcceptsSoxStereoWavAndReportsItsLength) {
  TempDir dir;
  const std::string path = sox_wav(dir, "tone.wav", 44100, 2, 16, 1.0);
  cWavReader reader;
  reader.Filename(path);
  EXPECT_EQ(reader.Filename(), path);
  EXPECT_EQ(reader.AudioLength(), 44100);
  EXPECT_EQ(reader.format().samples_per_sec, 44100u);
  EXPECT_EQ(reader.format().block_align, 4);
  EXPECT_EQ(reader.ReadBufferSize(), 32768);
  EXPECT_EQ(reader.BufferStartPosition(), 0);
}

TEST(WavReader, RefusesMonoEightBitAndTwentyFourBitFiles) {
  TempDir dir;
  struct Case {
    int channels;
    int bits;
  };
  for (const Case c : {Case{1, 16}, Case{2, 8}, Case{2, 24}, Case{1, 8}}) {
    SCOPED_TRACE(std::to_string(c.channels) + " channels, " + std::to_string(c.bits) + " bits");
    const std::string path = sox_wav(dir, "odd.wav", 22050, c.channels, c.bits, 0.2);
    cWavReader reader;
    expect_vb_error([&] { reader.Filename(path); }, 29671, kSource,
                    "Only stereo 16 bit wave files supported.");
    EXPECT_EQ(reader.Filename(), "");
    // The failed open left the reader closed.
    expect_vb_error([&] { reader.Read(); }, 29676, kSource, "No Wave File Open");
  }
}

TEST(WavReader, AcceptsAnyRateAndFormatTag) {
  TempDir dir;
  for (const std::uint32_t rate : {11025u, 96000u, 1u}) {
    write_bytes(dir.file("rate.wav"), stereo_wav(noise(400), rate));
    cWavReader reader;
    reader.Filename(dir.file("rate.wav"));
    EXPECT_EQ(reader.AudioLength(), 100) << rate;
  }
  // Format tag 3 (float) with 16 bits is not tested for.
  write_bytes(dir.file("tag.wav"),
              riff("WAVE", chunk("fmt ", fmt_payload(2, 44100, 16, 3)) + chunk("data", noise(40))));
  cWavReader reader;
  reader.Filename(dir.file("tag.wav"));
  EXPECT_EQ(reader.AudioLength(), 10);
}

TEST(WavReader, RefusesARiffFileOfAnotherForm) {
  TempDir dir;
  const std::string avi = dir.file("clip.avi");
  must_run("ffmpeg -v error -f lavfi -i sine=frequency=440:duration=0.2 -c:a pcm_s16le -ac 2 " +
           testsupport::quote(avi));
  ASSERT_EQ(testsupport::read_bytes(avi).substr(8, 4), "AVI ");
  cWavReader reader;
  expect_vb_error([&] { reader.Filename(avi); }, 29673, kSource, "Not a Wave file.");

  // A RIFF/WAVE chunk after another top-level chunk is still found.
  write_bytes(dir.file("second.wav"), chunk("JUNK", "abc") + stereo_wav(noise(8)));
  reader.Filename(dir.file("second.wav"));
  EXPECT_EQ(reader.AudioLength(), 2);
}

TEST(WavReader, AcceptsAnExtensibleFormatChunk) {
  TempDir dir;
  // WAVE_FORMAT_EXTENSIBLE: 18 bytes of WAVEFORMATEX, 22 more of valid bits, mask and GUID.
  std::string fmt = fmt_payload(2, 48000, 16, 0xFFFE) + le16(22) + le16(16) + le32(3);
  fmt += std::string("\x01\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 16);
  ASSERT_EQ(fmt.size(), 40u);
  const std::string data = noise(4096);
  write_bytes(dir.file("ext.wav"), riff("WAVE", chunk("fmt ", fmt) + chunk("data", data)));
  cWavReader reader;
  reader.Filename(dir.file("ext.wav"));
  EXPECT_EQ(reader.format().extra_size, 22);
  EXPECT_EQ(reader.AudioLength(), 1024);
  EXPECT_FALSE(reader.Read());
  EXPECT_EQ(buffer_bytes(reader, reader.ReadSize()), data);
}

TEST(WavReader, HeaderFaultsGetTheirNumbers) {
  TempDir dir;
  struct Case {
    const char* name;
    std::string bytes;
    long number;
    const char* description;
  };
  const std::string fmt = chunk("fmt ", fmt_payload(2, 44100, 16));
  const Case cases[] = {
      {"data before fmt", riff("WAVE", chunk("data", noise(16)) + fmt), 29676, "No Wave File Open"},
      {"no data chunk", riff("WAVE", fmt + chunk("LIST", "INFO")), 29676, "No Wave File Open"},
      {"no fmt chunk", riff("WAVE", chunk("data", noise(16))), 29674, "Unable to retrieve format chunk"},
      {"fmt beyond the RIFF size", riff("WAVE", fmt + chunk("data", noise(16)), 4), 29674,
       "Unable to retrieve format chunk"},
      {"empty file", "", 29673, "Not a Wave file."},
      {"random bytes", noise(3000, 99), 29673, "Not a Wave file."},
      {"RIFF header only", "RIFF", 29673, "Not a Wave file."},
      {"truncated inside fmt", stereo_wav(noise(64)).substr(0, 30), 29671,
       "Only stereo 16 bit wave files supported."},
      {"truncated before data", stereo_wav(noise(64)).substr(0, 38), 29676, "No Wave File Open"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    write_bytes(dir.file("fault.wav"), c.bytes);
    cWavReader reader;
    expect_vb_error([&] { reader.Filename(dir.file("fault.wav")); }, c.number, kSource, c.description);
    EXPECT_EQ(reader.Filename(), "");
  }
}

TEST(WavReader, FilesThatCannotBeOpenedGetError2) {
  TempDir dir;
  cWavReader reader;
  expect_vb_error([&] { reader.Filename(dir.file("missing.wav")); }, 29672, kSource, "Unable to open file.");
  expect_vb_error([&] { reader.Filename(dir.path().string()); }, 29672, kSource, "Unable to open file.");
  expect_vb_error([&] { reader.Filename("/dev/zero"); }, 29672, kSource, "Unable to open file.");
  EXPECT_FALSE(reader.OpenFile(""));
}

TEST(WavReader, SkipsOddSizedChunksWithTheirPadByte) {
  TempDir dir;
  const std::string data = noise(12);
  write_bytes(dir.file("pad.wav"),
              riff("WAVE", chunk("LIST", "INFOx") + chunk("fmt ", fmt_payload(2, 8000, 16)) +
                               chunk("junk", "abc") + chunk("data", data)));
  cWavReader reader;
  reader.Filename(dir.file("pad.wav"));
  EXPECT_FALSE(reader.Read());
  EXPECT_EQ(reader.ReadSize(), 3);
  EXPECT_EQ(buffer_bytes(reader, 3), data);
}

TEST(WavReader, ExactlyOneBufferIsDeliveredByTheReadThatReturnsFalse) {
  TempDir dir;
  const std::string data = noise(131072);
  write_bytes(dir.file("one.wav"), stereo_wav(data));
  cWavReader reader;
  reader.Filename(dir.file("one.wav"));
  EXPECT_FALSE(reader.Read());
  EXPECT_EQ(reader.ReadSize(), 32768);
  EXPECT_EQ(buffer_bytes(reader, 32768), data);
  // At the end: false again, last read kept.
  EXPECT_FALSE(reader.Read());
  EXPECT_EQ(reader.ReadSize(), 32768);
}

TEST(WavReader, ReadsWholeBuffersThenTheRest) {
  TempDir dir;
  const std::string data = noise(3 * 400 + 6);
  write_bytes(dir.file("parts.wav"), stereo_wav(data));
  cWavReader reader;
  reader.ReadBufferSize(100);
  reader.Filename(dir.file("parts.wav"));
  std::string got;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(reader.Read());
    EXPECT_EQ(reader.ReadSize(), 100);
    got += buffer_bytes(reader, 100);
  }
  EXPECT_FALSE(reader.Read());
  EXPECT_EQ(reader.ReadSize(), 1);  // 6 bytes: one whole frame
  got += buffer_bytes(reader, 1);
  EXPECT_EQ(got, data.substr(0, 1204));
  EXPECT_EQ(reader.BufferStartPosition(), 1206);
}

TEST(WavReader, DataChunkLongerThanTheFileEndsWhereTheFileEnds) {
  TempDir dir;
  const std::string data = noise(1000);
  write_bytes(dir.file("short.wav"),
              riff("WAVE", chunk("fmt ", fmt_payload(2, 44100, 16)) + chunk("data", data, 0x7FFFFFF0)));
  cWavReader reader;
  reader.ReadBufferSize(64);
  reader.Filename(dir.file("short.wav"));
  EXPECT_EQ(reader.AudioLength(), 0x7FFFFFF0 / 4);
  int reads = 0;
  std::int64_t frames = 0;
  bool more = true;
  while (more && reads < 100) {
    more = reader.Read();
    frames += reader.ReadSize();
    ++reads;
  }
  EXPECT_FALSE(more);
  EXPECT_EQ(reads, 4);          // three full buffers of 256 bytes, then 232 bytes
  EXPECT_EQ(frames, 250);       // every byte delivered once
  EXPECT_FALSE(reader.Read());  // and nothing after the end
  EXPECT_EQ(reader.ReadSize(), 0);
}

TEST(WavReader, SeeksAtAndPastTheEnd) {
  TempDir dir;
  write_bytes(dir.file("seek.wav"), stereo_wav(noise(400)));
  cWavReader reader;
  reader.ReadBufferSize(10);
  reader.Filename(dir.file("seek.wav"));
  ASSERT_TRUE(reader.Read());

  reader.SeekAbsolute(100);  // the end of the data is allowed
  EXPECT_EQ(reader.BufferStartPosition(), 400);
  EXPECT_FALSE(reader.Read());
  EXPECT_EQ(reader.ReadSize(), 10);  // kept from the read before

  expect_vb_error([&] { reader.SeekAbsolute(101); }, 29678, kSource, "Position out of range");
  expect_vb_error([&] { reader.SeekAbsolute(-1); }, 29678, kSource, "Position out of range");
  EXPECT_EQ(reader.BufferStartPosition(), 400);

  reader.SeekAbsolute(95);
  EXPECT_FALSE(reader.Read());
  EXPECT_EQ(reader.ReadSize(), 5);

  reader.SeekRelative(-100);
  EXPECT_EQ(reader.BufferStartPosition(), 0);
  expect_vb_error([&] { reader.SeekRelative(-1); }, 29678, kSource, "Position out of range");
  expect_vb_error([&] { reader.SeekRelative(101); }, 29678, kSource, "Position out of range");
  reader.SeekRelative(100);
  EXPECT_EQ(reader.BufferStartPosition(), 400);
}

TEST(WavReader, BufferSizeIsFixedWhileAFileIsOpen) {
  TempDir dir;
  write_bytes(dir.file("size.wav"), stereo_wav(noise(400)));
  cWavReader reader;
  reader.ReadBufferSize(10);
  reader.Filename(dir.file("size.wav"));
  expect_vb_error([&] { reader.ReadBufferSize(20); }, 29679, kSource,
                  "Cannot change buffer size whilst a file is open.");
  EXPECT_EQ(reader.ReadBufferSize(), 10);
  reader.CloseFile();
  reader.ReadBufferSize(20);
  EXPECT_EQ(reader.ReadBufferSize(), 20);
  EXPECT_EQ(reader.AudioLength(), 0);
}

TEST(WavReader, ABufferOfNoFramesDeliversNothingAndEnds) {
  TempDir dir;
  write_bytes(dir.file("zero.wav"), stereo_wav(noise(400)));
  cWavReader reader;
  reader.ReadBufferSize(0);
  reader.Filename(dir.file("zero.wav"));
  EXPECT_FALSE(reader.Read());
  EXPECT_EQ(reader.ReadSize(), 0);
}

TEST(WavReader, NegativeBufferSizeCannotBeAllocated) {
  TempDir dir;
  write_bytes(dir.file("neg.wav"), stereo_wav(noise(400)));
  cWavReader reader;
  reader.ReadBufferSize(-5);
  expect_vb_error([&] { reader.Filename(dir.file("neg.wav")); }, 29677, kSource, "Insufficient memory");
  EXPECT_EQ(reader.Filename(), "");
}

TEST(WavReader, ReadWithoutAFileIsError6) {
  cWavReader reader;
  expect_vb_error([&] { reader.Read(); }, 29676, kSource, "No Wave File Open");
}

TEST(WavReader, AFailedOpenKeepsTheOldFilename) {
  TempDir dir;
  write_bytes(dir.file("good.wav"), stereo_wav(noise(40)));
  write_bytes(dir.file("bad.wav"), "RIFF");
  cWavReader reader;
  reader.Filename(dir.file("good.wav"));
  expect_vb_error([&] { reader.Filename(dir.file("bad.wav")); }, 29673, kSource, "Not a Wave file.");
  EXPECT_EQ(reader.Filename(), dir.file("good.wav"));
  expect_vb_error([&] { reader.Read(); }, 29676, kSource, "No Wave File Open");
}

}  // namespace
