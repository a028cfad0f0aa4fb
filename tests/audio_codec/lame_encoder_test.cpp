#include "audio/codec/lame_encoder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "codec_fixtures.h"
#include "core/shared_state.h"
#include "platform/codec/lame_stream.h"

namespace {

using namespace codec_test;
using testsupport::quote;
using testsupport::read_bytes;
using testsupport::TempDir;
using testsupport::write_bytes;
namespace f = platform::lame_config;

// Sets source_sample_rate for one object's creation and puts it back afterwards.
class SourceRate {
 public:
  explicit SourceRate(std::int32_t rate) : old_(core::source_sample_rate) { core::source_sample_rate = rate; }
  ~SourceRate() { core::source_sample_rate = old_; }

 private:
  std::int32_t old_;
};

// Encodes `wav` to `mp3` the way the pages do.
void encode(const std::string& wav, const std::string& mp3, std::int32_t source_rate) {
  SourceRate rate(source_rate);
  cLameEncoder encoder;
  encoder.WavFile(wav);
  encoder.Mp3File(mp3);
  encoder.Encode();
}

// Length of the MPEG audio frame whose header starts `bytes`.
std::size_t frame_length(const std::string& bytes) {
  const auto b = [&](int i) { return static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]); };
  const int version_bits = (b(1) >> 3) & 0x03;  // xxx11xxx
  const bool mpeg1 = version_bits == 3;
  static constexpr int kMpeg1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
  static constexpr int kMpeg2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
  static constexpr int kRates[] = {44100, 48000, 32000, 0};
  const int kbps = (mpeg1 ? kMpeg1 : kMpeg2)[b(2) >> 4];
  int rate = kRates[(b(2) >> 2) & 0x03];
  if (version_bits == 2) rate /= 2;
  if (version_bits == 0) rate /= 4;
  const int padding = (b(2) >> 1) & 0x01;
  return static_cast<std::size_t>((mpeg1 ? 144000 : 72000) * kbps / rate + padding);
}

// Our MP3 is LAME's Info frame (left unfilled: its header, then zeros) followed by exactly the
// command line's frames. At bitrates whose frames are too small for the tag, LAME writes no
// Info frame and the files are equal. Returns the audio frames after the Info frame.
std::string expect_frames_equal_lame_cli(const std::string& ours, const std::string& cli,
                                         bool info_frame = true) {
  if (!info_frame) {
    EXPECT_TRUE(ours == cli) << "frames differ from lame's";
    return ours;
  }
  if (ours.size() < 4 || static_cast<unsigned char>(ours[0]) != 0xFF) {
    ADD_FAILURE() << "no frame header at the start";
    return {};
  }
  const std::size_t info = frame_length(ours);
  EXPECT_EQ(ours.find_first_not_of('\0', 4), info);
  EXPECT_EQ(ours.size(), info + cli.size());
  EXPECT_TRUE(ours.size() > info && ours.compare(info, std::string::npos, cli) == 0)
      << "frames differ from lame's";
  return ours.size() > info ? ours.substr(info) : std::string();
}

struct RateRow {
  std::int32_t source_rate;
  std::uint32_t input_rate;
  std::uint32_t output_rate;
  std::uint32_t bitrate;
  std::uint32_t max_bitrate;
  // ffprobe's sample_rate,bit_rate of the audio frames; LAME caps layer III at 11025 Hz at
  // 64 kbit/s whatever the record asks for.
  const char* probed;
  bool info_frame;  // whether LAME has room for its Info frame at this bitrate
};

const std::vector<RateRow> kRateTable = {
    {8000, 8000, 22050, 128, 0, "22050,128000", true},   {11025, 11025, 0, 128, 0, "11025,64000", true},
    {12000, 12000, 22050, 128, 0, "22050,128000", true}, {16000, 16000, 22050, 32, 0, "22050,32000", false},
    {22050, 22050, 0, 128, 0, "22050,128000", true},     {24000, 24000, 22050, 128, 0, "22050,128000", true},
    {32000, 32000, 22050, 128, 0, "22050,128000", true}, {44100, 44100, 0, 128, 0, "44100,128000", true},
    {48000, 48000, 22050, 128, 0, "22050,128000", true}, {0, 22050, 0, 128, 128, "22050,128000", true},
    {96000, 22050, 0, 128, 128, "22050,128000", true},   {-1, 22050, 0, 128, 128, "22050,128000", true},
};

