// MPEG audio frame headers, the sync search and the frame walk, and the SWF sound stream
// written from them.

#include "engine/mp3_header.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <tuple>
#include <vector>

#include "core/errors.h"
#include "engine/files.h"
#include "engine/final_movie.h"
#include "engine/sound_stream.h"
#include "fixtures.h"

namespace {

using fixtures::bytes;
using fixtures::frames;
using testsupport::read_bytes;
using testsupport::TempAppDir;
using testsupport::TempDir;
using testsupport::write_bytes;
namespace swf = testsupport::swf;

// Walks `data`, writes the stream at 24 frames a second and reads mp3_data2.dat back.
fixtures::Stream write_stream(const TempAppDir& app, const std::string& data, int rate, int spf) {
  std::vector<std::int32_t> lengths;
  const std::int32_t n = engine::walk_frames(data, &lengths);
  Module25::write_mp3_data(24, rate, spf, lengths, data, n);
  const std::string timeline = read_bytes(app.spd("mp3_data2.dat"));
  fixtures::Stream s;
  fixtures::read_blocks(swf::read_tags(timeline, 0, timeline.size()), 0, timeline.size(), s);
  return s;
}

TEST(Hex, LittleEndianPatches) {
  const struct {
    const char* hex;
    short mode;
    const char* expected;
  } rows[] = {
      {"0000ABCD", 1, "CDAB0000"}, {"1A2B", 2, "2B1A"},  {"ABC", 2, "BC0A"},  {"1", 1, "01000000"},
      {"123456", 2, "563412"},     {"12345", 2, "4523"}, {"", 1, "00000000"}, {"7", 3, ""},
  };
  for (const auto& row : rows) EXPECT_EQ(Module6::to_lit_endian(row.hex, row.mode), row.expected) << row.hex;

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
      {"FFF5A000", 626, "MPEG-2 layer II 96 kbit/s 22050 Hz"},
      {"FFE5E000", 2089, "MPEG-2.5 layer II shares the MPEG-2 row: 160 kbit/s"},
      {"FFF7E000", 556, "MPEG-2 layer I 256 kbit/s 22050 Hz"},
      {"FFFB0000", 0, "free format"},
      {"FFFB0200", 1, "free format with padding: the padding alone"},
      {"FFFBF000", 0, "bad bitrate index"},
      {"FFFB9C00", 0, "reserved sample rate"},
      {"FFEB9000", 0, "reserved version"},
      {"FFF99000", 0, "reserved layer"},
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

TEST(StreamHead, SamplesAndBytesPerRateAndChannels) {
  for (const auto& [version, layer, samples] : std::vector<std::tuple<double, int, int>>{
           {2.5, 1, 384}, {2, 2, 1152}, {1, 3, 1152}, {2.5, 3, 576}, {0, 3, 0}, {1, 0, 0}})
    EXPECT_EQ(Module20::get_samples_per_frame(version, layer), samples) << version << " " << layer;
  const struct {
    int rate, size, stereo, compression;
    const char* hex;
  } rows[] = {
      {44100, 1, 1, 2, "86040F2F2E070000"},  // 1837.5 samples a frame round to 1838
      {44100, 1, 0, 2, "86040E2E2E070000"},  // single channel
      {22050, 1, 1, 2, "86040B2B97030000"},  // 919
      {11025, 1, 0, 2, "86040626CB010000"},  // 459
      {48000, 1, 1, 2, "86040B2BD0070000"},  // other rates play as 22 kHz; 2000
      {16000, 1, 0, 2, "86040A2A9B020000"},  // 666.67 gives 667
      {44100, 0, 1, 0, "86040D0D2E070000"},  // 8-bit, uncompressed
      {44100, 1, 1, 6, "86040F6F2E070000"},  // compression 6
  };
  for (const auto& row : rows)
    EXPECT_EQ(Module21::sound_stream_head_hex(row.rate, row.size, row.stereo, row.compression, 24), row.hex)
        << row.rate;

  TempAppDir app;
  const std::string middle =
      bytes("FF09000000000300A401") + std::string(8, '\0') + fixtures::write::tag(swf::kShowFrame, "");
  write_bytes(app.spd("middle.spd"), middle);
  write_bytes(app.spd("sprite_top.dat"), std::string(100, 'x'));  // an older, longer file goes
  Module22::write_sprite_top("86040F2F2E070000");
  EXPECT_EQ(read_bytes(app.spd("sprite_top.dat")),
            bytes("FF09000000000300A40186040F2F2E070000") + middle.substr(18));
  write_bytes(app.spd("middle.spd"), middle.substr(0, 17));
  EXPECT_THROW(Module22::write_sprite_top("86040F2F2E070000"), core::VbError);
}

TEST(FrameWalk, LengthsAndEnds) {
  const std::string two = frames("FFFB9064", 2, "FFFB9264");
  const struct {
    const char* name;
    std::string data;
    std::vector<std::int32_t> lengths;
  } rows[] = {
      {"two frames", two, {417, 418}},
      {"the last frame absorbs the byte after it", two + "z", {417, 419}},
      {"a frame cut short is left out", two.substr(0, 600), {417}},
      {"so is a first frame cut short", two.substr(0, 416), {}},
      {"two bytes after: no sync, left out", two + "zz", {417, 418}},
      {"a free-format header ends the walk", two + bytes("FFFB0064") + std::string(500, '\0'), {417, 418}},
      {"a lone FF", "\xFF", {}},
      {"nothing", "", {}},
  };
  for (const auto& row : rows) {
    std::vector<std::int32_t> lengths;
    EXPECT_EQ(engine::walk_frames(row.data, &lengths), static_cast<std::int32_t>(row.lengths.size()))
        << row.name;
    EXPECT_EQ(lengths, row.lengths) << row.name;
  }
  // The frame data runs from the first frame to an ID3v1 tag, or to the end without one.
  const std::string file = "junk" + std::string(300, 'a') + fixtures::id3v1_tag();
  EXPECT_EQ(engine::frame_data(file, 5), std::string(300, 'a'));
  EXPECT_EQ(engine::frame_data(file, 0), "");
  EXPECT_EQ(engine::frame_data(file, 304), "a");
  EXPECT_EQ(engine::frame_data(file, 305), "");
  const std::string untagged = "junk" + std::string(300, 'a') + "tag" + std::string(125, 'v');
  EXPECT_EQ(engine::frame_data(untagged, 5), untagged.substr(4));
  EXPECT_EQ(engine::frame_data("short", 1), "short");
}

// A count read only where its layout puts it: after the side information (by version and
// channels), or 32 bytes after the header for VBRI.
TEST(FrameWalk, VbrHeaderFrameCounts) {
  const auto frame = [](const char* header, std::size_t at, const std::string& text) {
    return frames({header}).replace(at, text.size(), text);
  };
  const std::string count = bytes("00000003000000C2");  // flags: frames and bytes; 194 frames
  const struct {
    const char* name;
    std::string frame;
    std::uint32_t frames;
  } rows[] = {
      {"Info, MPEG-1 mono", frame("FFFB90C4", 21, "Info" + count), 194},
      {"Xing, MPEG-2 mono", frame("FFF390C4", 13, "Xing" + count), 194},
      {"VBRI", frame("FFFB9064", 36, "VBRI" + bytes("0001000000500000A000000001F4")), 500},
      {"no count among the flags", frame("FFFB9064", 36, "Xing" + bytes("0000000E")), 0},
      {"at the place of another layout", frame("FFFB9064", 21, "Xing" + count), 0},
      {"cut before the count", frame("FFFB9064", 36, "Xing" + count).substr(0, 47), 0},
      {"layer II", frame("FFFD9064", 36, "Xing" + count), 0},
  };
  for (const auto& row : rows) EXPECT_EQ(engine::vbr_header_frames(row.frame), row.frames) << row.name;
}

// Frames and seek of the first blocks. A frame of 920 bytes or more is a chunk of its own; layer I
// at 24000 Hz and more asks for three frames or more per SWF frame.
TEST(StreamWriter, SchedulesFramesIntoBlocks) {
  TempAppDir app;
  const struct {
    const char* name;
    std::string data;
    int rate, spf;
    std::vector<int> frames, seeks;
  } rows[] = {
      // clang-format off
      {"44100 Hz: two frames a chunk", frames("FFFB9064", 40, "FFFB9264"), 44100, 1152,
       {1, 1, 2, 2, 1, 1}, {0, 686, 1371, 904, 438, 1124}},
      {"11025 Hz: the first SWF frame without sound", frames("FFE38000", 20), 11025, 576,
       {0, 1, 1, 1, 0}, {0, 459, 343, 226, 110}},
      {"22050 Hz: three frames a chunk", frames("FFF390C4", 30), 22050, 576, {1, 2, 1, 2}, {0, 343, 110, 452}},
      {"layer II at 11025 Hz: less than half a frame each", frames("FFE58000", 6), 11025, 1152,
       {0, 0, 1, 0, 0, 1, 0, 1}, {0, 459, 919}},
      {"a single frame", frames("FFFB9064", 1), 44100, 1152, {1}, {0}},
      {"chunks [417] [1044] [1044] [417 418] [1045] [417 417] [417]",
       frames({"FFFB9064", "FFFBE000", "FFFBE000", "FFFB9064", "FFFB9264", "FFFBE200", "FFFB9064",
               "FFFB9064", "FFFB9064"}), 44100, 1152, {1, 1, 1, 2, 1, 2, 1}, {}},
      {"only frames of 960 bytes", frames("FFFBE400", 6), 48000, 1152, {1, 1, 1, 1, 1, 1}, {}},
      {"layer I 48000 Hz 416 kbit/s: 5 a frame", frames("FFFFD400", 11), 48000, 384, {}, {}},
      {"layer I 32000 Hz 32 kbit/s: 3 a frame", frames("FFFF1800", 23), 32000, 384, {}, {}},
      {"layer I 48000 Hz, one frame", frames("FFFFD400", 1), 48000, 384, {}, {}},
      // clang-format on
  };
  for (const auto& row : rows) {
    const auto s = write_stream(app, row.data, row.rate, row.spf);
    EXPECT_EQ(s.joined, row.data) << row.name;
    std::vector<int> sent, seeks;
    for (const auto& b : s.blocks) {
      EXPECT_EQ(b.sample_count % row.spf, 0) << row.name;
      sent.push_back(b.sample_count / row.spf);
      seeks.push_back(b.seek);
    }
    // Every frame goes out once, the last buffer included.
    EXPECT_EQ(std::accumulate(sent.begin(), sent.end(), 0), Module25::frame_count) << row.name;
    EXPECT_GT(sent.back(), 0) << row.name;
    sent.resize(std::min(sent.size(), row.frames.size()));
    seeks.resize(std::min(seeks.size(), row.seeks.size()));
    EXPECT_EQ(sent, row.frames) << row.name;
    EXPECT_EQ(seeks, row.seeks) << row.name;
  }
}

TEST(StreamWriter, BlockRecordsAndFileLayout) {
  TempAppDir app;
  const std::string data = frames("FFFB9064", 4, "FFFB9264");
  write_bytes(app.spd("mp3_data2.dat"), std::string(5000, 'x'));  // an older, longer file goes
  write_stream(app, data, 44100, 1152);
  const std::string out = read_bytes(app.spd("mp3_data2.dat"));
  // Frames 1, 1, 2 blocks then End: (12 + 417) + (12 + 418) + (12 + 835) + 2.
  ASSERT_EQ(out.size(), 429u + 430u + 847u + 2u);
  EXPECT_EQ(out.substr(0, 10), bytes("FF04A501000080040000"));
  EXPECT_EQ(out.substr(10, 417), data.substr(0, 417));
  EXPECT_EQ(out.substr(427, 2), bytes("4000"));
  EXPECT_EQ(out.substr(429, 10), bytes("FF04A60100008004AE02"));
  EXPECT_EQ(out.substr(859, 10), bytes("FF04470300000009"
                                       "5B05"));
  EXPECT_EQ(out.substr(out.size() - 4), bytes("40000000"));

  Module25::write_mp3_data(24, 44100, 1152, {}, "", 0);  // no frames: an empty timeline
  EXPECT_EQ(read_bytes(app.spd("mp3_data2.dat")), std::string(2, '\0'));

  const std::string two = frames("FFFB9064", 2);
  for (const std::vector<std::int32_t>& lengths : {std::vector<std::int32_t>{417, 418}, {417}, {417, 0}})
    EXPECT_THROW(Module25::write_mp3_data(24, 44100, 1152, lengths, two, 2), core::VbError) << lengths.size();
  EXPECT_THROW(Module25::write_mp3_data(24, 0, 1152, {417, 417}, two, 2), core::VbError);
  EXPECT_THROW(Module25::write_mp3_data(24, 44100, 0, {417, 417}, two, 2), core::VbError);
}

TEST(Progress, AfterEverySwfFrameButTheLastRoundingHalfToEven) {
  TempAppDir app;
  fixtures::ProgressRecorder page;
  write_stream(app, frames("FFFB9064", 8, "FFFB9264"), 44100, 1152);
  // Blocks take 1, 1, 2, 2, 1, 1 frames; done after each but the last: 1, 2, 4, 6, 7 of 8.
  EXPECT_EQ(page.shown, (std::vector<std::pair<int, int>>{{0, 12}, {0, 25}, {0, 50}, {0, 75}, {0, 88}}));
  EXPECT_EQ(page.bars, (std::vector<int>{600, 1250, 2500, 3750, 4400}));
  EXPECT_EQ(Module25::frame_count, 8);

  Module25::frame_count = 200;   // rounding half to even
  Module12::update_progress(1);  // 0.5 %
  Module12::update_progress(3);  // 1.5 %
  Module25::frame_count = 3;
  Module12::update_progress(1);
  Module12::update_progress(2);
  page.shown.erase(page.shown.begin(), page.shown.begin() + 5);
  EXPECT_EQ(page.shown, (std::vector<std::pair<int, int>>{{0, 0}, {0, 2}, {0, 33}, {0, 67}}));
  page.bars.erase(page.bars.begin(), page.bars.begin() + 5);
  EXPECT_EQ(page.bars, (std::vector<int>{0, 100, 1650, 3350}));
}

}  // namespace
