#pragma once

// Reads a movie built from the test pieces back and checks its frame: the header's
// FileLength, the top-level tags of the pieces, the sprite's length field, its stream head,
// its blocks with their ShowFrames and its End tag. Also lifts the sound stream out of the
// sprite into a movie of its own, for tools that only read top-level streams.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/swf_reader.h"

namespace fixtures {

struct BuiltMovie {
  testsupport::swf::Movie movie;
  testsupport::swf::Tag sprite_tag;
  testsupport::swf::Sprite sprite;
  testsupport::swf::Tag head_tag;
  testsupport::swf::StreamHead head;
  std::vector<testsupport::swf::StreamBlock> blocks;
  std::vector<testsupport::swf::Tag> block_tags;
  std::string joined;  // the MP3 bytes of every block, in order
};

inline BuiltMovie read_built_movie(const std::string& bytes) {
  namespace swf = testsupport::swf;
  BuiltMovie b;
  b.movie = swf::read_movie(bytes);
  EXPECT_EQ(b.movie.header.file_length, bytes.size());
  EXPECT_EQ(b.movie.header.frame_rate, 0x1800);
  std::vector<int> codes;
  for (const auto& t : b.movie.tags) codes.push_back(t.code);
  EXPECT_EQ(codes, (std::vector<int>{swf::kSetBackgroundColor, swf::kDefineSprite, swf::kPlaceObject2,
                                     swf::kShowFrame, swf::kEnd}));
  if (codes.size() != 5 || codes[1] != swf::kDefineSprite) return b;
  EXPECT_EQ(b.movie.tags.back().end(), bytes.size());

  b.sprite_tag = b.movie.tags[1];
  EXPECT_EQ(b.sprite_tag.header_length, 6u);
  b.sprite = swf::read_sprite(b.sprite_tag);
  EXPECT_EQ(b.sprite.id, 1);
  EXPECT_EQ(b.sprite.frame_count, 1);
  const auto& tags = b.sprite.tags;
  EXPECT_GE(tags.size(), 3u);
  if (tags.size() < 3) return b;
  b.head_tag = tags[0];
  b.head = swf::read_stream_head(tags[0]);
  EXPECT_EQ(tags[1].code, 43);  // the piece's own tag after the slot
  EXPECT_EQ(tags.back().code, swf::kEnd);
  EXPECT_EQ(tags.back().end(), b.sprite_tag.body.size());
  for (std::size_t i = 2; i + 1 < tags.size(); i += 2) {
    EXPECT_EQ(tags[i].code, swf::kSoundStreamBlock) << i;
    EXPECT_EQ(tags[i + 1].code, swf::kShowFrame) << i + 1;
    if (tags[i].code != swf::kSoundStreamBlock) continue;
    b.block_tags.push_back(tags[i]);
    b.blocks.push_back(swf::read_stream_block(tags[i]));
    b.joined += b.blocks.back().mp3;
  }
  return b;
}

/// A movie of its own holding the stream head and every block, each with its ShowFrame, at
/// the top level.
inline std::string lift_stream(const BuiltMovie& b) {
  namespace swf = testsupport::swf;
  std::string body = swf::tag(swf::kSoundStreamHead, b.head_tag.body);
  for (const auto& t : b.block_tags)
    body += swf::tag(swf::kSoundStreamBlock, t.body, true) + swf::tag(swf::kShowFrame, "");
  body += swf::tag(swf::kEnd, "");
  const std::string frame = swf::rect(0, 4000, 0, 1460);
  const auto frames = static_cast<std::uint16_t>(b.block_tags.size() > 0xFFFF ? 0xFFFF : b.block_tags.size());
  const std::size_t length = swf::header(6, 0, frame, 0x1800, frames).size() + body.size();
  return swf::header(6, static_cast<std::uint32_t>(length), frame, 0x1800, frames) + body;
}

}  // namespace fixtures