TEST(LameEncoder, ConfigurationRecordFollowsTheRateTable) {
  for (const RateRow& row : kRateTable) {
    SCOPED_TRACE(row.source_rate);
    SourceRate rate(row.source_rate);
    cLameEncoder encoder;
    const platform::LameConfig& c = encoder.configuration();
    const std::uint8_t* r = c.data();
    EXPECT_EQ(c.size(), 331u);
    EXPECT_EQ(platform::get_u32(r, 0), 256u);
    EXPECT_EQ(platform::get_u32(r, 4), 1u);
    EXPECT_EQ(platform::get_u32(r, 8), 331u);
    EXPECT_EQ(platform::get_u32(r, 12), row.input_rate);
    EXPECT_EQ(platform::get_u32(r, 16), row.output_rate);
    EXPECT_EQ(platform::get_u32(r, 20), 1u);
    EXPECT_EQ(platform::get_u32(r, 24), row.bitrate);
    EXPECT_EQ(platform::get_u32(r, 28), row.max_bitrate);
    // preset 0, MPEG version 1, psy 0, emphasis 0, private 0, CRC 0, copyright 0, original 1,
    // VBR header 1, VBR 0, VBR quality 0, ABR 0, VBR method 0, no reservoir 1, strict ISO 0
    const std::uint32_t expected[] = {0, 1, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 0};
    for (std::size_t i = 0; i < std::size(expected); ++i)
      EXPECT_EQ(platform::get_u32(r, 32 + 4 * i), expected[i]) << "offset " << 32 + 4 * i;
    EXPECT_EQ(platform::get_u16(r, 92), 0);
    for (std::size_t i = 94; i < 331; ++i) ASSERT_EQ(r[i], 0) << "reserved byte " << i;
    EXPECT_EQ(encoder.samplerate(), static_cast<std::int32_t>(row.input_rate));
    EXPECT_EQ(encoder.bitrate(), static_cast<std::int32_t>(row.bitrate));
    EXPECT_EQ(encoder.OutputMode(), 1);
    EXPECT_EQ(encoder.EncodingPreset(), 0);
  }
}

TEST(LameEncoder, TheTableIsReadOnceAtCreation) {
  SourceRate rate(16000);
  cLameEncoder encoder;
  core::source_sample_rate = 44100;
  EXPECT_EQ(encoder.samplerate(), 16000);
  EXPECT_EQ(encoder.bitrate(), 32);
}

TEST(LameEncoder, SettersWriteTheirFieldsUnchanged) {
  cLameEncoder encoder;
  encoder.EncodingPreset(-7);
  encoder.bitrate(320);
  encoder.samplerate(123456789);
  encoder.OutputMode(3);
  const std::uint8_t* r = encoder.configuration().data();
  EXPECT_EQ(platform::get_u32(r, f::kPreset), 0xFFFFFFF9u);
  EXPECT_EQ(platform::get_u32(r, f::kBitrate), 320u);
  EXPECT_EQ(platform::get_u32(r, f::kSampleRate), 123456789u);
  EXPECT_EQ(platform::get_u32(r, f::kMode), 3u);
  EXPECT_EQ(encoder.EncodingPreset(), -7);
  EXPECT_EQ(encoder.samplerate(), 123456789);
}

// Every row of the table against the lame command line with the same settings.
TEST(LameEncoder, EveryRateRowMatchesTheLameCommandLine) {
  TempDir dir;
  for (const RateRow& row : kRateTable) {
    SCOPED_TRACE(row.source_rate);
    const int wav_rate = row.source_rate > 0 ? row.source_rate : 44100;
    const std::string wav = sox_wav(dir, "in.wav", wav_rate);
    const std::string ours = dir.file("ours.mp3");
    std::filesystem::remove(ours);
    encode(wav, ours, row.source_rate);

    // The command line reads the WAV header's rate; for rates outside the table the class
    // takes the samples as 22050 Hz, so the command line gets them relabelled.
    std::string input = wav;
    if (row.max_bitrate > 0) {
      input = dir.file("relabelled.wav");
      must_run("sox " + quote(wav) + " -t raw " + quote(dir.file("pcm.raw")));
      must_run("sox -t raw -r 22050 -e signed -b 16 -c 2 " + quote(dir.file("pcm.raw")) + " " + quote(input));
    }
    std::string options = "-t -m j --nores -b " + std::to_string(row.bitrate);
    if (row.output_rate > 0) options += " --resample " + std::to_string(row.output_rate / 1000.0);
    const std::string cli = dir.file("cli.mp3");
    must_run("lame --quiet " + options + " " + quote(input) + " " + quote(cli));
    write_bytes(dir.file("frames.mp3"),
                expect_frames_equal_lame_cli(read_bytes(ours), read_bytes(cli), row.info_frame));
    EXPECT_EQ(probe_rate_and_bitrate(dir.file("frames.mp3")), row.probed);
  }
}

