#include "audio/codec/mp3_info.h"

#include <gtest/gtest.h>

#include "codec_fixtures.h"
#include "core/shared_state.h"

namespace {

using namespace codec_test;
using testsupport::quote;
using testsupport::TempDir;
using testsupport::write_bytes;

TEST(FormatDuration, HoursMinutesSecondsAndALineBreak) {
  EXPECT_EQ(Module55::format_duration(0), "00:00:00\r\n");
  EXPECT_EQ(Module55::format_duration(10), "00:00:10\r\n");
  EXPECT_EQ(Module55::format_duration(59), "00:00:59\r\n");
  EXPECT_EQ(Module55::format_duration(60), "00:01:00\r\n");
  EXPECT_EQ(Module55::format_duration(75), "00:01:15\r\n");
  EXPECT_EQ(Module55::format_duration(3599), "00:59:59\r\n");
  EXPECT_EQ(Module55::format_duration(3600), "01:00:00\r\n");
  EXPECT_EQ(Module55::format_duration(86399), "23:59:59\r\n");
  EXPECT_EQ(Module55::format_duration(360000), "100:00:00\r\n");
  EXPECT_EQ(Module55::format_duration(2147483647), "596523:14:07\r\n");
}

TEST(FormatFileSize, BytesKilobytesAndMegabytes) {
  EXPECT_EQ(Module55::format_file_size(0), " 0 byte");
  EXPECT_EQ(Module55::format_file_size(512), " 512 byte");
  EXPECT_EQ(Module55::format_file_size(1023), " 1023 byte");
  EXPECT_EQ(Module55::format_file_size(1024), " 1 kb");
  EXPECT_EQ(Module55::format_file_size(1025), " 1.000977 kb");  // seven significant digits
  EXPECT_EQ(Module55::format_file_size(1536), " 1.5 kb");
  EXPECT_EQ(Module55::format_file_size(123456), " 120.5625 kb");
  EXPECT_EQ(Module55::format_file_size(1048575), " 1023.999 kb");
  EXPECT_EQ(Module55::format_file_size(1048576), " 1024 kb");
  EXPECT_EQ(Module55::format_file_size(1049600), " 1 MB");
  EXPECT_EQ(Module55::format_file_size(1572864), " 2 MB");  // 1.5 to the even neighbour
  EXPECT_EQ(Module55::format_file_size(2621440), " 2 MB");  // 2.5 to the even neighbour
  EXPECT_EQ(Module55::format_file_size(3670016), " 4 MB");  // 3.5 to the even neighbour
  EXPECT_EQ(Module55::format_file_size(2147483647), " 2048 MB");
  EXPECT_EQ(Module55::format_file_size(-5), "-5 byte");
}

TEST(Mp3Bitrate, FirstFrameBitrateAgreesWithFfprobe) {
  TempDir dir;
  const std::string wav = sox_wav(dir, "in.wav", 44100, 2, 16, 1.0);
  for (const int kbps : {32, 64, 128, 192, 320}) {
    SCOPED_TRACE(kbps);
    const std::string mp3 = dir.file("b.mp3");
    must_run("lame --quiet -t -b " + std::to_string(kbps) + " --resample 44.1 " + quote(wav) + " " +
             quote(mp3));
    core::mp3_file_len = -1;
    EXPECT_EQ(Module55::mp3_bitrate(mp3), kbps);
    EXPECT_EQ(probe_rate_and_bitrate(mp3), "44100," + std::to_string(kbps * 1000));
    EXPECT_EQ(core::mp3_file_len, static_cast<std::int32_t>(testsupport::read_bytes(mp3).size()));
  }
  // MPEG-2 and MPEG-2.5 rows.
  must_run("lame --quiet -t -b 160 --resample 22.05 " + quote(wav) + " " + quote(dir.file("m2.mp3")));
  EXPECT_EQ(Module55::mp3_bitrate(dir.file("m2.mp3")), 160);
  must_run("lame --quiet -t -b 8 --resample 8 " + quote(wav) + " " + quote(dir.file("m25.mp3")));
  EXPECT_EQ(Module55::mp3_bitrate(dir.file("m25.mp3")), 8);
}

TEST(Mp3Bitrate, FreeFormatIsZero) {
  TempDir dir;
  const std::string wav = sox_wav(dir, "in.wav", 44100, 2, 16, 0.5);
  must_run("lame --quiet -t --freeformat -b 400 " + quote(wav) + " " + quote(dir.file("free.mp3")));
  const std::string bytes = testsupport::read_bytes(dir.file("free.mp3"));
  ASSERT_EQ(static_cast<unsigned char>(bytes[2]) >> 4, 0);  // bitrate index 0000
  EXPECT_EQ(Module55::mp3_bitrate(dir.file("free.mp3")), 0);
}

TEST(Mp3Bitrate, AFrameInsideTheLast128BytesIsStillRead) {
  TempDir dir;
  // A lone header near the end of a short file: the tag cut leaves nothing, the header counts.
  write_bytes(dir.file("tiny.mp3"), std::string(10, '\0') + "\xFF\xFB\x90\x64" + std::string(20, '\0'));
  EXPECT_EQ(Module55::mp3_bitrate(dir.file("tiny.mp3")), 128);
  EXPECT_EQ(core::mp3_file_len, 34);
  // The header's last bytes missing: the hex conversion repeats the byte before.
  write_bytes(dir.file("cut.mp3"), std::string(5, '\0') + "\xFF\xFB\x90");
  EXPECT_EQ(Module55::mp3_bitrate(dir.file("cut.mp3")), 128);
}

TEST(Mp3Bitrate, NoSyncShowsTheMessageAndRaises) {
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
