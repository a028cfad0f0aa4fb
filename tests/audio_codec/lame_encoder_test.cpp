#include "audio/codec/lame_encoder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "audio/codec/lame_encoder_version.h"
#include "audio/codec/mp3_rate_check.h"
#include "codec_fixtures.h"
#include "core/shared_state.h"
#include "engine/mp3_header.h"
#include "support/progress_recorder.h"

namespace {

using namespace codec_test;
using testsupport::quote;
using testsupport::read_bytes;
using testsupport::TempDir;
using testsupport::write_bytes;
namespace fs = std::filesystem;
namespace f = platform::lame_version;
using namespace std::chrono;
using Events = std::vector<std::pair<std::int32_t, std::int32_t>>;

// Encodes `wav` to `mp3` the way the pages do (the table is read at creation, then `setup`),
// recording the progress events.
Events encode(const std::string& wav, const std::string& mp3, std::int32_t source_rate,
              const std::function<void(cLameEncoder&)>& setup = {}) {
  Restore<std::int32_t> rate(core::source_sample_rate, source_rate);
  Events events;
  cLameEncoder encoder;
  if (setup) setup(encoder);
  encoder.WavFile(wav);
  encoder.Mp3File(mp3);
  encoder.progress = [&](std::int32_t done, std::int32_t total, bool&) { events.emplace_back(done, total); };
  encoder.Encode();
  return events;
}

// The lame command line's MP3 of `wav`.
std::string lame_cli(const TempDir& dir, const std::string& wav, const std::string& options) {
  must_run("lame --quiet " + options + " " + quote(wav) + " " + quote(dir.file("cli.mp3")));
  return read_bytes(dir.file("cli.mp3"));
}

// Our MP3 is LAME's Info frame (left unfilled: its header, then zeros) followed by exactly the
// command line's frames; where the frames are too small for the tag the files are equal.
// Returns our audio frames.
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
  const auto info = static_cast<std::size_t>(engine::frame_size_at(ours, 0));
  EXPECT_EQ(ours.find_first_not_of('\0', 4), info);
  EXPECT_EQ(ours.size(), info + cli.size());
  EXPECT_TRUE(ours.size() > info && ours.compare(info, std::string::npos, cli) == 0)
      << "frames differ from lame's";
  return ours.size() > info ? ours.substr(info) : std::string();
}

platform::LameVersion record(int year, int month, int day) {
  platform::LameVersion r{};
  core::set_u16le(r.data(), f::kYear, static_cast<std::uint16_t>(year));
  r[f::kMonth] = static_cast<std::uint8_t>(month);
  r[f::kDay] = static_cast<std::uint8_t>(day);
  return r;
}

struct RateRow {
  std::int32_t source_rate;  // as the pages probed it
  int wav_rate;              // in the WAV's format chunk
  std::uint32_t output_rate, bitrate;
  const char* probed;  // ffprobe's sample_rate,bit_rate; LAME caps 11025 Hz at 64 kbit/s
  bool info_frame;     // whether LAME has room for its Info frame at this bitrate
};

// One row per kind of mapping: kept, resampled up or down to 22050 Hz, at 32 kbit/s; outside
// the table the WAV's own rate: kept where the stream carries it (the probe found no rate in
// the header), resampled to 22050 Hz where it does not, up to the highest the encoder takes.
const RateRow kRateTable[] = {
    {8000, 8000, 22050, 128, "22050,128000", true},   {11025, 11025, 0, 128, "11025,64000", true},
    {16000, 16000, 22050, 32, "22050,32000", false},  {44100, 44100, 0, 128, "44100,128000", true},
    {48000, 48000, 22050, 128, "22050,128000", true}, {0, 44100, 0, 128, "44100,128000", true},
    {96000, 96000, 22050, 128, "22050,128000", true}, {192000, 192000, 22050, 128, "22050,128000", true},
};

TEST(LameEncoder, EveryRateRowMatchesTheLameCommandLine) {
  TempDir dir;
  for (const RateRow& row : kRateTable) {
    SCOPED_TRACE(row.source_rate);
    // The command line reads the rate from the same WAV.
    const std::string wav = sox_tone(dir.file("in.wav"), row.wav_rate);
    fs::remove(dir.file("ours.mp3"));
    encode(wav, dir.file("ours.mp3"), row.source_rate);
    std::string options = "-t -m j --nores -b " + std::to_string(row.bitrate);
    if (row.output_rate > 0) options += " --resample " + std::to_string(row.output_rate / 1000.0);
    write_bytes(dir.file("frames.mp3"),
                expect_frames_equal_lame_cli(read_bytes(dir.file("ours.mp3")), lame_cli(dir, wav, options),
                                             row.info_frame));
    EXPECT_EQ(probe_rate_and_bitrate(dir.file("frames.mp3")), row.probed);
  }
}