TEST(LameEncoder, DataOfWholeChunksIsEncodedToTheEnd) {
  TempDir dir;
  // 20 chunks of 1152 frames at 44100 Hz: the last full buffer comes with the read that ends.
  const std::string wav = dir.file("whole.wav");
  write_bytes(wav, stereo_wav(noise(20 * 1152 * 4), 44100));
  std::vector<std::pair<std::int32_t, std::int32_t>> events;
  {
    SourceRate rate(44100);
    cLameEncoder encoder;
    encoder.WavFile(wav);
    encoder.Mp3File(dir.file("ours.mp3"));
    encoder.progress = [&](std::int32_t done, std::int32_t total, bool&) {
      events.emplace_back(done, total);
    };
    encoder.Encode();
  }
  ASSERT_EQ(events.size(), 20u);  // 19 chunks in the loop, then the end
  for (int i = 0; i < 19; ++i) EXPECT_EQ(events[i], std::make_pair((i + 1) * 2304, 46080));
  EXPECT_EQ(events.back(), std::make_pair(46080, 46080));
  must_run("lame --quiet -t -m j --nores -b 128 " + quote(wav) + " " + quote(dir.file("cli.mp3")));
  expect_frames_equal_lame_cli(read_bytes(dir.file("ours.mp3")), read_bytes(dir.file("cli.mp3")));
}

TEST(LameEncoder, ProgressCountsSamplesPerChunk) {
  TempDir dir;
  const std::string wav = sox_wav(dir, "in.wav", 22050, 2, 16, 1.0);
  std::vector<std::pair<std::int32_t, std::int32_t>> events;
  SourceRate rate(22050);
  cLameEncoder encoder;
  encoder.WavFile(wav);
  encoder.Mp3File(dir.file("out.mp3"));
  encoder.progress = [&](std::int32_t done, std::int32_t total, bool&) { events.emplace_back(done, total); };
  encoder.Encode();
  // 22050 frames in chunks of 576: 38 full chunks and 162 frames left over.
  ASSERT_EQ(events.size(), 39u);
  EXPECT_EQ(events[0], std::make_pair(1152, 44100));
  EXPECT_EQ(events[37], std::make_pair(38 * 1152, 44100));
  EXPECT_EQ(events[38], std::make_pair(44100, 44100));
}

TEST(LameEncoder, AnEmptyDataChunkIsFlushedAndReportsNothingOfNothing) {
  TempDir dir;
  const std::string wav = dir.file("empty.wav");
  write_bytes(wav, stereo_wav(""));
  std::vector<std::pair<std::int32_t, std::int32_t>> events;
  {
    SourceRate rate(44100);
    cLameEncoder encoder;
    encoder.WavFile(wav);
    encoder.Mp3File(dir.file("ours.mp3"));
    encoder.progress = [&](std::int32_t done, std::int32_t total, bool&) {
      events.emplace_back(done, total);
    };
    encoder.Encode();
  }
  EXPECT_EQ(events, (std::vector<std::pair<std::int32_t, std::int32_t>>{{0, 0}}));
  must_run("lame --quiet -t -m j --nores -b 128 " + quote(wav) + " " + quote(dir.file("cli.mp3")));
  expect_frames_equal_lame_cli(read_bytes(dir.file("ours.mp3")), read_bytes(dir.file("cli.mp3")));
}

TEST(LameEncoder, CancelDeletesTheMp3AndTheObjectEncodesAgain) {
  TempDir dir;
  const std::string wav = sox_wav(dir, "in.wav", 44100, 2, 16, 1.0);
  const std::string mp3 = dir.file("out.mp3");
  SourceRate rate(44100);
  cLameEncoder encoder;
  encoder.WavFile(wav);
  encoder.Mp3File(mp3);
  int events = 0;
  encoder.progress = [&](std::int32_t, std::int32_t, bool& cancel) {
    ++events;
    if (events == 3) cancel = true;
  };
  encoder.Encode();  // returns normally
  EXPECT_EQ(events, 3);
  EXPECT_FALSE(std::filesystem::exists(mp3));

  // The stream was closed: the same object opens a new one and writes the whole file.
  events = -1000;
  encoder.Encode();
  must_run("lame --quiet -t -m j --nores -b 128 " + quote(wav) + " " + quote(dir.file("cli.mp3")));
  expect_frames_equal_lame_cli(read_bytes(mp3), read_bytes(dir.file("cli.mp3")));
}

