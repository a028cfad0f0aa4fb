#include "engine/final_movie.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/shared_state.h"
#include "engine/hex.h"
#include "engine/sound_stream.h"
#include "movie_check.h"
#include "movie_pieces.h"
#include "mp3_fixtures.h"
#include "progress_recorder.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::MessageBoxRecorder;
using testsupport::read_bytes;
using testsupport::TempAppDir;
using testsupport::write_bytes;

std::string bytes(const std::string& hex) { return Module29::hex_to_bytes(hex); }

// An ID3v2 tag whose title text starts with a byte-order mark FF FE, as lame writes it.
std::string id3v2_tag() {
  const std::string text = bytes("0000000D00000001FFFE5400690074006C006500");
  return "ID3" + bytes("030000") + bytes("0000001E") + "TIT2" + text + std::string(7, '\0');
}

// An ID3v1 tag: the 128 bytes at the end that the build leaves out.
std::string id3v1_tag() { return "TAG" + std::string(125, 'v'); }

// A build in a temporary application folder with the test pieces and the source in it.
struct Build {
  TempAppDir app;
  MessageBoxRecorder boxes;
  fixtures::ProgressRecorder page;
  std::string source;
  std::string save;

  explicit Build(const std::string& mp3) {
    fixtures::write_pieces(app);
    source = (app.path() / "source.mp3").string();
    save = (app.path() / "home" / "MellixPlayer.swf").string();
    write_bytes(source, mp3);
    core::source_filename = source;
    core::save_path = save;
  }
  bool exists(const std::string& name) const { return fs::exists(app.spd(name)); }
};

TEST(FinalMovie, BuildsTheMovieFromThePiecesAndTheSource) {
  const std::string frames = fixtures::frames(fixtures::alternate("FFFB9064", "FFFB9264", 24));
  Build b(id3v2_tag() + frames + id3v1_tag());
  Module12::make_final_swf();

  const std::string movie = read_bytes(b.app.spd("final.swf"));
  EXPECT_EQ(read_bytes(b.save), movie);
  const auto built = fixtures::read_built_movie(movie);
  EXPECT_EQ(built.joined, frames);
  EXPECT_EQ(read_bytes(b.app.spd("sprite_top.dat")).substr(10, 8), bytes("86040F2F2E070000"));
  EXPECT_EQ(built.head_tag.body, bytes("0F2F2E070000"));
  ASSERT_GE(built.blocks.size(), 6u);
  const std::vector<int> seeks = {0, 686, 1371, 904, 438, 1124};
  for (std::size_t i = 0; i < seeks.size(); ++i) EXPECT_EQ(built.blocks[i].seek, seeks[i]) << i;

  // The sprite file is the head piece and the timeline, with its length field patched.
  const std::string sprite = read_bytes(b.app.spd("sprite_mp3.dat"));
  EXPECT_EQ(
      sprite,
      read_bytes(b.app.spd("sprite_top.dat")).substr(0, 2) +
          bytes(Module6::to_lit_endian(engine::to_hex(static_cast<std::uint32_t>(sprite.size() - 6)), 1)) +
          read_bytes(b.app.spd("sprite_top.dat")).substr(6) + read_bytes(b.app.spd("mp3_data2.dat")));
  EXPECT_EQ(built.sprite_tag.length, sprite.size() - 6);

  // The movie is the three pieces in order; only FileLength differs from the top piece.
  const auto pieces = fixtures::movie_pieces();
  EXPECT_EQ(movie.substr(0, 4), pieces.tp.substr(0, 4));
  EXPECT_EQ(movie.substr(8, pieces.tp.size() - 8), pieces.tp.substr(8));
  EXPECT_EQ(movie.substr(pieces.tp.size(), sprite.size()), sprite);
  EXPECT_EQ(movie.substr(pieces.tp.size() + sprite.size()), pieces.bottom);
  EXPECT_EQ(engine::get_u32le(movie, 4), movie.size());

  // The page shows its animation, then the bar; no message.
  EXPECT_EQ(b.page.events, (std::vector<std::string>{"animation", "bar"}));
  EXPECT_EQ(b.page.animations, (std::vector<std::string>{b.app.spd("SWF/Sound_Processing.swf")}));
  EXPECT_FALSE(b.page.percents.empty());
  EXPECT_TRUE(b.boxes.texts().empty());
}

