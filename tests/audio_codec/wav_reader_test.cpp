#include "audio/codec/wav_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "audio/codec/mp3_writer.h"
#include "audio/codec/wav_rate_probe.h"
#include "codec_fixtures.h"
#include "core/shared_state.h"

namespace {

using namespace codec_test;
using testsupport::read_bytes;
using testsupport::TempDir;
using testsupport::write_bytes;

const std::string kSource = "mellix.cWavePlayer", kWrite = "mellix.WriteBufferToFile";

std::string buffer_bytes(const cWavReader& reader, std::int32_t frames) {
  std::string out(static_cast<std::size_t>(frames) * 4, '\0');
  std::memcpy(out.data(), reader.ReadBufferPtr(), out.size());
  return out;
}

TEST(WavReader, AcceptedLayoutsDeliverTheirData) {
  TempDir dir;
  const std::string sox_pcm = pcm_of(read_bytes(sox_tone(dir.file("sox.wav"), 44100, 2, 16, 0.5)));
  // WAVE_FORMAT_EXTENSIBLE: 18 bytes of WAVEFORMATEX, then valid bits, channel mask and GUID.
  const std::string extensible =
      fmt_payload(2, 48000, 16, 0xFFFE) + le16(22) + le16(16) + le32(3) +
      std::string("\x01\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 16);
  const std::string d = noise(400);
  struct Row {
    const char* name;
    std::string bytes;
    const std::string& data;
  };
  const Row rows[] = {
      {"sox stereo 16-bit", read_bytes(dir.file("sox.wav")), sox_pcm},
      {"rate 96000", stereo_wav(d, 96000), d},
      {"float tag with 16 bits", riff("WAVE", chunk("fmt ", fmt_payload(2, 44100, 16, 3)) + chunk("data", d)),
       d},
      {"RIFF after another chunk", chunk("JUNK", "abc") + stereo_wav(d), d},
      {"extensible fmt chunk", riff("WAVE", chunk("fmt ", extensible) + chunk("data", d)), d},
      {"odd-sized chunks and pad bytes",
       riff("WAVE", chunk("LIST", "INFOx") + chunk("fmt ", fmt_payload(2, 8000, 16)) + chunk("junk", "abc") +
                        chunk("data", d)),
       d},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    write_bytes(dir.file("in.wav"), row.bytes);
    cWavReader reader;
    reader.Filename(dir.file("in.wav"));
    const auto frames = static_cast<std::int32_t>(row.data.size() / 4);
    EXPECT_EQ(reader.AudioLength(), frames);
    EXPECT_FALSE(reader.Read());
    ASSERT_EQ(reader.ReadSize(), frames);
    EXPECT_EQ(buffer_bytes(reader, frames), row.data);
  }
}

TEST(WavReader, FaultsGetTheirNumbers) {
  TempDir dir;
  const auto sox = [&](int channels, int bits) {
    return read_bytes(sox_tone(dir.file("sox.wav"), 22050, channels, bits, 0.2));
  };
  const char* const kFormat = "Only stereo 16 bit wave files supported.";
  const std::string fmt = chunk("fmt ", fmt_payload(2, 44100, 16));
  struct Row {
    const char* name;
    std::string bytes;
    long number;
    const char* description;
  };
  const Row rows[] = {
      {"sox mono", sox(1, 16), 29671, kFormat},
      {"sox 8-bit", sox(2, 8), 29671, kFormat},
      {"data before fmt", riff("WAVE", chunk("data", noise(16)) + fmt), 29676, "No Wave File Open"},
      {"no data chunk", riff("WAVE", fmt + chunk("LIST", "INFO")), 29676, "No Wave File Open"},
      {"no fmt chunk", riff("WAVE", chunk("data", noise(16))), 29674, "Unable to retrieve format chunk"},
      {"fmt beyond the RIFF size", riff("WAVE", fmt + chunk("data", noise(16)), 4), 29674,
       "Unable to retrieve format chunk"},
      {"another RIFF form", riff("AVI ", fmt + chunk("data", noise(16))), 29673, "Not a Wave file."},
      {"empty file", "", 29673, "Not a Wave file."},
      {"truncated inside fmt", stereo_wav(noise(64)).substr(0, 30), 29671, kFormat},
      {"truncated before data", stereo_wav(noise(64)).substr(0, 38), 29676, "No Wave File Open"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    write_bytes(dir.file("fault.wav"), row.bytes);
    cWavReader reader;
    expect_vb_error([&] { reader.Filename(dir.file("fault.wav")); }, row.number, kSource, row.description);
    EXPECT_EQ(reader.Filename(), "");
    expect_vb_error([&] { reader.Read(); }, 29676, kSource, "No Wave File Open");  // left closed
  }
  for (const std::string& path : {dir.file("missing.wav"), dir.path().string(), std::string("/dev/zero")}) {
    cWavReader reader;
    expect_vb_error([&] { reader.Filename(path); }, 29672, kSource, "Unable to open file.");
  }
}

TEST(WavReader, ReadsWholeBuffersThenTheRest) {
  struct Row {
    const char* name;
    std::size_t bytes;
    std::int64_t declared;  // the data chunk's size field, -1 for the true size
    std::int32_t buffer;    // frames, -1 for the default
    std::vector<std::int32_t> reads;
    std::int32_t after_end;  // ReadSize after one more read, -1 unchecked
  };
  const Row rows[] = {
      {"exactly one default buffer", 131072, -1, -1, {32768}, 32768},
      {"three buffers and one frame", 1206, -1, 100, {100, 100, 100, 1}, -1},
      {"data chunk longer than the file", 1000, 0x7FFFFFF0, 64, {64, 64, 64, 58}, 0},
      {"buffer of no frames", 400, -1, 0, {0}, -1},
  };
  TempDir dir;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string data = noise(row.bytes);
    write_bytes(dir.file("in.wav"),
                riff("WAVE", chunk("fmt ", fmt_payload(2, 44100, 16)) + chunk("data", data, row.declared)));
    cWavReader reader;
    if (row.buffer >= 0) reader.ReadBufferSize(row.buffer);
    reader.Filename(dir.file("in.wav"));
    EXPECT_EQ(reader.AudioLength(), (row.declared < 0 ? row.bytes : row.declared) / 4);
    std::string got;
    for (std::size_t i = 0; i < row.reads.size(); ++i) {
      EXPECT_EQ(reader.Read(), i + 1 < row.reads.size()) << "read " << i;
      ASSERT_EQ(reader.ReadSize(), row.reads[i]) << "read " << i;
      got += buffer_bytes(reader, reader.ReadSize());
    }
    EXPECT_EQ(got, data.substr(0, got.size()));
    EXPECT_FALSE(reader.Read());
    if (row.after_end >= 0) {
      EXPECT_EQ(reader.ReadSize(), row.after_end);
    }
  }
}

TEST(WavReader, BufferSizeSeeksAndFailedOpens) {
  TempDir dir;
  write_bytes(dir.file("good.wav"), stereo_wav(noise(400)));
  write_bytes(dir.file("bad.wav"), "RIFF");
  cWavReader reader;
  expect_vb_error([&] { reader.Read(); }, 29676, kSource, "No Wave File Open");
  reader.ReadBufferSize(-5);
  expect_vb_error([&] { reader.Filename(dir.file("good.wav")); }, 29677, kSource, "Insufficient memory");
  EXPECT_EQ(reader.Filename(), "");
  reader.ReadBufferSize(10);
  reader.Filename(dir.file("good.wav"));
  expect_vb_error([&] { reader.ReadBufferSize(20); }, 29679, kSource,
                  "Cannot change buffer size whilst a file is open.");
  EXPECT_EQ(reader.ReadBufferSize(), 10);

  // Seeks: the end of the data is allowed, nothing past it.
  ASSERT_TRUE(reader.Read());
  reader.SeekAbsolute(100);
  EXPECT_EQ(reader.BufferStartPosition(), 400);
  EXPECT_FALSE(reader.Read());
  EXPECT_EQ(reader.ReadSize(), 10);  // kept from the read before
  for (const std::int32_t to : {101, -1})
    expect_vb_error([&] { reader.SeekAbsolute(to); }, 29678, kSource, "Position out of range");
  EXPECT_EQ(reader.BufferStartPosition(), 400);
  reader.SeekAbsolute(95);
  EXPECT_FALSE(reader.Read());
  EXPECT_EQ(reader.ReadSize(), 5);
  reader.SeekRelative(-100);
  EXPECT_EQ(reader.BufferStartPosition(), 0);
  for (const std::int32_t by : {-1, 101})
    expect_vb_error([&] { reader.SeekRelative(by); }, 29678, kSource, "Position out of range");
  reader.SeekRelative(100);
  EXPECT_EQ(reader.BufferStartPosition(), 400);

  // A failed open keeps the old name but closes the old file.
  expect_vb_error([&] { reader.Filename(dir.file("bad.wav")); }, 29673, kSource, "Not a Wave file.");
  EXPECT_EQ(reader.Filename(), dir.file("good.wav"));
  expect_vb_error([&] { reader.Read(); }, 29676, kSource, "No Wave File Open");
  reader.ReadBufferSize(20);
  EXPECT_EQ(reader.ReadBufferSize(), 20);
  EXPECT_EQ(reader.AudioLength(), 0);
}

TEST(Mp3Writer, EmptiesTheFileAndWritesTheFirstBytesOfItsBuffer) {
  TempDir dir;
  write_bytes(dir.file("out.mp3"), "previous contents");
  cMp3Writer writer;
  EXPECT_EQ(writer.BufferPointer(), nullptr);
  writer.Filename(dir.file("out.mp3"));
  ASSERT_NE(writer.BufferPointer(), nullptr);
  EXPECT_EQ(writer.WriteBufferToFile(8192), 8192);  // the default buffer, zero-initialised
  writer.CloseFile();
  EXPECT_EQ(read_bytes(dir.file("out.mp3")), std::string(8192, '\0'));

  writer.BufferSize(16);
  writer.Filename(dir.file("out.mp3"));
  std::memcpy(writer.BufferPointer(), "ABCDEFGHIJKLMNOP", 16);
  EXPECT_EQ(writer.WriteBufferToFile(3), 3);
  EXPECT_EQ(writer.WriteBufferToFile(16), 16);
  EXPECT_EQ(writer.WriteBufferToFile(0), 0);
  expect_vb_error([&] { writer.WriteBufferToFile(17); }, 29873, kWrite,
                  "Cannot write more data than is available in the buffer");
  writer.CloseFile();
  EXPECT_EQ(read_bytes(dir.file("out.mp3")), "ABCABCDEFGHIJKLMNOP");
  expect_vb_error([&] { writer.WriteBufferToFile(1); }, 29874, kWrite, "File not open for writing");
}

TEST(Mp3Writer, FilesThatCannotBeWrittenAndBuffersThatCannotBeAllocated) {
  TempDir dir;
  for (const std::string& path : {dir.file("no/such/folder/d.mp3"), std::string(), dir.path().string()}) {
    SCOPED_TRACE(path);
    cMp3Writer writer;
    expect_vb_error([&] { writer.Filename(path); }, 29872, "mellix.OpenFile",
                    "Unable to open file for writing");
    EXPECT_EQ(writer.Filename(), path);  // path and buffer stay
    EXPECT_NE(writer.BufferPointer(), nullptr);
    expect_vb_error([&] { writer.WriteBufferToFile(1); }, 29874, kWrite, "File not open for writing");
  }
  cMp3Writer negative;
  expect_vb_error([&] { negative.BufferSize(-1); }, 29871, "mellix.AllocateBuffer",
                  "Unable to allocate output buffer for writing");
  EXPECT_EQ(negative.BufferPointer(), nullptr);
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  cMp3Writer full;
  full.BufferSize(64);
  full.Filename("/dev/full");
  expect_vb_error([&] { full.WriteBufferToFile(64); }, 29875, kWrite, "Failed to write buffer to file");
}

TEST(WavRateProbe, ReadsTheFourBytesAtTheCanonicalRatePlace) {
  TempDir dir;
  struct Row {
    const char* name;
    std::string bytes;
    std::int32_t rate;
  };
  const Row rows[] = {
      {"sox stereo 48000", read_bytes(sox_tone(dir.file("a.wav"), 48000, 2, 16, 0.1)), 48000},
      {"bytes below 16 keep their place", stereo_wav(noise(16), 0x0A0B0C0D), 0x0A0B0C0D},
      {"zero bytes inside", stereo_wav(noise(16), 0x01000001), 0x01000001},
      {"LIST before fmt: inside its payload",
       riff("WAVE", chunk("LIST", "INFOabcdefgh") + chunk("fmt ", fmt_payload(2, 44100, 16))), 0x64636261},
      {"short file reads zeros", stereo_wav(noise(16), 44100).substr(0, 26), 0xAC44},
      {"empty file", "", 0},
  };
  for (const Row& row : rows) {
    write_bytes(dir.file("in.wav"), row.bytes);
    Restore<std::string> source(core::source_filename, dir.file("in.wav"));
    EXPECT_EQ(Module35::wav_sample_rate(), row.rate) << row.name;
  }
  Restore<std::string> source(core::source_filename, dir.file("missing.wav"));
  expect_vb_error([] { Module35::wav_sample_rate(); }, 53, "mellix.wav_sample_rate",
                  "File not found: " + dir.file("missing.wav"));
}

TEST(PadHexByte, PadsOneDigitAndRefusesOtherLengths) {
  for (const auto& [in, out] : {std::pair{"A", "0A"}, {"0", "00"}, {"AC", "AC"}, {"", ""}, {"ABC", ""}})
    EXPECT_EQ(Module36::pad_hex_byte(in), out) << in;
}

}  // namespace