TEST(LameEncoder, CancelOnTheLastChunkStillDeletes) {
  TempDir dir;
  const std::string wav = dir.file("two.wav");
  write_bytes(wav, stereo_wav(noise(2 * 1152 * 4 + 40), 44100));
  SourceRate rate(44100);
  cLameEncoder encoder;
  encoder.WavFile(wav);
  encoder.Mp3File(dir.file("out.mp3"));
  int events = 0;
  encoder.progress = [&](std::int32_t, std::int32_t, bool& cancel) {
    ++events;
    cancel = true;
  };
  encoder.Encode();
  EXPECT_EQ(events, 1);
  EXPECT_FALSE(std::filesystem::exists(dir.file("out.mp3")));
}

TEST(LameEncoder, EncodingAgainReplacesTheMp3) {
  TempDir dir;
  const std::string wav = sox_wav(dir, "in.wav", 11025, 2, 16, 1.0);
  const std::string mp3 = dir.file("out.mp3");
  SourceRate rate(11025);
  cLameEncoder encoder;
  encoder.WavFile(wav);
  encoder.Mp3File(mp3);
  encoder.Encode();
  const std::string first = read_bytes(mp3);
  encoder.Encode();
  EXPECT_EQ(read_bytes(mp3), first);
}

TEST(LameEncoder, PathsAreKeptOnlyWhenTheFilesAreAsExpected) {
  TempDir dir;
  write_bytes(dir.file("exists.mp3"), "x");
  write_bytes(dir.file("exists.wav"), "x");
  cLameEncoder encoder;
  EXPECT_EQ(encoder.WavFile(), "");
  EXPECT_EQ(encoder.Mp3File(), "");
  encoder.WavFile(dir.file("missing.wav"));
  EXPECT_EQ(encoder.WavFile(), "");
  encoder.WavFile(dir.path().string());  // a folder is no file
  EXPECT_EQ(encoder.WavFile(), "");
  encoder.WavFile(dir.file("exists.wav"));
  EXPECT_EQ(encoder.WavFile(), dir.file("exists.wav"));
  encoder.Mp3File(dir.file("exists.mp3"));
  EXPECT_EQ(encoder.Mp3File(), "");
  encoder.Mp3File(dir.file("new.mp3"));
  EXPECT_EQ(encoder.Mp3File(), dir.file("new.mp3"));
  encoder.Mp3File(dir.file("exists.mp3"));
  EXPECT_EQ(encoder.Mp3File(), dir.file("new.mp3"));
}

TEST(LameEncoder, AMissingWavLeavesAnEmptyMp3AndError29676) {
  TempDir dir;
  cLameEncoder encoder;
  encoder.WavFile(dir.file("missing.wav"));
  encoder.Mp3File(dir.file("out.mp3"));
  expect_vb_error([&] { encoder.Encode(); }, 29676, "mellix.lameConvert", "No Wave File Open");
  ASSERT_TRUE(std::filesystem::exists(dir.file("out.mp3")));
  EXPECT_EQ(std::filesystem::file_size(dir.file("out.mp3")), 0u);
}

TEST(LameEncoder, AnExistingTargetIsError29872AndStaysUntouched) {
  TempDir dir;
  const std::string wav = sox_wav(dir, "in.wav", 44100, 2, 16, 0.2);
  write_bytes(dir.file("taken.mp3"), "keep me");
  cLameEncoder encoder;
  encoder.WavFile(wav);
  encoder.Mp3File(dir.file("taken.mp3"));
  expect_vb_error([&] { encoder.Encode(); }, 29872, "mellix.lameConvert", "Unable to open file for writing");
  EXPECT_EQ(read_bytes(dir.file("taken.mp3")), "keep me");
}

TEST(LameEncoder, WavFaultsComeBackWithTheConvertSource) {
  TempDir dir;
  const std::string mono = sox_wav(dir, "mono.wav", 44100, 1, 16, 0.2);
  write_bytes(dir.file("random.wav"), noise(5000, 3));
  write_bytes(dir.file("empty.wav"), "");
  write_bytes(dir.file("cut.wav"), stereo_wav(noise(64)).substr(0, 16));
  struct Case {
    std::string wav;
    long number;
    const char* description;
  };
  const Case cases[] = {
      {mono, 29671, "Only stereo 16 bit wave files supported."},
      {dir.file("random.wav"), 29673, "Not a Wave file."},
      {dir.file("empty.wav"), 29673, "Not a Wave file."},
      {dir.file("cut.wav"), 29674, "Unable to retrieve format chunk"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.wav);
    cLameEncoder encoder;
    encoder.WavFile(c.wav);
    encoder.Mp3File(dir.file("never.mp3"));
    expect_vb_error([&] { encoder.Encode(); }, c.number, "mellix.lameConvert", c.description);
    EXPECT_FALSE(std::filesystem::exists(dir.file("never.mp3")));  // the reader comes first
  }
}

