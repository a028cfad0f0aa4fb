#pragma once

// Shared set-up of the engine tests: MP3 frames made by hand, minimal style pieces, a build in a
// temporary application folder, a recording progress page and a checking reader of the movie.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "core/hex.h"
#include "core/shared_state.h"
#include "engine/mp3_header.h"
#include "engine/swf_records.h"
#include "support/progress_recorder.h"
#include "support/swf_reader.h"
#include "support/test_support.h"

namespace fixtures {

namespace swf = testsupport::swf;
namespace write = engine::swf;  // test input is written with the program's records
using testsupport::quote;

inline std::string bytes(const std::string& hex) { return Module29::hex_to_bytes(hex); }

/// Runs `cmd` with OUT replaced by the path of `name` in `dir`, expects success, returns the path.
inline std::string make(const testsupport::TempDir& dir, const std::string& name, std::string cmd) {
  cmd.replace(cmd.find("OUT"), 3, quote(dir.file(name)));
  EXPECT_EQ(testsupport::run(cmd), 0) << cmd;
  return dir.file(name);
}

/// MP3 frames made by hand: each header (eight hex digits) followed by filler up to the
/// length it declares. The filler of frame i is the byte i % 100: a frame out of place shows,
/// and the filler never holds a sync.
inline std::string frames(const std::vector<std::string>& headers) {
  std::string out;
  for (std::size_t i = 0; i < headers.size(); ++i) {
    const int length = engine::frame_size_at(bytes(headers[i]), 0);
    EXPECT_GE(length, 4) << headers[i];
    out += bytes(headers[i]) + std::string(length > 4 ? length - 4 : 0, static_cast<char>(i % 100));
  }
  return out;
}

/// `n` frames whose headers alternate between `a` and `b` (all `a` when `b` is empty).
inline std::string frames(const std::string& a, int n, const std::string& b = "") {
  std::vector<std::string> headers;
  for (int i = 0; i < n; ++i) headers.push_back(i % 2 && !b.empty() ? b : a);
  return frames(headers);
}

/// An ID3v1 tag: the 128 bytes at the end that the build leaves out.
inline std::string id3v1_tag() { return "TAG" + std::string(125, 'v'); }

using testsupport::ProgressRecorder;

/// Style pieces: a top piece (header, 200 x 73 pixels at 24 frames a second, and background),
/// a middle piece opening sprite 1 (long-form length set by the build, the eight-byte slot for
/// the stream head, then a label) and a bottom piece placing the sprite.
struct Pieces {
  std::string tp = write::header(6, 4000, 1460, 1) + write::tag(swf::kSetBackgroundColor, bytes("FFFFFF"));
  std::string middle =
      bytes("FF090000000001000100") + std::string(8, '\0') + write::tag(43, std::string("snd\0", 4));
  std::string bottom = write::tag(swf::kPlaceObject2, bytes("0201000100")) + write::tag(swf::kShowFrame, "") +
                       write::tag(swf::kEnd, "");
};

/// A build in a temporary application folder holding the pieces and the source `mp3`.
struct Build {
  testsupport::TempAppDir app;
  testsupport::MessageBoxRecorder boxes;
  ProgressRecorder page;
  std::string source = (app.path() / "source.mp3").string();
  std::string save = (app.path() / "home" / "MellixPlayer.swf").string();

  explicit Build(const std::string& mp3) {
    const Pieces p;
    testsupport::write_bytes(app.spd("tp.spd"), p.tp);
    testsupport::write_bytes(app.spd("middle.spd"), p.middle);
    testsupport::write_bytes(app.spd("bottom.spd"), p.bottom);
    testsupport::write_bytes(source, mp3);
    core::source_filename = source;
    core::save_path = save;
  }
  std::string spd(const std::string& name) const { return testsupport::read_bytes(app.spd(name)); }
  bool exists(const std::string& name) const { return std::filesystem::exists(app.spd(name)); }
};

/// A sound stream read back: its blocks and the MP3 bytes of them all, in order.
struct Stream {
  swf::Tag head_tag;
  swf::StreamHead head;
  std::vector<swf::Tag> block_tags;
  std::vector<swf::StreamBlock> blocks;
  std::string joined;
  swf::Tag sprite_tag;
};

/// Reads `tags[from..]`: long-form blocks each with its ShowFrame, then End closing `size` bytes.
inline void read_blocks(const std::vector<swf::Tag>& tags, std::size_t from, std::size_t size, Stream& s) {
  ASSERT_GT(tags.size(), from);
  EXPECT_EQ(tags.back().code, swf::kEnd);
  EXPECT_EQ(tags.back().end(), size);
  EXPECT_EQ((tags.size() - from) % 2, 1u);
  for (std::size_t i = from; i + 1 < tags.size(); i += 2) {
    EXPECT_EQ(tags[i].code, swf::kSoundStreamBlock) << i;
    EXPECT_EQ(tags[i].header_length, 6u) << i;
    EXPECT_EQ(tags[i + 1].code, swf::kShowFrame) << i + 1;
    EXPECT_EQ(tags[i + 1].length, 0u) << i + 1;
    if (tags[i].code != swf::kSoundStreamBlock) continue;
    s.block_tags.push_back(tags[i]);
    s.blocks.push_back(swf::read_stream_block(tags[i]));
    s.joined += s.blocks.back().mp3;
  }
}

/// Checks a movie built from the pieces (FileLength, the pieces' tags, the sprite's long-form
/// length, its head, its label, its blocks, its End) and returns its stream.
inline Stream read_built_movie(const std::string& bytes) {
  Stream s;
  const auto movie = swf::read_movie(bytes);
  EXPECT_EQ(movie.header.file_length, bytes.size());
  EXPECT_EQ(movie.header.frame_rate, 0x1800);
  std::vector<int> codes;
  for (const auto& t : movie.tags) codes.push_back(t.code);
  EXPECT_EQ(codes, (std::vector<int>{swf::kSetBackgroundColor, swf::kDefineSprite, swf::kPlaceObject2,
                                     swf::kShowFrame, swf::kEnd}));
  if (codes.size() != 5 || codes[1] != swf::kDefineSprite) return s;
  EXPECT_EQ(movie.tags.back().end(), bytes.size());
  s.sprite_tag = movie.tags[1];
  EXPECT_EQ(s.sprite_tag.header_length, 6u);
  const auto sprite = swf::read_sprite(s.sprite_tag);
  EXPECT_EQ(sprite.id, 1);
  EXPECT_EQ(sprite.frame_count, 1);
  if (sprite.tags.size() < 3) {
    ADD_FAILURE() << "sprite of " << sprite.tags.size() << " tags";
    return s;
  }
  s.head_tag = sprite.tags[0];
  s.head = swf::read_stream_head(sprite.tags[0]);
  EXPECT_EQ(sprite.tags[1].code, 43);  // the piece's own tag after the slot
  read_blocks(sprite.tags, 2, s.sprite_tag.body.size(), s);
  return s;
}

/// A movie of its own holding the stream head and every block with its ShowFrame at the top
/// level, for tools that read no stream inside a sprite.
inline std::string lift_stream(const Stream& s) {
  std::string movie =
      write::header(6, 4000, 1460, static_cast<int>(std::min<std::size_t>(s.block_tags.size(), 0xFFFF))) +
      write::tag(swf::kSoundStreamHead, s.head_tag.body);
  for (const auto& t : s.block_tags)
    movie += write::tag(swf::kSoundStreamBlock, t.body, true) + write::tag(swf::kShowFrame, "");
  movie += write::tag(swf::kEnd, "");
  write::set_file_length(movie);
  return movie;
}

}  // namespace fixtures
