#include "audio/codec/mp3_info.h"

#include <gtest/gtest.h>

#include "codec_fixtures.h"
#include "core/shared_state.h"

namespace {

using namespace codec_test;
using testsupport::quote;
using testsupport::TempDir;
using testsupport::write_bytes;

TEST(Mp3Info, FormatDurationAndFileSize) {
  const std::pair<std::int32_t, const char*> durations[] = {
      {0, "00:00:00\r\n"},
      {59, "00:00:59\r\n"},
      {60, "00:01:00\r\n"},
      {3599, "00:59:59\r\n"},
      {3600, "01:00:00\r\n"},
      {360000, "100:00:00\r\n"},
      {2147483647, "596523:14:07\r\n"},
  };
  for (const auto& [seconds, text] : durations)
    EXPECT_EQ(Module55::format_duration(seconds), text) << seconds;
  const std::pair<std::int32_t, const char*> sizes[] = {
      {0, " 0 byte"},           {1023, " 1023 byte"},      {1024, " 1 kb"},
      {1025, " 1.000977 kb"},  // seven significant digits
      {123456, " 120.5625 kb"}, {1048575, " 1023.999 kb"}, {1048576, " 1024 kb"},
      {1049600, " 1 MB"},       {1572864, " 2 MB"},  // halves to the even neighbour
      {2621440, " 2 MB"},       {2147483647, " 2048 MB"},  {-5, "-5 byte"},
  };
  for (const auto& [bytes, text] : sizes) EXPECT_EQ(Module55::format_file_size(bytes), text) << bytes;
}

TEST(Mp3Info, FirstFrameBitrateAgreesWithFfprobe) {
  TempDir dir;
  const std::string wav = sox_tone(dir.file("in.wav"), 44100, 2, 16, 1.0);
  struct Row {
    const char* options;
    int kbps;
    const char* probed;  // nullptr: free format, which ffprobe does not report alike
  };
  const Row rows[] = {
      {"-b 32 --resample 44.1", 32, "44100,32000"},
      {"-b 320 --resample 44.1", 320, "44100,320000"},
      {"-b 160 --resample 22.05", 160, "22050,160000"},
      {"-b 8 --resample 8", 8, "8000,8000"},
      {"--freeformat -b 400", 0, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.options);
    const std::string mp3 = dir.file("b.mp3");
    must_run("lame --quiet -t " + std::string(row.options) + " " + quote(wav) + " " + quote(mp3));
    core::mp3_file_len = -1;
    EXPECT_EQ(Module55::mp3_bitrate(mp3), row.kbps);
    EXPECT_EQ(core::mp3_file_len, static_cast<std::int32_t>(testsupport::read_bytes(mp3).size()));
    if (row.probed) {
      EXPECT_EQ(probe_rate_and_bitrate(mp3), row.probed);
    }
  }
  // A lone header inside the last 128 bytes still counts; with its last bytes missing the
  // hex conversion repeats the byte before.
  for (const std::string& bytes : {std::string(10, '\0') + "\xFF\xFB\x90\x64" + std::string(20, '\0'),
                                   std::string(5, '\0') + "\xFF\xFB\x90"}) {
    write_bytes(dir.file("tiny.mp3"), bytes);
    EXPECT_EQ(Module55::mp3_bitrate(dir.file("tiny.mp3")), 128);
    EXPECT_EQ(core::mp3_file_len, static_cast<std::int32_t>(bytes.size()));
  }
}

TEST(Mp3Info, NoSyncShowsTheMessageAndRaises) {
  TempDir dir;
  testsupport::MessageBoxRecorder boxes;
  for (const std::string& bytes :
       {std::string(), std::string(500, '\0'), std::string("\xFF"), std::string(64, 'A') + "\xFF"}) {
    write_bytes(dir.file("none.mp3"), bytes);
    const std::size_t before = boxes.texts().size();
    EXPECT_THROW(Module55::mp3_bitrate(dir.file("none.mp3")), core::VbError);
    ASSERT_EQ(boxes.texts().size(), before + 1);
    EXPECT_EQ(boxes.texts().back(), "ERROR in file opening");
  }
  const std::size_t before = boxes.texts().size();
  expect_vb_error([&] { Module55::mp3_bitrate(dir.file("missing.mp3")); }, 53, "mellix.read_file",
                  "File not found: " + dir.file("missing.mp3"));
  EXPECT_EQ(boxes.texts().size(), before);  // the file error itself, no message
}

}  // namespace