TEST(LameEncoder, ATruncatedDataChunkEncodesWhatIsThere) {
  TempDir dir;
  const std::string pcm = noise(10 * 1152 * 4);
  const std::string wav = dir.file("cut.wav");
  write_bytes(wav, riff("WAVE", chunk("fmt ", fmt_payload(2, 44100, 16)) + chunk("data", pcm, 0x10000000)));
  encode(wav, dir.file("ours.mp3"), 44100);
  write_bytes(dir.file("whole.wav"), stereo_wav(pcm));
  must_run("lame --quiet -t -m j --nores -b 128 " + quote(dir.file("whole.wav")) + " " +
           quote(dir.file("cli.mp3")));
  expect_frames_equal_lame_cli(read_bytes(dir.file("ours.mp3")), read_bytes(dir.file("cli.mp3")));
}

TEST(LameEncoder, InputRatesTheLibraryCannotTakeAreInvalidFormatParameters) {
  TempDir dir;
  const std::string wav = sox_wav(dir, "in.wav", 8000, 2, 16, 0.2);
  for (const std::int32_t rate : {0, 1, 500, 7999, 48001, 96000, -8000}) {
    SCOPED_TRACE(rate);
    cLameEncoder encoder;
    encoder.samplerate(rate);
    encoder.WavFile(wav);
    encoder.Mp3File(dir.file("out.mp3"));
    expect_vb_error([&] { encoder.Encode(); }, 29772, "mellix.lameInit", "Invalid Format Parameters");
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.mp3")));
  }
  // The ends of the range are taken.
  for (const std::int32_t rate : {8000, 48000}) {
    cLameEncoder encoder;
    encoder.samplerate(rate);
    encoder.WavFile(wav);
    encoder.Mp3File(dir.file("edge" + std::to_string(rate) + ".mp3"));
    encoder.Encode();
    EXPECT_GT(std::filesystem::file_size(dir.file("edge" + std::to_string(rate) + ".mp3")), 417u);
  }
}

TEST(LameEncoder, AnUnknownChannelModeIsInvalidFormatParameters) {
  TempDir dir;
  const std::string wav = sox_wav(dir, "in.wav", 22050, 2, 16, 0.2);
  for (const std::int32_t mode : {2, 4, -1}) {
    cLameEncoder encoder;
    encoder.OutputMode(mode);
    encoder.WavFile(wav);
    encoder.Mp3File(dir.file("out.mp3"));
    expect_vb_error([&] { encoder.Encode(); }, 29772, "mellix.lameInit", "Invalid Format Parameters");
  }
}

TEST(LameEncoder, ChannelModeAndBitrateSettersReachTheEncoder) {
  TempDir dir;
  const std::string wav = sox_wav(dir, "in.wav", 44100, 2, 16, 0.5);
  SourceRate rate(44100);
  cLameEncoder encoder;
  encoder.bitrate(64);
  encoder.OutputMode(0);
  encoder.WavFile(wav);
  encoder.Mp3File(dir.file("stereo64.mp3"));
  encoder.Encode();
  must_run("lame --quiet -t -m s --nores -b 64 " + quote(wav) + " " + quote(dir.file("cli.mp3")));
  write_bytes(dir.file("frames.mp3"), expect_frames_equal_lame_cli(read_bytes(dir.file("stereo64.mp3")),
                                                                   read_bytes(dir.file("cli.mp3"))));
  // With no resample rate LAME picks the output rate that suits the bitrate, as its command
  // line does.
  EXPECT_EQ(probe_rate_and_bitrate(dir.file("frames.mp3")), "24000,64000");

  // Mono mode takes the buffer as one channel.
  cLameEncoder mono;
  mono.OutputMode(3);
  mono.WavFile(wav);
  mono.Mp3File(dir.file("mono.mp3"));
  mono.Encode();
  EXPECT_EQ(testsupport::capture("ffprobe -v error -show_entries stream=channels -of csv=p=0 " +
                                 quote(dir.file("mono.mp3"))),
            "1\n");
}

}  // namespace
