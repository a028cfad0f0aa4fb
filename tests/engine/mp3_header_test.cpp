#include "engine/mp3_header.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/errors.h"
#include "engine/files.h"
#include "fixtures.h"

namespace {

using fixtures::bytes;
using testsupport::read_bytes;
using testsupport::TempDir;
using testsupport::write_bytes;

TEST(Hex, LittleEndianPatches) {
  const struct {
    const char* hex;
    short mode;
    const char* expected;
  } rows[] = {
      {"0000ABCD", 1, "CDAB0000"}, {"1A2B", 2, "2B1A"},         {"ABC", 2, "BC0A"},
      {"1", 1, "01000000"},        {"123456", 2, "563412"},     {"12345", 2, "4523"},
      {"", 1, "00000000"},         {"12345678", 2, "78563412"}, {"7", 3, ""},
  };
  for (const auto& row : rows) EXPECT_EQ(Module6::to_lit_endian(row.hex, row.mode), row.expected) << row.hex;
  std::string out;
  core::put_u32le(out, 0x0001ABCD);
  core::put_u16le(out, 0x1A2B);
  EXPECT_EQ(out, bytes(Module6::to_lit_endian("1ABCD", 1) + Module6::to_lit_endian("1A2B", 2)));

  TempDir dir;
  testsupport::MessageBoxRecorder boxes;
  const auto path = dir.file("patch.bin");
  write_bytes(path, std::string(10, '\x11'));
  Module16::write_hex_at(path, "ABC", 5);  // in place, without truncating
  const std::string expected = std::string(10, '\x11').replace(4, 2, "\x0A\xBC");
  EXPECT_EQ(read_bytes(path), expected);
  Module16::write_hex_at(path, "FFEE", 11);  // past the end the file grows
  EXPECT_EQ(read_bytes(path), expected + "\xFF\xEE");
  Module16::write_hex_at(path, "ABCD", 0);
  Module16::write_hex_at(path, "", 0);  // an empty text shows nothing
  EXPECT_EQ(boxes.texts(), std::vector<std::string>{"OFFSET Must not be 0"});
  EXPECT_EQ(read_bytes(path), expected + "\xFF\xEE");
}

TEST(FrameLength, KnownHeaders) {
  const struct {
    const char* header;
    int length;
    const char* what;
  } rows[] = {
      {"FFFB9064", 417, "MPEG-1 layer III 128 kbit/s 44100 Hz"},
      {"FFF390C4", 261, "MPEG-2 layer III 80 kbit/s 22050 Hz"},
      {"FFE38000", 417, "MPEG-2.5 layer III 64 kbit/s 11025 Hz"},
      {"FFFF9000", 312, "MPEG-1 layer I 288 kbit/s 44100 Hz"},
      {"FFFF9200", 316, "layer I pads with four bytes"},
      {"FFFBE000", 1044, "layer III 320 kbit/s 44100 Hz"},
      {"FFFBE400", 960, "layer III 320 kbit/s 48000 Hz"},
      {"FFFBC800", 1008, "layer III 224 kbit/s 32000 Hz"},
      {"FFF5A000", 626, "MPEG-2 layer II 96 kbit/s 22050 Hz"},
      {"FFE5E000", 2089, "MPEG-2.5 layer II shares the MPEG-2 row: 160 kbit/s"},
      {"FFF7E000", 556, "MPEG-2 layer I 256 kbit/s 22050 Hz"},
      {"FFFFEA00", 676, "MPEG-1 layer I 448 kbit/s 32000 Hz, padded"},
      {"FFE34800", 288, "MPEG-2.5 layer III 32 kbit/s 8000 Hz"},
      {"FFFB0000", 0, "free format"},
      {"FFFB0200", 1, "free format with padding: the padding alone"},
      {"FFFBF000", 0, "bad bitrate index"},
      {"FFFB9C00", 0, "reserved sample rate"},
      {"FFEB9000", 0, "reserved version"},
      {"FFF99000", 0, "reserved layer"},
      {"FFE00010", 0, "a JPEG marker: MPEG-2.5, reserved layer"},
      {"FF", 0, "a lone FF reads as FFFFFFFF: reserved rate"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Module28::get_frame_size(bytes(row.header)), row.length) << row.header << ": " << row.what;
    EXPECT_EQ(engine::frame_size_at(bytes(row.header), 0), row.length) << row.header << ": " << row.what;
  }
  // The bit-text fields the file page and the rate check read.
  const std::string bits = Module15::hex_to_bin("FFE38000");
  EXPECT_EQ(Module19::get_mpeg_version(bits.substr(11, 2)), 2.5);
  EXPECT_EQ(Module19::get_layer(bits.substr(13, 2)), 3);
  EXPECT_EQ(Module19::get_bitrate(bits.substr(16, 4), 2.5, 3), 64);
  EXPECT_EQ(Module19::get_sample_rate(bits.substr(20, 2), 2.5), 11025);
}

TEST(FirstFrame, SyncSearchSkipsOnlyAWellFormedLeadingId3v2Tag) {
  const std::string text = bytes("FFFE5400690074006C006500");  // a UTF-16 title: FF FE looks like a sync
  const std::string frame = bytes("FFFB9064") + std::string(413, '\0');
  const std::string tag = "ID3" + bytes("0300000000000C") + text;
  const std::string footer = "ID3" + bytes("0400100000000C") + text + "3DI" + bytes("0400100000000C");
  const struct {
    const char* name;
    std::string data;
    std::int32_t first;
  } rows[] = {
      {"empty", "", 0},
      {"a last FF has no next byte", bytes("FF"), 0},
      {"sync at the start", bytes("FFE0"), 1},
      {"FF DF is no sync", bytes("FFDFFFFF"), 3},
      {"no sync", bytes("0102FFD0FF"), 0},
      {"far in", std::string(5000, '\x7F') + bytes("FFF3"), 5001},
      {"tag", tag + frame, 23},
      {"padding after the tag", tag + std::string(7, '\0') + frame, 30},
      {"footer", footer + frame, 33},
      {"seven-bit size bytes", "ID3" + bytes("03000000000100") + std::string(128, '\xFF') + frame, 139},
      {"size byte of 80: no tag", "ID3" + bytes("03000000000080") + text + frame, 11},
      {"version FF: no tag", "ID3" + bytes("FF00000000000C") + text + frame, 11},
      {"header cut short", "ID3" + bytes("0300FFFB"), 6},
      {"lower-case id3", "id3" + bytes("03000000000000") + frame, 11},
      {"tag and nothing else", "ID3" + bytes("0300000000000A") + bytes("FFD8FFE000104A464946"), 0},
      {"tag longer than the file", "ID3" + bytes("03000000007F7F") + bytes("FFD8FFE000104A464946"), 0},
  };
  for (const auto& row : rows) EXPECT_EQ(engine::find_first_frame(row.data), row.first) << row.name;
  EXPECT_EQ(engine::id3v2_tag_size(tag + frame), 22u);
  EXPECT_EQ(engine::id3v2_tag_size(footer + frame), 32u);  // the footer flag adds ten
}

// The file is searched through a window: a sync split across its edges is still found.
TEST(FirstFrame, ReadsTheFileThroughItsWindow) {
  TempDir dir;
  for (std::size_t at : {std::size_t{300}, std::size_t{65535}, std::size_t{(1u << 20) + 65535}}) {
    std::string file(at, 'x');
    for (std::size_t i = 0; i < at; i += 1000) file[i] = '\xFF';  // FF followed by 'x': no sync
    write_bytes(dir.file("split.mp3"), file + bytes("FFE3") + std::string(100, 'y'));
    EXPECT_EQ(Module10::find_first_frame(dir.file("split.mp3")), static_cast<std::int32_t>(at + 1)) << at;
  }
  write_bytes(dir.file("one_byte.mp3"), bytes("FF"));
  EXPECT_EQ(Module10::find_first_frame(dir.file("one_byte.mp3")), 0);
  EXPECT_THROW(Module10::find_first_frame(dir.file("missing.mp3")), core::VbError);

  // A file that gets shorter while it is read gives what is there.
  std::string file;
  for (int i = 0; i < 3 << 20; ++i) file.push_back(static_cast<char>(i % 251));
  write_bytes(dir.file("bytes.bin"), file);
  engine::FileBytes all(dir.file("bytes.bin"));
  EXPECT_EQ(all.bytes((1 << 20) - 3, 8), file.substr((1 << 20) - 3, 8));  // across the window's end
  write_bytes(dir.file("bytes.bin"), file.substr(0, 100));
  EXPECT_EQ(all.bytes(50, 100), file.substr(50, 50));
  EXPECT_EQ(all.bytes(2 << 20, 100), "");
}

}  // namespace