TEST(FinalMovie, ChannelModeSetsTheStereoFlag) {
  struct Case {
    const char* header;
    const char* flags;
  };
  // Stereo, joint stereo, dual channel, single channel.
  for (const Case& c : {Case{"FFFB9004", "0F2F"}, Case{"FFFB9064", "0F2F"}, Case{"FFFB9084", "0F2F"},
                        Case{"FFFB90C4", "0E2E"}}) {
    Build b(fixtures::frames(std::vector<std::string>(4, c.header)) + id3v1_tag());
    Module12::make_final_swf();
    const auto built = fixtures::read_built_movie(read_bytes(b.app.spd("final.swf")));
    EXPECT_EQ(built.head_tag.body.substr(0, 2), bytes(c.flags)) << c.header;
  }
}

TEST(FinalMovie, FileWithoutSyncShowsTheMessageAndWritesNothing) {
  for (const std::string& content :
       {std::string(4000, '\x55'), std::string(), bytes("FF") + std::string(300, 'a')}) {
    Build b(content);
    EXPECT_THROW(Module12::make_final_swf(), core::VbError);
    EXPECT_EQ(b.boxes.texts(), (std::vector<std::string>{"ERROR in file opening"}));
    EXPECT_FALSE(b.exists("sprite_top.dat"));
    EXPECT_FALSE(b.exists("final.swf"));
    EXPECT_FALSE(fs::exists(b.save));
  }
}

TEST(FinalMovie, TagAndNothingElseShowsTheMessage) {
  // A JPEG marker FF E0 inside the tag is no frame.
  const std::string picture = bytes("FFD8FFE000104A46494600010100000100010000") + std::string(200, '\x11');
  const std::string tag = "ID3" + bytes("030000") + bytes("0000025C") + picture + std::string(128, '\0');
  ASSERT_EQ(tag.size(), 10u + 0x15C);
  Build b(tag);
  EXPECT_THROW(Module12::make_final_swf(), core::VbError);
  EXPECT_EQ(b.boxes.texts(), (std::vector<std::string>{"ERROR in file opening"}));
  EXPECT_FALSE(b.exists("final.swf"));
}

TEST(FinalMovie, SyncOnlyInTheLast128BytesIsAnErrorToTheCaller) {
  for (const std::string& content : {bytes("FFFB9064") + std::string(100, 'a'),
                                     std::string(50, 'a') + bytes("FFFB9064") + std::string(124, 'a')}) {
    Build b(content);
    EXPECT_THROW(Module12::make_final_swf(), core::VbError);
    EXPECT_TRUE(b.boxes.texts().empty());
    EXPECT_FALSE(b.exists("final.swf"));
  }
}

TEST(FinalMovie, HeaderWithoutLengthIsAnErrorToTheCaller) {
  // Free format: a sync, but no frame the walk can step over.
  Build b(bytes("FFFB0064") + std::string(1000, 'a') + id3v1_tag());
  EXPECT_THROW(Module12::make_final_swf(), core::VbError);
  EXPECT_FALSE(b.exists("final.swf"));
}

TEST(FinalMovie, SourceCutInsideAFrameKeepsTheBytesThere) {
  const std::string frames = fixtures::frames(fixtures::alternate("FFFB9064", "FFFB9264", 7));
  const std::string cut = frames.substr(0, frames.size() - 300);
  Build b(cut + id3v1_tag());
  Module12::make_final_swf();
  const auto built = fixtures::read_built_movie(read_bytes(b.app.spd("final.swf")));
  EXPECT_EQ(built.joined, cut);
}

TEST(FinalMovie, RandomBytesNeverCrash) {
  std::mt19937 random(20240601);
  int built_movies = 0;
  for (int round = 0; round < 40; ++round) {
    std::string content(static_cast<std::size_t>(random() % 6000), '\0');
    for (auto& c : content) c = static_cast<char>(random() % 256);
    if (round % 2) content.insert(content.size() / 3, bytes("FFFB9064"));
    Build b(content);
    try {
      Module12::make_final_swf();
      const std::string movie = read_bytes(b.app.spd("final.swf"));
      const auto built = fixtures::read_built_movie(movie);
      const std::string data(engine::frame_data(content, engine::find_first_frame(content)));
      EXPECT_EQ(built.joined, data.substr(0, built.joined.size()));
      ++built_movies;
    } catch (const core::VbError&) {
      EXPECT_FALSE(b.exists("final.swf"));
    }
  }
  EXPECT_GT(built_movies, 0);
}

