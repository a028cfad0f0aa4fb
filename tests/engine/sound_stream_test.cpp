#include "engine/sound_stream.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "core/errors.h"
#include "engine/final_movie.h"
#include "engine/hex.h"
#include "mp3_fixtures.h"
#include "progress_recorder.h"
#include "support/swf_reader.h"
#include "support/test_support.h"

namespace {

using testsupport::read_bytes;
using testsupport::TempAppDir;
using testsupport::write_bytes;
namespace swf = testsupport::swf;

// The stream blocks of a sprite timeline: block, ShowFrame, block, ShowFrame ..., End and
// nothing after it.
std::vector<swf::StreamBlock> blocks_of(const std::string& timeline) {
  const auto tags = swf::read_tags(timeline, 0, timeline.size());
  std::vector<swf::StreamBlock> blocks;
  EXPECT_FALSE(tags.empty());
  if (tags.empty()) return blocks;
  EXPECT_EQ(tags.back().code, swf::kEnd);
  EXPECT_EQ(tags.back().end(), timeline.size());
  EXPECT_EQ(tags.size() % 2, 1u);
  for (std::size_t i = 0; i + 1 < tags.size(); i += 2) {
    EXPECT_EQ(tags[i].code, swf::kSoundStreamBlock) << "tag " << i;
    EXPECT_EQ(tags[i].header_length, 6u) << "tag " << i;  // always the long form
    EXPECT_EQ(tags[i + 1].code, swf::kShowFrame) << "tag " << i + 1;
    EXPECT_EQ(tags[i + 1].length, 0u);
    blocks.push_back(swf::read_stream_block(tags[i]));
  }
  return blocks;
}

struct Written {
  std::vector<swf::StreamBlock> blocks;
  std::vector<int> frames_per_block;
  std::vector<int> seeks;
  std::string joined;  // the MP3 bytes of every block, in order
};

// Walks `data`, writes the stream at 24 frames a second and reads it back.
Written write_stream(const TempAppDir& app, const std::string& data, int rate, int spf) {
  std::vector<std::int32_t> lengths;
  const std::int32_t n = engine::walk_frames(data, &lengths);
  Module25::write_mp3_data(24, rate, spf, lengths, data, n);
  Written w;
  w.blocks = blocks_of(read_bytes(app.spd("mp3_data2.dat")));
  for (const auto& b : w.blocks) {
    EXPECT_EQ(b.sample_count % spf, 0);
    w.frames_per_block.push_back(b.sample_count / spf);
    w.seeks.push_back(b.seek);
    w.joined += b.mp3;
  }
  return w;
}

std::vector<int> head(const std::vector<int>& v, std::size_t n) { return {v.begin(), v.begin() + n}; }

TEST(SamplesPerFrame, PerVersionAndLayer) {
  EXPECT_EQ(Module20::get_samples_per_frame(1, 1), 384);
  EXPECT_EQ(Module20::get_samples_per_frame(2.5, 1), 384);
  EXPECT_EQ(Module20::get_samples_per_frame(1, 2), 1152);
  EXPECT_EQ(Module20::get_samples_per_frame(2, 2), 1152);
  EXPECT_EQ(Module20::get_samples_per_frame(1, 3), 1152);
  EXPECT_EQ(Module20::get_samples_per_frame(2, 3), 576);
  EXPECT_EQ(Module20::get_samples_per_frame(2.5, 3), 576);
  EXPECT_EQ(Module20::get_samples_per_frame(0, 3), 0);
  EXPECT_EQ(Module20::get_samples_per_frame(1, 0), 0);
}

TEST(StreamHead, BytesPerRateAndChannels) {
  struct Case {
    int rate, size, stereo, compression;
    const char* hex;
  };
  const std::vector<Case> cases = {
      {44100, 1, 1, 2, "86040F2F2E070000"},  // 1837.5 samples a frame round to 1838
      {44100, 1, 0, 2, "86040E2E2E070000"},  // single channel
      {22050, 1, 1, 2, "86040B2B97030000"},  // 919
      {11025, 1, 0, 2, "86040626CB010000"},  // 459
      {48000, 1, 1, 2, "86040B2BD0070000"},  // other rates play as 22 kHz; 2000
      {32000, 1, 1, 2, "86040B2B35050000"},  // 1333
      {24000, 1, 0, 2, "86040A2AE8030000"},  // 1000
      {16000, 1, 0, 2, "86040A2A9B020000"},  // 666.67 gives 667
      {12000, 1, 0, 2, "86040A2AF4010000"},  // 500
      {8000, 1, 0, 2, "86040A2A4D010000"},   // 333
      {44100, 0, 1, 0, "86040D0D2E070000"},  // 8-bit, uncompressed
      {44100, 1, 1, 6, "86040F6F2E070000"},  // compression 6
  };
  for (const auto& c : cases)
    EXPECT_EQ(Module21::sound_stream_head_hex(c.rate, c.size, c.stereo, c.compression, 24), c.hex) << c.rate;
}

TEST(SpriteTop, HeadFillsTheSlotOfTheMiddlePiece) {
  TempAppDir app;
  const std::string middle = Module29::hex_to_bytes("FF09000000000300A401") + std::string(8, '\0') +
                             swf::tag(swf::kShowFrame, "") + "rest";
  write_bytes(app.spd("middle.spd"), middle);
  write_bytes(app.spd("sprite_top.dat"), std::string(100, 'x'));  // an older, longer file goes
  Module22::write_sprite_top("86040F2F2E070000");
  EXPECT_EQ(read_bytes(app.spd("sprite_top.dat")),
            Module29::hex_to_bytes("FF09000000000300A40186040F2F2E070000") + middle.substr(18));

  write_bytes(app.spd("middle.spd"), middle.substr(0, 17));
  EXPECT_THROW(Module22::write_sprite_top("86040F2F2E070000"), core::VbError);
}

TEST(FrameWalk, LengthsAndEnds) {
  const std::string two = fixtures::frames({"FFFB9064", "FFFB9264"});
  std::vector<std::int32_t> lengths;
  EXPECT_EQ(engine::walk_frames(two, &lengths), 2);
  EXPECT_EQ(lengths, (std::vector<std::int32_t>{417, 418}));

  // The last frame absorbs the byte after it: a frame ending one byte short of the end takes it.
  lengths.clear();
  EXPECT_EQ(engine::walk_frames(two + "z", &lengths), 2);
  EXPECT_EQ(lengths, (std::vector<std::int32_t>{417, 419}));
  // A frame cut short is the last one, with the bytes that are there.
  lengths.clear();
  EXPECT_EQ(engine::walk_frames(two.substr(0, 600), &lengths), 2);
  EXPECT_EQ(lengths, (std::vector<std::int32_t>{417, 183}));
  // Two bytes after the frames: the walk meets no sync there and leaves them out.
  lengths.clear();
  EXPECT_EQ(engine::walk_frames(two + "zz", &lengths), 2);
  EXPECT_EQ(lengths, (std::vector<std::int32_t>{417, 418}));

  // A header with no length (free format, reserved rate, reserved layer) ends the walk.
  for (const char* stop : {"FFFB0064", "FFFB9C64", "FFF99064"}) {
    lengths.clear();
    EXPECT_EQ(engine::walk_frames(two + Module29::hex_to_bytes(stop) + std::string(500, '\0'), &lengths), 2)
        << stop;
    EXPECT_EQ(lengths.size(), 2u);
  }
  // A lone FF reads as FFFFFFFF: reserved rate, no frame.
  EXPECT_EQ(engine::walk_frames("\xFF", nullptr), 0);
  EXPECT_EQ(engine::walk_frames("", nullptr), 0);
  EXPECT_EQ(engine::walk_frames(Module29::hex_to_bytes("FFE00010"), nullptr), 0);
}

TEST(FrameWalk, FrameDataLeavesOutTheLast128Bytes) {
  const std::string file = "junk" + std::string(300, 'a') + std::string(128, 't');
  EXPECT_EQ(engine::frame_data(file, 5), std::string(300, 'a'));
  EXPECT_EQ(engine::frame_data(file, 0), "");
  EXPECT_EQ(engine::frame_data(file, 304), "a");
  EXPECT_EQ(engine::frame_data(file, 305), "");
  EXPECT_EQ(engine::frame_data("short", 1), "");
}

TEST(FrameWalk, FileWithTagsCountsTheEncodersFrames) {
  testsupport::TempDir dir;
  const std::string wav = fixtures::tone_wav(dir, 22050, 1, 1.5);
  const std::string path = fixtures::lame(dir, "tagged.mp3", wav, "-b 64 --tt Title --ta Artist --add-id3v2");
  const std::string file = read_bytes(path);
  const std::size_t first = engine::id3v2_tag_size(file) + 1;
  const std::size_t data_length = file.size() - 128 - (first - 1);

  std::vector<std::int32_t> lengths = {1, 2, 3};  // replaced
  Module24::build_frame_table(path, lengths);
  EXPECT_EQ(Module23::count_mp3_frames(path), static_cast<std::int32_t>(lengths.size()));
  EXPECT_EQ(std::accumulate(lengths.begin(), lengths.end(), std::size_t{0}), data_length);
  // 64 kbit/s at 22050 Hz: 208 or 209 bytes.
  for (std::size_t i = 0; i < lengths.size(); ++i) EXPECT_TRUE(lengths[i] == 208 || lengths[i] == 209) << i;
  const auto expected =
      std::stoi(testsupport::capture("ffprobe -v error -count_packets -select_streams a:0 -show_entries "
                                     "stream=nb_read_packets -of csv=p=0 " +
                                     testsupport::quote(path)));
  EXPECT_EQ(static_cast<int>(lengths.size()), expected + 1);  // ffprobe does not count the Info frame
}

// 44100 Hz, layer III, 128 kbit/s: two frames a chunk.
TEST(StreamWriter, Scheduling44100) {
  TempAppDir app;
  const std::string data = fixtures::frames(fixtures::alternate("FFFB9064", "FFFB9264", 40));
  const auto w = write_stream(app, data, 44100, 1152);
  EXPECT_EQ(head(w.frames_per_block, 6), (std::vector<int>{1, 1, 2, 2, 1, 1}));
  EXPECT_EQ(head(w.seeks, 6), (std::vector<int>{0, 686, 1371, 904, 438, 1124}));
  EXPECT_EQ(w.joined, data);
  EXPECT_FALSE(Module25::frames_fit(1, 2));
  EXPECT_TRUE(Module25::frames_fit(2, 3));
  EXPECT_EQ(Module25::mp3_frames_per_swf_frame, 44100.0 / (24 * 1152));
  EXPECT_EQ(Module25::frame_count, 40);
}

// 11025 Hz, layer III of MPEG-2.5, 64 kbit/s: the first SWF frame carries no sound.
TEST(StreamWriter, Scheduling11025) {
  TempAppDir app;
  const std::string data = fixtures::frames(std::vector<std::string>(20, "FFE38000"));
  const auto w = write_stream(app, data, 11025, 576);
  EXPECT_EQ(head(w.frames_per_block, 5), (std::vector<int>{0, 1, 1, 1, 0}));
  EXPECT_EQ(head(w.seeks, 5), (std::vector<int>{0, 459, 343, 226, 110}));
  EXPECT_EQ(w.blocks[0].mp3, "");
  EXPECT_EQ(w.joined, data);
}

// 22050 Hz, layer III of MPEG-2, 80 kbit/s: three frames a chunk.
TEST(StreamWriter, Scheduling22050) {
  TempAppDir app;
  const std::string data = fixtures::frames(std::vector<std::string>(30, "FFF390C4"));
  const auto w = write_stream(app, data, 22050, 576);
  EXPECT_EQ(head(w.frames_per_block, 4), (std::vector<int>{1, 2, 1, 2}));
  EXPECT_EQ(head(w.seeks, 4), (std::vector<int>{0, 343, 110, 452}));
  EXPECT_EQ(w.joined, data);
}

TEST(StreamWriter, BlockRecordsAndFileLayout) {
  TempAppDir app;
  const std::string data = fixtures::frames(fixtures::alternate("FFFB9064", "FFFB9264", 4));
  write_bytes(app.spd("mp3_data2.dat"), std::string(5000, 'x'));  // an older, longer file goes
  write_stream(app, data, 44100, 1152);
  const std::string out = read_bytes(app.spd("mp3_data2.dat"));
  // Frames 1, 1, 2 blocks then End: (12 + 417) + (12 + 418) + (12 + 835) + 2.
  ASSERT_EQ(out.size(), 429u + 430u + 847u + 2u);
  EXPECT_EQ(out.substr(0, 10), Module29::hex_to_bytes("FF04A50100008004"
                                                      "0000"));
  EXPECT_EQ(out.substr(10, 417), data.substr(0, 417));
  EXPECT_EQ(out.substr(427, 2), Module29::hex_to_bytes("4000"));
  EXPECT_EQ(out.substr(429, 10), Module29::hex_to_bytes("FF04A6010000"
                                                        "8004"
                                                        "AE02"));
  EXPECT_EQ(out.substr(859, 10), Module29::hex_to_bytes("FF0447030000"
                                                        "0009"
                                                        "5B05"));
  EXPECT_EQ(out.substr(out.size() - 4), Module29::hex_to_bytes("40000000"));
}

TEST(StreamWriter, SingleFrameIsOneBlockThenEnd) {
  TempAppDir app;
  const std::string data = fixtures::frames({"FFFB9064"});
  const auto w = write_stream(app, data, 44100, 1152);
  EXPECT_EQ(w.frames_per_block, (std::vector<int>{1}));
  EXPECT_EQ(w.seeks, (std::vector<int>{0}));
  EXPECT_EQ(read_bytes(app.spd("mp3_data2.dat")).size(), 12u + 417u + 2u);
}

TEST(StreamWriter, NoFramesIsAnEmptyTimeline) {
  TempAppDir app;
  Module25::write_mp3_data(24, 44100, 1152, {}, "", 0);
  EXPECT_EQ(read_bytes(app.spd("mp3_data2.dat")), std::string(2, '\0'));
}

// A frame of 920 bytes or more forms a chunk of its own: every frame goes out once, in
// order, and no block takes bytes from outside its chunk.
TEST(StreamWriter, FrameOf920BytesFormsItsOwnChunk) {
  TempAppDir app;
  // 320 kbit/s at 44100 Hz is 1044 bytes; mixed with 128 kbit/s frames around it.
  std::vector<std::string> headers = {"FFFB9064", "FFFBE000", "FFFBE000", "FFFB9064", "FFFB9264",
                                      "FFFBE200", "FFFB9064", "FFFB9064", "FFFB9064"};
  const std::string data = fixtures::frames(headers);
  const auto w = write_stream(app, data, 44100, 1152);
  EXPECT_EQ(w.joined, data);
  // Chunks: [417], [1044], [1044], [417 418], [1045], [417 417], [417].
  EXPECT_EQ(w.frames_per_block, (std::vector<int>{1, 1, 1, 2, 1, 2, 1}));
  for (const auto& b : w.blocks) EXPECT_LE(b.mp3.size(), 1045u);

  const std::string big = fixtures::frames(std::vector<std::string>(6, "FFFBE400"));  // 960 bytes at 48000
  const auto all_big = write_stream(app, big, 48000, 1152);
  EXPECT_EQ(all_big.joined, big);
  EXPECT_EQ(all_big.frames_per_block, (std::vector<int>{1, 1, 1, 1, 1, 1}));
}

// Layer I at 24000 Hz and more asks for three frames or more per SWF frame: the writer
// stays inside its chunks and still ends with the last buffer and the End tag.
TEST(StreamWriter, ThreeOrMoreFramesPerSwfFrame) {
  TempAppDir app;
  struct Case {
    const char* header;
    int rate;
    int count;
  };
  // 48000 Hz 416 kbit/s (q = 5), 44100 Hz 448 kbit/s (q = 5), 32000 Hz 32 kbit/s (q = 3),
  // 24000 Hz 32 kbit/s of MPEG-2 (q = 3).
  for (const Case& c : {Case{"FFFFD400", 48000, 11}, Case{"FFFFE000", 44100, 7}, Case{"FFFF1800", 32000, 23},
                        Case{"FFF71400", 24000, 5}, Case{"FFFFD400", 48000, 1}}) {
    const std::string data =
        fixtures::frames(std::vector<std::string>(static_cast<std::size_t>(c.count), c.header));
    const auto w = write_stream(app, data, c.rate, 384);
    EXPECT_EQ(w.joined, data) << c.header;
    EXPECT_EQ(std::accumulate(w.frames_per_block.begin(), w.frames_per_block.end(), 0), c.count) << c.header;
    EXPECT_GT(w.frames_per_block.back(), 0) << c.header;
  }
}

// Layer II at 11025 Hz needs less than half a frame per SWF frame: frames go out one at a
// time when they are due.
TEST(StreamWriter, LessThanHalfAFramePerSwfFrame) {
  TempAppDir app;
  const std::string data =
      fixtures::frames(std::vector<std::string>(6, "FFE58000"));  // MPEG-2.5 layer II 64k
  const auto w = write_stream(app, data, 11025, 1152);
  EXPECT_EQ(w.joined, data);
  // r = 0.399: frame j goes out in the SWF frame in which its last sample falls due.
  EXPECT_EQ(head(w.frames_per_block, 8), (std::vector<int>{0, 0, 1, 0, 0, 1, 0, 1}));
  EXPECT_EQ(head(w.seeks, 3), (std::vector<int>{0, 459, 919}));
}

TEST(StreamWriter, ReportsProgressAfterEverySwfFrameButTheLast) {
  TempAppDir app;
  fixtures::ProgressRecorder page(5000);
  const std::string data = fixtures::frames(fixtures::alternate("FFFB9064", "FFFB9264", 8));
  write_stream(app, data, 44100, 1152);
  // Blocks take 1, 1, 2, 2, 1, 1 frames; done after each but the last: 1, 2, 4, 6, 7 of 8.
  EXPECT_EQ(page.percents, (std::vector<int>{12, 25, 50, 75, 88}));  // 12.5 and 87.5 round to even
  EXPECT_EQ(page.bars, (std::vector<int>{600, 1250, 2500, 3750, 4400}));
  EXPECT_EQ(page.colours, (std::vector<int>(5, 0)));
}

TEST(StreamWriter, RejectsATableThatDoesNotFitItsData) {
  TempAppDir app;
  const std::string data = fixtures::frames({"FFFB9064", "FFFB9064"});
  EXPECT_THROW(Module25::write_mp3_data(24, 44100, 1152, {417, 418}, data, 2), core::VbError);
  EXPECT_THROW(Module25::write_mp3_data(24, 44100, 1152, {417}, data, 2), core::VbError);
  EXPECT_THROW(Module25::write_mp3_data(24, 44100, 1152, {417, 0}, data, 2), core::VbError);
  EXPECT_THROW(Module25::write_mp3_data(24, 0, 1152, {417, 417}, data, 2), core::VbError);
  EXPECT_THROW(Module25::write_mp3_data(24, 44100, 0, {417, 417}, data, 2), core::VbError);
  EXPECT_NO_THROW(Module25::write_mp3_data(24, 44100, 1152, {417, 417}, data, 2));
}

TEST(Progress, PercentagesRoundHalfToEven) {
  fixtures::ProgressRecorder page(5000);
  Module25::frame_count = 200;
  Module12::update_progress(1);  // 0.5 %
  Module12::update_progress(3);  // 1.5 %
  Module25::frame_count = 3;
  Module12::update_progress(1);
  Module12::update_progress(2);
  EXPECT_EQ(page.percents, (std::vector<int>{0, 2, 33, 67}));
  EXPECT_EQ(page.bars, (std::vector<int>{0, 100, 1650, 3350}));
}

}  // namespace
