// The installed style templates: every tp/middle/bottom set joins into a well-formed movie
// whose colours stand at the bytes that the style composer patches.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "installed.h"
#include "support/swf_reader.h"

namespace {

using namespace datagen_test;
namespace swf = testsupport::swf;

unsigned u16(const std::string& b, std::size_t at) {
  return static_cast<unsigned char>(b.at(at)) | static_cast<unsigned char>(b.at(at + 1)) << 8;
}

// Action codes of a list that closes with a 0 byte.
std::vector<int> action_codes(const std::string& b, std::size_t at) {
  std::vector<int> codes;
  while (at < b.size() && b[at] != 0) {
    const int code = static_cast<unsigned char>(b[at]);
    codes.push_back(code);
    at += code >= 0x80 ? 3 + u16(b, at + 1) : 1;
  }
  return codes;
}

bool has(const std::vector<int>& codes, int code) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

// What a DefineButton2 does when released: If toggles, Play plays, GotoFrame goes back to the
// start and stops, Stop pauses.
std::string role(const swf::Tag& button) {
  const auto codes = action_codes(button.body, 3 + u16(button.body, 3) + 4);
  if (has(codes, 0x9D)) return "toggle";
  if (has(codes, 0x06)) return "play";
  if (has(codes, 0x81)) return "stop";
  if (has(codes, 0x07)) return "pause";
  return "other";
}

// Offset in the body of a DefineShape3 of its first fill's red byte; 0 if not a solid fill.
std::size_t first_fill(const swf::Tag& shape) {
  const unsigned rect_bits = 5 + 4 * (static_cast<unsigned char>(shape.body.at(2)) >> 3);
  std::size_t at = 2 + (rect_bits + 7) / 8;
  const bool extended = static_cast<unsigned char>(shape.body.at(at)) == 0xFF;
  const unsigned count = extended ? u16(shape.body, at + 1) : static_cast<unsigned char>(shape.body[at]);
  at += extended ? 3 : 1;
  return count > 0 && shape.body.at(at) == 0 ? at + 1 : 0;
}

bool inside(const swf::Rect& r, const swf::Rect& area) {
  return r.x_min >= area.x_min && r.x_max <= area.x_max && r.y_min >= area.y_min && r.y_max <= area.y_max;
}

// Every set joins into a well-formed movie whose button bodies and background carry their colours
// at the positions the style composer writes.
TEST(Templates, EverySetJoinsIntoAWellFormedMovieWithItsColoursWhereTheComposerWrites) {
  const auto sets = style_sets();
  ASSERT_EQ(sets.size(), 30u);
  for (const StyleSet& s : sets) {
    SCOPED_TRACE(s.name());
    const std::string tp = testsupport::read_bytes(s.tp.string()),
                      m = testsupport::read_bytes(s.middle.string());
    const std::string all = tp + m + testsupport::read_bytes(s.bottom.string());
    swf::Movie movie;
    ASSERT_NO_THROW(movie = swf::read_movie(all));
    const swf::Header& h = movie.header;
    EXPECT_EQ(h.file_length, all.size());
    ASSERT_EQ(movie.tags.back().code, swf::kEnd);
    EXPECT_EQ(movie.tags.back().end(), all.size());
    EXPECT_EQ(h.frame_rate, 0x1800u);  // 24.0
    EXPECT_EQ(h.frame_count, 1u);
    const int w = h.frame_size.x_max - h.frame_size.x_min, ht = h.frame_size.y_max - h.frame_size.y_min;
    EXPECT_EQ(w * (s.wide ? 73 : 1), ht * (s.wide ? 200 : 1)) << "stage proportions";
    // 22: 19-byte header; 23: 20-byte header; 28: FileAttributes in front.
    EXPECT_EQ(h.length, s.background == 23 ? 20u : 19u);
    EXPECT_EQ(movie.tags.front().code == 69, s.background == 28);

    const unsigned sound_id = u16(m, 6);
    const std::size_t piece_start = s.autoplay ? tp.size() + m.size() : 0;
    const std::size_t piece_end = s.autoplay ? all.size() : tp.size();
    bool sound_placed = false;
    std::map<unsigned, const swf::Tag*> shapes;
    std::map<std::string, std::size_t> found;
    for (const swf::Tag& t : movie.tags) {
      // Only tags the movies are made of: nothing a player would have to skip as unknown.
      static const std::vector<int> known = {0, 1, 9, 12, 22, 26, 32, 34, 39, 69};
      EXPECT_TRUE(has(known, t.code)) << "tag " << t.code;
      if (t.code == swf::kDefineSprite) {
        // The sound sprite ends where its tags end (the stream brings its End tag); the other
        // sprites close with their own.
        swf::Sprite sprite;
        ASSERT_NO_THROW(sprite = swf::read_sprite(t)) << "sprite at " << t.offset;
        EXPECT_EQ(sprite.tags.back().code == swf::kEnd, sprite.id != sound_id);
      }
      if (t.code == swf::kPlaceObject2 && u16(t.body, 3) == sound_id)
        sound_placed = t.body.find(std::string("sound\0", 6)) != std::string::npos;
      if (t.code == swf::kSetBackgroundColor) {
        EXPECT_EQ(t.offset + t.header_length + 1, s.background);
        EXPECT_LE(t.end(), tp.size()) << "background colour outside the tp piece";
      }
      if (t.code == 32) shapes[u16(t.body, 0)] = &t;
      if (t.code != 34) continue;
      // SetTarget "sound" ... SetTarget "": each button drives the sound sprite.
      EXPECT_NE(t.body.find(std::string("\x8B\x06\x00sound\0", 9)), std::string::npos);
      // The first record, shown up and hit, is the button's body.
      ASSERT_TRUE(static_cast<unsigned char>(t.body.at(5)) & 0x08) << "first record is not the hit state";
      const auto shape = shapes.find(u16(t.body, 6));
      ASSERT_NE(shape, shapes.end()) << "button " << u16(t.body, 0) << " has no body shape";
      const std::size_t fill = first_fill(*shape->second);
      ASSERT_NE(fill, 0u);
      const std::size_t at = shape->second->offset + shape->second->header_length + fill;
      ASSERT_GE(at, piece_start) << "colour outside the piece that holds it";
      EXPECT_LE(at + 3, piece_end) << "colour outside the piece that holds it";
      found[role(t)] = at - piece_start + 1;
    }
    EXPECT_TRUE(sound_placed) << "the sound sprite is placed as \"sound\"";
    const std::size_t b = s.buttons[0];
    const std::map<std::string, std::size_t> expected =
        s.family == "ind"
            ? std::map<std::string, std::size_t>{{"play", b}, {"pause", s.buttons[1]}, {"stop", s.buttons[2]}}
        : s.family.rfind("sin", 0) == 0
            ? std::map<std::string, std::size_t>{{"toggle", b}}
            : std::map<std::string, std::size_t>{{"play", b}, {"pause", b}, {"stop", b}};
    EXPECT_EQ(found, expected);

    // The middle piece opens the sound sprite: a slot for the SoundStreamHead, then a first
    // frame of actions only and no End (the sound stream closes the sprite).
    ASSERT_GE(m.size(), 18u);
    EXPECT_EQ(m.substr(0, 2), std::string("\xFF\x09", 2));  // DefineSprite, long form
    EXPECT_EQ(u16(m, 2) | u16(m, 4) << 16, m.size() - 6);
    EXPECT_EQ(u16(m, 8), 1u);                                // frame count
    EXPECT_EQ(m.substr(10, 2), std::string("\x86\x04", 2));  // SoundStreamHead, 6 bytes
    EXPECT_EQ(static_cast<unsigned char>(m[13]) >> 4, 2);    // MP3
    std::vector<swf::Tag> inner;
    ASSERT_NO_THROW(inner = swf::read_tags(m, 18, m.size()));
    ASSERT_EQ(inner.size(), 2u);
    EXPECT_EQ(inner[0].code, 12);  // DoAction
    EXPECT_EQ(inner[1].code, swf::kShowFrame);
    EXPECT_EQ(inner[1].end(), m.size());
    const auto actions = action_codes(inner[0].body, 0);
    if (s.autoplay)
      EXPECT_TRUE(has(actions, 0x9D));  // If: stop only once played
    else
      EXPECT_EQ(actions.at(0), 0x07);  // Stop: a plain movie waits for Play
  }
}

// A player shows every key whole on its stage; the deck style's keys end as far inside the deck
// on the right as the first thing on it (its loudspeaker) begins on the left.
TEST(Templates, KeysStandOnTheStageAndTheDeckStylesInsideItsDeck) {
  for (const StyleSet& s : style_sets()) {
    SCOPED_TRACE(s.name());
    const swf::Movie movie =
        swf::read_movie(testsupport::read_bytes(s.tp.string()) + testsupport::read_bytes(s.middle.string()) +
                        testsupport::read_bytes(s.bottom.string()));
    std::map<unsigned, swf::Rect> shapes, keys;
    std::vector<swf::Rect> drawings, placed_keys;  // as placed, bottom first
    for (const swf::Tag& t : movie.tags) {
      if (t.code == 32) shapes[u16(t.body, 0)] = swf::read_rect(t.body, 2);
      if (t.code == 34) keys[u16(t.body, 0)] = swf::moved(shapes.at(u16(t.body, 6)), t.body, 10);
      if (t.code != swf::kPlaceObject2 || !(t.body.at(0) & 0x02)) continue;
      const unsigned id = u16(t.body, 3);
      ASSERT_TRUE(t.body.at(0) & 0x04) << "a character placed without a MATRIX";
      if (shapes.count(id)) drawings.push_back(swf::moved(shapes[id], t.body, 5));
      if (keys.count(id)) placed_keys.push_back(swf::moved(keys[id], t.body, 5));
    }
    ASSERT_FALSE(placed_keys.empty());
    for (const swf::Rect& k : placed_keys)
      EXPECT_TRUE(inside(k, movie.header.frame_size)) << "key ends at " << k.x_max;
    if (s.style != 4 || s.family.rfind("sam", 0) != 0) continue;
    const swf::Rect deck = drawings.at(0);
    int left = deck.x_max;
    for (std::size_t i = 1; i < drawings.size(); ++i) left = std::min(left, drawings[i].x_min);
    ASSERT_GT(left, deck.x_min);
    const swf::Rect within{deck.x_min, deck.x_max - (left - deck.x_min), deck.y_min, deck.y_max};
    for (const swf::Rect& k : placed_keys)
      EXPECT_TRUE(inside(k, within)) << "key ends at " << k.x_max << " in " << deck.x_max;
  }
}

}  // namespace