TEST(FinalMovie, MissingPieceIsAnErrorToTheCaller) {
  Build b(fixtures::frames(std::vector<std::string>(5, "FFFB9064")) + id3v1_tag());
  fs::remove(b.app.spd("bottom.spd"));
  EXPECT_THROW(Module12::make_final_swf(), core::VbError);
  EXPECT_TRUE(b.exists("sprite_mp3.dat"));  // files already written stay
  EXPECT_FALSE(b.exists("final.swf"));
  EXPECT_FALSE(fs::exists(b.save));

  fs::remove(b.app.spd("middle.spd"));
  EXPECT_THROW(Module12::make_final_swf(), core::VbError);

  core::source_filename = b.app.spd("no_such.mp3");
  EXPECT_THROW(Module12::make_final_swf(), core::VbError);
}

TEST(FinalMovie, MissingPieceLeavesTheLastMovieAsItWas) {
  Build b(fixtures::frames(std::vector<std::string>(5, "FFFB9064")) + id3v1_tag());
  write_bytes(b.app.spd("final.swf"), "the movie of the last build");
  fs::remove(b.app.spd("tp.spd"));
  EXPECT_THROW(Module12::make_final_swf(), core::VbError);
  EXPECT_EQ(read_bytes(b.app.spd("final.swf")), "the movie of the last build");
  // The sprite file is complete all the same.
  const std::string sprite = read_bytes(b.app.spd("sprite_mp3.dat"));
  EXPECT_EQ(sprite.substr(6),
            read_bytes(b.app.spd("sprite_top.dat")).substr(6) + read_bytes(b.app.spd("mp3_data2.dat")));
  EXPECT_EQ(engine::get_u32le(sprite, 2), sprite.size() - 6);
}

// Longer than the window the source is read through: the frames still come out whole.
TEST(FinalMovie, LongSourceIsReadThroughItsWindow) {
  const std::string frames = fixtures::frames(fixtures::alternate("FFFB9064", "FFFB9264", 6000));
  ASSERT_GT(frames.size(), 2u << 20);
  Build b(id3v2_tag() + frames + id3v1_tag());
  Module12::make_final_swf();
  const std::string movie = read_bytes(b.app.spd("final.swf"));
  const auto built = fixtures::read_built_movie(movie);
  EXPECT_EQ(built.joined, frames);
  EXPECT_EQ(Module25::frame_count, 6000);

  // The same timeline as from the frames in memory.
  const std::string timeline = read_bytes(b.app.spd("mp3_data2.dat"));
  std::vector<std::int32_t> lengths;
  engine::walk_frames(frames, &lengths);
  Module25::write_mp3_data(24, 44100, 1152, lengths, frames, static_cast<std::int32_t>(lengths.size()));
  EXPECT_EQ(read_bytes(b.app.spd("mp3_data2.dat")), timeline);
}

TEST(FinalMovie, FailedCopyIsNotReported) {
  Build b(fixtures::frames(std::vector<std::string>(5, "FFFB9064")) + id3v1_tag());
  core::save_path = (b.app.path() / "no_such_folder" / "out.swf").string();
  EXPECT_NO_THROW(Module12::make_final_swf());
  EXPECT_FALSE(fs::exists(core::save_path));
  fixtures::read_built_movie(read_bytes(b.app.spd("final.swf")));
}

TEST(FinalMovie, EachBuildReplacesTheFilesOfTheLastOne) {
  Build b(fixtures::frames(std::vector<std::string>(60, "FFFB9064")) + id3v1_tag());
  Module12::make_final_swf();
  const auto first_size = read_bytes(b.app.spd("final.swf")).size();

  const std::string shorter = fixtures::frames(std::vector<std::string>(3, "FFF390C4"));
  write_bytes(b.source, shorter + id3v1_tag());
  Module12::make_final_swf();
  const std::string movie = read_bytes(b.app.spd("final.swf"));
  EXPECT_LT(movie.size(), first_size);
  const auto built = fixtures::read_built_movie(movie);
  EXPECT_EQ(built.joined, shorter);
  EXPECT_EQ(read_bytes(b.save), movie);
  EXPECT_EQ(Module25::frame_count, 3);
}

}  // namespace