TEST(LameEncoder, ProgressCountsSamplesPerChunkAndAllDataIsEncoded) {
  struct Row {
    const char* name;
    std::int32_t rate;
    std::size_t bytes;
    std::int64_t declared;  // the data chunk's size field, -1 for the true size
    std::size_t events;     // 0: unchecked
    std::int32_t chunk, total;
  };
  const Row rows[] = {
      {"20 whole chunks, the last with the ending read", 44100, 20 * 1152 * 4, -1, 20, 2304, 46080},
      {"38 chunks and 162 frames", 22050, 22050 * 4, -1, 39, 1152, 44100},
      {"empty data chunk", 44100, 0, -1, 1, 0, 0},
      {"data chunk cut short", 44100, 10 * 1152 * 4, 0x10000000, 0, 0, 0},
  };
  TempDir dir;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string pcm = noise(row.bytes);
    write_bytes(dir.file("in.wav"),
                riff("WAVE", chunk("fmt ", fmt_payload(2, static_cast<std::uint32_t>(row.rate), 16)) +
                                 chunk("data", pcm, row.declared)));
    fs::remove(dir.file("ours.mp3"));
    const Events events = encode(dir.file("in.wav"), dir.file("ours.mp3"), row.rate);
    if (row.events > 0) {
      ASSERT_EQ(events.size(), row.events);
      for (std::size_t i = 0; i + 1 < events.size(); ++i)
        EXPECT_EQ(events[i], std::make_pair(static_cast<std::int32_t>(i + 1) * row.chunk, row.total)) << i;
      EXPECT_EQ(events.back(), std::make_pair(row.total, row.total));
    }
    write_bytes(dir.file("whole.wav"), stereo_wav(pcm, static_cast<std::uint32_t>(row.rate)));
    expect_frames_equal_lame_cli(read_bytes(dir.file("ours.mp3")),
                                 lame_cli(dir, dir.file("whole.wav"), "-t -m j --nores -b 128"));
  }
}

TEST(LameEncoder, CancelDeletesTheMp3AndClosesTheStream) {
  TempDir dir;
  const std::string wav = sox_tone(dir.file("in.wav"), 44100, 2, 16, 1.0);
  const std::string mp3 = dir.file("out.mp3");
  const std::string cli = lame_cli(dir, wav, "-t -m j --nores -b 128");
  Restore<std::int32_t> rate(core::source_sample_rate, 44100);
  for (const int cancel_at : {3, 38}) {  // 38: the last chunk before the read that ends
    SCOPED_TRACE(cancel_at);
    fs::remove(mp3);
    cLameEncoder encoder;
    encoder.WavFile(wav);
    encoder.Mp3File(mp3);
    int events = 0;
    encoder.progress = [&](std::int32_t, std::int32_t, bool& cancel) { cancel = ++events == cancel_at; };
    encoder.Encode();  // returns normally
    EXPECT_EQ(events, cancel_at);
    EXPECT_FALSE(fs::exists(mp3));
    // The same object opens a new stream, writes the whole file, and replaces it when run again.
    events = -1000;
    encoder.Encode();
    const std::string first = expect_frames_equal_lame_cli(read_bytes(mp3), cli);
    encoder.Encode();
    EXPECT_EQ(expect_frames_equal_lame_cli(read_bytes(mp3), cli), first);
  }
}

