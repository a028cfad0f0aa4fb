#include "engine/mp3_header.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/errors.h"
#include "engine/hex.h"
#include "mp3_fixtures.h"
#include "support/test_support.h"

namespace {

using testsupport::read_bytes;
using testsupport::TempDir;
using testsupport::write_bytes;

std::string bytes(const std::string& hex) { return Module29::hex_to_bytes(hex); }

// Position of the first FF followed by E0 or more, with no regard for tags (1-based, 0 none).
std::size_t naive_sync(const std::string& file) {
  for (std::size_t i = 0; i + 1 < file.size(); ++i)
    if (static_cast<unsigned char>(file[i]) == 0xFF && static_cast<unsigned char>(file[i + 1]) >= 0xE0)
      return i + 1;
  return 0;
}

struct LengthCase {
  const char* header;
  int length;
  const char* what;
};

TEST(FrameLength, KnownHeaders) {
  const std::vector<LengthCase> cases = {
      {"FFFB9064", 417, "MPEG-1 layer III 128 kbit/s 44100 Hz"},
      {"FFFB9264", 418, "the same with padding"},
      {"FFF390C4", 261, "MPEG-2 layer III 80 kbit/s 22050 Hz"},
      {"FFE38000", 417, "MPEG-2.5 layer III 64 kbit/s 11025 Hz"},
      {"FFFF9000", 312, "MPEG-1 layer I 288 kbit/s 44100 Hz"},
      {"FFFF9200", 316, "layer I pads with four bytes"},
      {"FFFD8000", 417, "MPEG-1 layer II 128 kbit/s 44100 Hz"},
      {"FFFBE000", 1044, "layer III 320 kbit/s 44100 Hz"},
      {"FFFBE400", 960, "layer III 320 kbit/s 48000 Hz"},
      {"FFFBC800", 1008, "layer III 224 kbit/s 32000 Hz"},
      {"FFF5A000", 626, "MPEG-2 layer II 96 kbit/s 22050 Hz"},
      {"FFFB0000", 0, "free format"},
      {"FFFB0200", 1, "free format with padding: the padding alone"},
      {"FFFBF000", 0, "bad bitrate index"},
      {"FFFB9C00", 0, "reserved sample rate"},
      {"FFEB9000", 0, "reserved version"},
      {"FFF99000", 0, "reserved layer"},
      {"FFE00010", 0, "a JPEG marker: MPEG-2.5, reserved layer"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Module28::get_frame_size(bytes(c.header)), c.length) << c.header << ": " << c.what;
    EXPECT_EQ(engine::frame_size_at(bytes(c.header), 0), c.length) << c.header << ": " << c.what;
  }
}

TEST(FrameLength, ComputedPerLayerAndVersion) {
  EXPECT_EQ(Module19::get_frame_length(128, 44100, 0, 1, 3), 417);
  EXPECT_EQ(Module19::get_frame_length(128, 44100, 1, 1, 2), 418);
  EXPECT_EQ(Module19::get_frame_length(80, 22050, 1, 2, 3), 262);
  EXPECT_EQ(Module19::get_frame_length(80, 22050, 0, 2, 2), 522);  // layer II keeps 144000
  EXPECT_EQ(Module19::get_frame_length(32, 8000, 0, 2.5, 3), 288);
  EXPECT_EQ(Module19::get_frame_length(448, 32000, 4, 1, 1), 676);
  EXPECT_EQ(Module19::get_frame_length(0, 44100, 1, 1, 3), 1);
  EXPECT_EQ(Module19::get_frame_length(128, 44100, 0, 0, 3), 0);
  EXPECT_EQ(Module19::get_frame_length(128, 44100, 0, 1, 0), 0);
  EXPECT_EQ(Module19::get_frame_length(128, 0, 1, 1, 3), 0);
}

TEST(HeaderFields, DecodersAndTables) {
  EXPECT_EQ(Module19::get_mpeg_version("11"), 1);
  EXPECT_EQ(Module19::get_mpeg_version("10"), 2);
  EXPECT_EQ(Module19::get_mpeg_version("00"), 2.5);
  EXPECT_EQ(Module19::get_mpeg_version("01"), 0);
  EXPECT_EQ(Module19::get_mpeg_version("1"), 0);

  EXPECT_EQ(Module19::get_layer("11"), 1);
  EXPECT_EQ(Module19::get_layer("10"), 2);
  EXPECT_EQ(Module19::get_layer("01"), 3);
  EXPECT_EQ(Module19::get_layer("00"), 0);
  EXPECT_EQ(Module19::get_layer("x1"), 0);

  EXPECT_EQ(Module15::bitrate_table("0000", 1, 3), "free");
  EXPECT_EQ(Module15::bitrate_table("1111", 2, 1), "bad");
  EXPECT_EQ(Module15::bitrate_table("1001", 1, 3), "128");
  EXPECT_EQ(Module15::bitrate_table("1001", 0, 3), "");
  EXPECT_EQ(Module15::bitrate_table("1001", 1, 0), "");
  EXPECT_EQ(Module19::get_bitrate("1001", 1, 3), 128);
  EXPECT_EQ(Module19::get_bitrate("1110", 1, 1), 448);
  EXPECT_EQ(Module19::get_bitrate("1110", 1, 2), 384);
  EXPECT_EQ(Module19::get_bitrate("0001", 2, 3), 8);
  EXPECT_EQ(Module19::get_bitrate("1110", 2.5, 2), 160);  // version 2.5 shares the version 2 rows
  EXPECT_EQ(Module19::get_bitrate("1110", 2, 1), 256);
  EXPECT_EQ(Module19::get_bitrate("0000", 1, 3), 0);
  EXPECT_EQ(Module19::get_bitrate("1111", 1, 3), 0);
  EXPECT_EQ(Module19::get_bitrate("1001", 0, 3), 0);

  EXPECT_EQ(Module15::sample_rate_table("11", 1), "reserved");
  EXPECT_EQ(Module15::sample_rate_table("00", 0), "");
  EXPECT_EQ(Module19::get_sample_rate("00", 1), 44100);
  EXPECT_EQ(Module19::get_sample_rate("01", 1), 48000);
  EXPECT_EQ(Module19::get_sample_rate("10", 1), 32000);
  EXPECT_EQ(Module19::get_sample_rate("00", 2), 22050);
  EXPECT_EQ(Module19::get_sample_rate("01", 2), 24000);
  EXPECT_EQ(Module19::get_sample_rate("10", 2), 16000);
  EXPECT_EQ(Module19::get_sample_rate("00", 2.5), 11025);
  EXPECT_EQ(Module19::get_sample_rate("01", 2.5), 12000);
  EXPECT_EQ(Module19::get_sample_rate("10", 2.5), 8000);
  EXPECT_EQ(Module19::get_sample_rate("11", 2.5), 0);
  EXPECT_EQ(Module19::get_sample_rate("00", 0), 0);

  EXPECT_EQ(Module19::get_padding("1", 1), 4);
  EXPECT_EQ(Module19::get_padding("1", 2), 1);
  EXPECT_EQ(Module19::get_padding("1", 3), 1);
  EXPECT_EQ(Module19::get_padding("1", 0), 0);
  EXPECT_EQ(Module19::get_padding("0", 1), 0);
}

// The frame walk decodes headers straight from their bytes; it must agree with the bit-text
// road for every header the sync test lets through, short ones at the end of data included.
TEST(FrameLength, ByteDecoderAgreesWithBitTextForEveryHeader) {
  int nonzero = 0;
  for (int b2 = 0xE0; b2 <= 0xFF; ++b2) {
    for (int b3 = 0; b3 <= 0xFF; ++b3) {
      std::string header = {'\xFF', static_cast<char>(b2), static_cast<char>(b3), '\xC4'};
      const int expected = Module28::get_frame_size(header);
      ASSERT_EQ(engine::frame_size_at(header, 0), expected) << Module19::bytes_to_hex(header);
      if (expected > 0) ++nonzero;
      ASSERT_EQ(engine::frame_size_at(header.substr(0, 3), 0), Module28::get_frame_size(header.substr(0, 3)));
    }
    const std::string two = {'\xFF', static_cast<char>(b2)};
    ASSERT_EQ(engine::frame_size_at(two, 0), Module28::get_frame_size(two));
  }
  EXPECT_EQ(engine::frame_size_at("\xFF", 0), Module28::get_frame_size("\xFF"));
  EXPECT_EQ(engine::frame_size_at("\xFF", 0), 0);  // FFFFFFFF: reserved rate
  // 3 versions x 3 layers x 2 protection bits; per second byte 3 rates x (14 bitrates x 4 + 2 padded).
  EXPECT_EQ(nonzero, 18 * 180);
}

TEST(FrameHeader, SyncTestLooksAtTheFirstElevenBitsOnly) {
  EXPECT_TRUE(Module27::is_frame_header(bytes("FFE00000")));
  EXPECT_TRUE(Module27::is_frame_header(bytes("FFFB9064")));
  EXPECT_TRUE(Module27::is_frame_header(bytes("ffef")));
  EXPECT_TRUE(Module27::is_frame_header("\xFF"));  // a lone FF repeats itself
  EXPECT_FALSE(Module27::is_frame_header(bytes("FFDF9064")));
  EXPECT_FALSE(Module27::is_frame_header(bytes("FEFB9064")));
  EXPECT_FALSE(Module27::is_frame_header(""));
  const std::string data = bytes("00FFE1FF");
  EXPECT_FALSE(engine::is_frame_header_at(data, 0));
  EXPECT_TRUE(engine::is_frame_header_at(data, 1));
  EXPECT_TRUE(engine::is_frame_header_at(data, 3));
}

TEST(FirstFrame, SyncSearchInPlainBytes) {
  EXPECT_EQ(engine::find_first_frame(""), 0);
  EXPECT_EQ(engine::find_first_frame(bytes("FF")), 0);  // a last FF has no next byte
  EXPECT_EQ(engine::find_first_frame(bytes("FFE0")), 1);
  EXPECT_EQ(engine::find_first_frame(bytes("00FFFB")), 2);
  EXPECT_EQ(engine::find_first_frame(bytes("FFDFFFFF")), 3);
  EXPECT_EQ(engine::find_first_frame(bytes("0102FFD0FF")), 0);
  EXPECT_EQ(engine::find_first_frame(std::string(5000, '\x7F') + bytes("FFF3")), 5001);
}

TEST(FirstFrame, SkipsWellFormedLeadingId3v2Tag) {
  // A tag of 12 bytes whose text starts with a byte-order mark FF FE.
  const std::string body = bytes("FFFE5400690074006C006500");
  const std::string frame = bytes("FFFB9064") + std::string(413, '\0');
  const std::string tag = "ID3" + bytes("0300") + bytes("00") + bytes("0000000C") + body;
  EXPECT_EQ(engine::id3v2_tag_size(tag + frame), 22u);
  EXPECT_EQ(engine::find_first_frame(tag + frame), 23);
  EXPECT_EQ(naive_sync(tag + frame), 11u);

  // The footer flag adds the ten bytes of the footer.
  const std::string footer = "3DI" + bytes("0400") + bytes("10") + bytes("0000000C");
  const std::string with_footer = "ID3" + bytes("0400") + bytes("10") + bytes("0000000C") + body + footer;
  EXPECT_EQ(engine::id3v2_tag_size(with_footer + frame), 32u);
  EXPECT_EQ(engine::find_first_frame(with_footer + frame), 33);

  // Size bytes are seven bits each: 00 00 01 00 declares 128 bytes.
  const std::string big = "ID3" + bytes("030000") + bytes("00000100") + std::string(128, '\xFF');
  EXPECT_EQ(engine::find_first_frame(big + frame), 139);

  // Padding after the tag is searched through as before.
  EXPECT_EQ(engine::find_first_frame(tag + std::string(7, '\0') + frame), 30);
}

TEST(FirstFrame, MalformedTagIsSearchedFromTheFirstByte) {
  const std::string body = bytes("FFFE5400690074006C006500");
  const std::string frame = bytes("FFFB9064");
  // A size byte of 80 or more, a version byte FF, or a header cut short: no tag.
  EXPECT_EQ(engine::find_first_frame("ID3" + bytes("0300") + bytes("00") + bytes("0000008C") + body + frame),
            11);
  EXPECT_EQ(engine::find_first_frame("ID3" + bytes("FF00") + bytes("00") + bytes("0000000C") + body + frame),
            11);
  EXPECT_EQ(engine::find_first_frame("ID3" + bytes("0300") + bytes("FFFB")), 6);
  EXPECT_EQ(engine::id3v2_tag_size("ID3"), 0u);
  EXPECT_EQ(engine::id3v2_tag_size("id3" + bytes("03000000000000")), 0u);
}

TEST(FirstFrame, TagAndNothingElseHasNoFrame) {
  const std::string picture = bytes("FFD8FFE000104A464946");
  const std::string tag = "ID3" + bytes("0300") + bytes("00") + bytes("0000000A") + picture;
  EXPECT_EQ(engine::find_first_frame(tag), 0);
  // A tag that declares more bytes than the file holds leaves nothing to search.
  EXPECT_EQ(engine::find_first_frame("ID3" + bytes("0300") + bytes("00") + bytes("00007F7F") + picture), 0);
}

TEST(FirstFrame, ReadsTheFile) {
  TempDir dir;
  write_bytes(dir.file("junk_before_sync.mp3"), std::string(300, 'x') + bytes("FFFB9064"));
  EXPECT_EQ(Module10::find_first_frame(dir.file("junk_before_sync.mp3")), 301);
  write_bytes(dir.file("one_byte.mp3"), bytes("FF"));
  EXPECT_EQ(Module10::find_first_frame(dir.file("one_byte.mp3")), 0);
  EXPECT_THROW(Module10::find_first_frame(dir.file("missing.mp3")), core::VbError);
}

// The search reads the file through a window: a sync split across its edges is still found.
TEST(FirstFrame, SyncAcrossReadBoundaries) {
  TempDir dir;
  for (std::size_t at : {std::size_t{65535}, std::size_t{(1u << 20) - 1}, std::size_t{(1u << 20) + 65535}}) {
    std::string file(at, 'x');
    for (std::size_t i = 0; i < at; i += 1000) file[i] = '\xFF';  // FF followed by 'x': no sync
    file += bytes("FFE3") + std::string(100, 'y');
    write_bytes(dir.file("split.mp3"), file);
    EXPECT_EQ(Module10::find_first_frame(dir.file("split.mp3")), static_cast<std::int32_t>(at + 1)) << at;
  }
}

TEST(FileBytes, RangesAndWindow) {
  TempDir dir;
  std::string file;
  for (int i = 0; i < 3 << 20; ++i) file.push_back(static_cast<char>(i % 251));
  write_bytes(dir.file("bytes.bin"), file);
  engine::FileBytes all(dir.file("bytes.bin"));
  EXPECT_EQ(all.size(), file.size());
  EXPECT_EQ(all.bytes(5, 10), file.substr(5, 10));
  EXPECT_EQ(all.bytes((1 << 20) - 3, 8), file.substr((1 << 20) - 3, 8));  // across the window's end
  EXPECT_EQ(all.bytes(2 << 20, 1 << 20), file.substr(2 << 20));
  EXPECT_EQ(all.bytes(4, 4), file.substr(4, 4));  // back to the start
  EXPECT_EQ(all.bytes(file.size() - 2, 10), file.substr(file.size() - 2));
  EXPECT_EQ(all.bytes(file.size(), 10), "");

  engine::FileBytes middle(dir.file("bytes.bin"), 1000, 3000);
  EXPECT_EQ(middle.size(), 2000u);
  EXPECT_EQ(middle.bytes(0, 5000), file.substr(1000, 2000));
  engine::FileBytes past(dir.file("bytes.bin"), 10, UINT64_MAX);
  EXPECT_EQ(past.size(), file.size() - 10);
  engine::FileBytes empty(dir.file("bytes.bin"), 5000, 4000);
  EXPECT_EQ(empty.size(), 0u);

  // A file that gets shorter while it is read gives what is there.
  engine::FileBytes shrinking(dir.file("bytes.bin"));
  write_bytes(dir.file("bytes.bin"), file.substr(0, 100));
  EXPECT_EQ(shrinking.bytes(50, 100), file.substr(50, 50));
  EXPECT_EQ(shrinking.bytes(200, 100), "");

  EXPECT_THROW(engine::FileBytes(dir.file("missing.bin")), core::VbError);
}

// Tagged files from lame: the frames after the tag are the bytes of the same encoding made
// without tags, and a plain sync search would have stopped inside the tag.
TEST(FirstFrame, LameTaggedFilesStartAtTheirAudio) {
  TempDir dir;
  const std::string wav = fixtures::tone_wav(dir, 44100, 2, 1.0);
  const std::string plain = read_bytes(fixtures::lame(dir, "plain.mp3", wav, ""));
  ASSERT_GT(plain.size(), 1000u);
  ASSERT_EQ(engine::find_first_frame(plain), 1);

  struct Tagged {
    std::string name;
    std::string options;
    bool id3v1;
  };
  const std::string cover = fixtures::jpeg(dir);
  const std::vector<Tagged> variants = {
      {"utf16_title.mp3", "--tt Title --ta Artist --add-id3v2", true},
      {"utf16_only_v2.mp3", "--tt Title --ta Artist --id3v2-only", false},
      {"picture.mp3", "--tt Title --ti " + testsupport::quote(cover) + " --id3v2-only", false},
  };
  for (const auto& v : variants) {
    const std::string path = fixtures::lame(dir, v.name, wav, v.options);
    const std::string file = read_bytes(path);
    const std::int32_t first = Module10::find_first_frame(path);
    ASSERT_GT(first, 1) << v.name;
    EXPECT_EQ(static_cast<std::size_t>(first), engine::id3v2_tag_size(file) + 1) << v.name;
    EXPECT_LT(naive_sync(file), static_cast<std::size_t>(first))
        << v.name << ": the tag holds a sync pattern";
    const std::size_t audio = file.size() - (first - 1) - (v.id3v1 ? 128 : 0);
    EXPECT_EQ(file.substr(first - 1, audio), plain) << v.name;
    EXPECT_EQ(Module28::get_frame_size(file.substr(first - 1, 4)), 417) << v.name;
  }
}

TEST(FirstFrame, FfmpegTaggedFileWithPicture) {
  TempDir dir;
  const std::string wav = fixtures::tone_wav(dir, 22050, 1, 1.0);
  const std::string cover = fixtures::jpeg(dir);
  const std::string path = dir.file("ffmpeg_picture.mp3");
  const std::string cmd = "ffmpeg -nostdin -loglevel error -y -i " + testsupport::quote(wav) + " -i " +
                          testsupport::quote(cover) +
                          " -map 0:a -map 1:v -c:a libmp3lame -b:a 64k -c:v copy -disposition:v attached_pic"
                          " -id3v2_version 3 -metadata title=Tone " +
                          testsupport::quote(path);
  ASSERT_EQ(testsupport::run(cmd), 0) << cmd;
  const std::string file = read_bytes(path);
  const std::int32_t first = Module10::find_first_frame(path);
  ASSERT_GT(first, 1);
  EXPECT_EQ(static_cast<std::size_t>(first), engine::id3v2_tag_size(file) + 1);
  EXPECT_LT(naive_sync(file), static_cast<std::size_t>(first));
  // MPEG-2 layer III at 22050 Hz, mono.
  const std::string bits = Module15::hex_to_bin(Module19::bytes_to_hex(file.substr(first - 1, 4)));
  EXPECT_EQ(Module19::get_mpeg_version(bits.substr(11, 2)), 2);
  EXPECT_EQ(Module19::get_layer(bits.substr(13, 2)), 3);
  EXPECT_EQ(Module19::get_sample_rate(bits.substr(20, 2), 2), 22050);
  EXPECT_EQ(bits.substr(24, 2), "11");
}

}  // namespace
