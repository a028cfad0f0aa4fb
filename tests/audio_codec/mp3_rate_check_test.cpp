#include "audio/codec/mp3_rate_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "audio/codec/lame_encoder.h"
#include "codec_fixtures.h"
#include "core/shared_state.h"
#include "support/progress_recorder.h"

namespace {

using namespace codec_test;
using testsupport::quote;
using testsupport::read_bytes;
using testsupport::write_bytes;

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