TEST(LameEncoder, FileFaultsComeBackWithTheConvertSource) {
  TempDir dir;
  const std::string mono = riff("WAVE", chunk("fmt ", fmt_payload(1, 44100, 16)) + chunk("data", noise(64)));
  struct Row {
    const char* name;
    std::optional<std::string> wav;  // nullopt: no file
    const char* existing_mp3;        // nullptr: none
    long number;
    std::string description;
    std::optional<std::string> mp3_after;  // nullopt: no file
  };
  // The reader's own faults are its tests'; one shows that they come back with this source.
  const Row rows[] = {
      {"mono", mono, nullptr, 29671, "Only stereo 16 bit wave files supported.", {}},
      {"missing WAV",
       {},
       nullptr,
       29672,
       "Unable to open file: " + dir.file("in.wav") + " does not exist",
       {}},
      {"existing MP3", stereo_wav(noise(4000)), "keep me", 29872, "Unable to open file for writing",
       "keep me"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string wav = dir.file("in.wav"), mp3 = dir.file("out.mp3");
    fs::remove(wav);
    fs::remove(mp3);
    if (row.wav) write_bytes(wav, *row.wav);
    if (row.existing_mp3) write_bytes(mp3, row.existing_mp3);
    expect_vb_error([&] { encode(wav, mp3, 44100); }, row.number, "mellix.lameConvert", row.description);
    EXPECT_EQ(fs::exists(mp3) ? std::optional(read_bytes(mp3)) : std::nullopt, row.mp3_after);
  }
}

TEST(LameEncoder, SettersReachTheEncoderAndWhatTheLibraryCannotTakeIsRefused) {
  TempDir dir;
  const std::string wav = dir.file("in.wav");
  write_bytes(wav, stereo_wav(noise(44100 * 2), 44100));
  const std::pair<std::int32_t, std::int32_t> refused[] = {
      {0, 1}, {7999, 1}, {192001, 1}, {22050, 2}, {22050, -1}};
  for (const auto& [samplerate, mode] : refused) {
    SCOPED_TRACE(std::to_string(samplerate) + " Hz, mode " + std::to_string(mode));
    const auto setup = [&](cLameEncoder& e) {
      e.samplerate(samplerate);
      e.OutputMode(mode);
    };
    expect_vb_error([&] { encode(wav, dir.file("out.mp3"), 44100, setup); }, 29772, "mellix.lameInit",
                    "Invalid Format Parameters");
    EXPECT_FALSE(fs::exists(dir.file("out.mp3")));
  }
  // The ends of the range are taken; bitrate and stereo mode reach the encoder as on the command
  // line, which then picks the output rate that suits the bitrate; mono takes the buffer as one channel.
  for (const std::int32_t samplerate : {8000, 192000}) {
    const std::string mp3 = dir.file(std::to_string(samplerate) + ".mp3");
    encode(wav, mp3, 44100, [&](cLameEncoder& e) { e.samplerate(samplerate); });
    EXPECT_GT(fs::file_size(mp3), 417u);
  }
  encode(wav, dir.file("stereo64.mp3"), 44100, [](cLameEncoder& e) {
    e.bitrate(64);
    e.OutputMode(0);
  });
  write_bytes(dir.file("frames.mp3"),
              expect_frames_equal_lame_cli(read_bytes(dir.file("stereo64.mp3")),
                                           lame_cli(dir, wav, "-t -m s --nores -b 64")));
  EXPECT_EQ(probe_rate_and_bitrate(dir.file("frames.mp3")), "24000,64000");
  encode(wav, dir.file("mono.mp3"), 44100, [](cLameEncoder& e) { e.OutputMode(3); });
  EXPECT_EQ(testsupport::capture("ffprobe -v error -show_entries stream=channels -of csv=p=0 " +
                                 quote(dir.file("mono.mp3"))),
            "1\n");
}

TEST(LameEncoderVersion, ReadsTheLibrarysRecord) {
  cLameEncoder encoder;
  cLameEncoderVersion& version = encoder.version();
  EXPECT_EQ(&version, &encoder.version());  // created once
  // The library's own version and home page, as its command line prints them.
  const std::string banner = testsupport::capture("lame --version");
  EXPECT_NE(banner.find("version " + std::to_string(version.MajorVersion()) + "." +
                        std::to_string(version.MinorVersion()) + " "),
            std::string::npos)
      << banner;
  EXPECT_NE(banner.find("(" + version.HomePage() + ")"), std::string::npos) << version.HomePage();
  // The release date is the stream layer's build date: a real date, not after today (a day of
  // slack for the compiler's local time).
  const year_month_day today{floor<days>(system_clock::now())};
  EXPECT_TRUE(version.ReleaseDate().ok());
  EXPECT_LE(sys_days{version.ReleaseDate()}, sys_days{today} + days{1});
  EXPECT_GT(sys_days{version.ReleaseDate()}, sys_days{today} - days{3650});
}

TEST(LameEncoderVersion, DatesRollOverLikeADateSerial) {
  struct Case {
    int year, month, day;
    year_month_day expected;
  };
  const Case cases[] = {
      {2024, 2, 29, 2024y / February / 29}, {2023, 2, 29, 2023y / March / 1},
      {2023, 13, 1, 2024y / January / 1},   {2023, 0, 1, 2022y / December / 1},
      {2023, 3, 0, 2023y / February / 28},  {5, 6, 7, 2005y / June / 7},
      {99, 1, 1, 1999y / January / 1},      {10001, 1, 1, 1899y / December / 30},  // no date
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.year) + "-" + std::to_string(c.month) + "-" + std::to_string(c.day));
    EXPECT_EQ(cLameEncoderVersion(record(c.year, c.month, c.day)).ReleaseDate(), c.expected);
  }
}

TEST(LameEncoderVersion, HomePageEndsAtTheFirstNulOrAfter129Characters) {
  platform::LameVersion r = record(2020, 1, 1);
  const std::string_view page = "http://example.org/\0hidden";
  std::copy(page.begin(), page.end(), r.begin() + f::kHomePage);
  EXPECT_EQ(cLameEncoderVersion(r).HomePage(), "http://example.org/");
  std::fill(r.begin() + f::kHomePage, r.begin() + f::kHomePage + f::kHomePageSize, 'x');
  r[f::kAlphaLevel] = 'y';  // the byte after the field
  EXPECT_EQ(cLameEncoderVersion(r).HomePage(), std::string(129, 'x'));
  EXPECT_EQ(cLameEncoderVersion(r).AlphaLevel(), 'y');
}

class Mp3RateCheck : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directories(app_.spd("twav")); }

  std::string decoded() const { return app_.spd("twav/mp3towav.wav"); }

  testsupport::TempAppDir app_;
  testsupport::TempDir dir_;
  Restore<std::string> source_{core::source_filename, ""};
};

TEST_F(Mp3RateCheck, OnlyTheThreeStreamRatesAreUsedUnchanged) {
  testsupport::ProgressRecorder page;
  for (const int rate : {8000, 11025, 22050, 24000, 44100, 48000}) {  // one unusable rate per MPEG version
    SCOPED_TRACE(rate);
    std::filesystem::remove(decoded());
    core::source_filename = sox_mp3(dir_, rate);
    const bool usable = rate == 11025 || rate == 22050 || rate == 44100;
    EXPECT_EQ(Module47::check_mp3_samplerate(), !usable);
    EXPECT_EQ(std::filesystem::exists(decoded()), !usable);
    if (usable) continue;
    // Decoded at the MP3's own rate (the decoder's PCM is checked against mpg123 on its own).
    EXPECT_EQ(read_bytes(decoded()).substr(24, 4), le32(static_cast<std::uint32_t>(rate)));
  }
  EXPECT_EQ(page.events, std::vector<std::string>(6, "animation " + app_.spd("SWF/Sound_Processing.swf")));
}

TEST_F(Mp3RateCheck, LeadingId3v2TagIsSkipped) {
  const std::string mp3 = sox_mp3(dir_, 24000);
  must_run("ffmpeg -v error -i " + quote(mp3) + " -c copy -id3v2_version 3 -metadata title=Tagged " +
           quote(dir_.file("tagged.mp3")));
  ASSERT_EQ(read_bytes(dir_.file("tagged.mp3")).substr(0, 3), "ID3");
  core::source_filename = dir_.file("tagged.mp3");
  EXPECT_TRUE(Module47::check_mp3_samplerate());  // no progress page: nothing to show
  EXPECT_TRUE(std::filesystem::exists(decoded()));
}

TEST_F(Mp3RateCheck, NoFrameSyncOrNoFileRaises) {
  testsupport::MessageBoxRecorder boxes;
  write_bytes(dir_.file("none.mp3"), std::string(1000, 'A'));
  write_bytes(decoded(), "old");
  core::source_filename = dir_.file("none.mp3");
  expect_vb_error([] { Module47::check_mp3_samplerate(); }, 5, "mellix.check_mp3_samplerate",
                  "No MP3 frame sync in " + dir_.file("none.mp3"));
  EXPECT_EQ(boxes.texts(), std::vector<std::string>{"ERROR in file opening"});
  EXPECT_EQ(read_bytes(decoded()), "old");  // nothing decoded
  core::source_filename = dir_.file("missing.mp3");
  EXPECT_THROW(Module47::check_mp3_samplerate(), core::VbError);
}

TEST_F(Mp3RateCheck, GarbageAfterASyncLeavesNoWavAndTheEncoderSaysSo) {
  // A header at 48000 Hz followed by noise: the check decodes, the decoder finds no audio.
  write_bytes(decoded(), "stale");
  write_bytes(dir_.file("garbage.mp3"), std::string("\xFF\xFB\x94\x64", 4) + noise(5000, 21));
  core::source_filename = dir_.file("garbage.mp3");
  EXPECT_TRUE(Module47::check_mp3_samplerate());
  EXPECT_FALSE(std::filesystem::exists(decoded()));  // the stale file was deleted first
  cLameEncoder encoder;
  encoder.WavFile(decoded());
  encoder.Mp3File(app_.spd("twav/temp_wav.mp3"));
  expect_vb_error([&] { encoder.Encode(); }, 29672, "mellix.lameConvert",
                  "Unable to open file: " + decoded() + " does not exist");
  EXPECT_FALSE(std::filesystem::exists(app_.spd("twav/temp_wav.mp3")));
}

}  // namespace
