#pragma once

// Small SWF movies for the views to show (a stage of one colour with a square of another,
// standing still or moving left to right), and the stage colour of a movie file.

#include <cstdint>
#include <optional>
#include <string>

#include "support/swf_reader.h"

namespace test_movies {

namespace swf = testsupport::swf;

using swf::BitWriter;

inline std::string u16(unsigned value) {
  return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

inline std::string rgb(std::uint32_t rgb) {
  return {static_cast<char>(rgb >> 16), static_cast<char>(rgb >> 8), static_cast<char>(rgb)};
}

/// DefineShape body of a filled square `side` twips wide, top-left at the origin.
inline std::string square_shape(unsigned id, int side, std::uint32_t colour) {
  std::string body = u16(id) + swf::rect(0, side, 0, side) + std::string("\x01\x00", 2) + rgb(colour);
  body.push_back('\x00');  // no line styles
  BitWriter w;
  w.bits(0x10, 8);      // NumFillBits 1, NumLineBits 0
  w.bits(0b000101, 6);  // StyleChangeRecord with FillStyle1 and MoveTo
  w.bits(1, 5);         // MoveBits, to (0, 0)
  w.bits(0, 2);
  w.bits(1, 1);  // FillStyle1 = 1
  const int deltas[4][2] = {{side, 0}, {0, side}, {-side, 0}, {0, -side}};
  for (const auto& d : deltas) {
    const bool vertical = d[0] == 0;
    w.bits(0b11'1110'0, 7);  // straight edge, NumBits 16, not a general line
    w.bits(vertical ? 1 : 0, 1);
    w.bits(vertical ? d[1] : d[0], 16);
  }
  w.bits(0, 6);  // EndShapeRecord
  return body + w.take();
}

/// PlaceObject2 body: character `id` (0 = move the existing one) at depth 1, translated.
inline std::string place(unsigned id, int x, int y) {
  std::string body = std::string(1, static_cast<char>(id ? 0b0110 : 0b0101)) + u16(1) + (id ? u16(id) : "");
  BitWriter w;
  w.bits(0, 2);   // no scale, no rotate
  w.bits(17, 5);  // NTranslateBits
  w.bits(x, 17);
  w.bits(y, 17);
  return body + w.take();
}

/// An uncompressed SWF of `width` x `height` pixels at 24 frames a second: background `bg`,
/// a square of `side` pixels in colour `fg`, which moves from the left edge to the right edge
/// over `frames` frames (one frame: it stands at `x`, `y`).
inline std::string square_movie(std::uint32_t bg, std::uint32_t fg, int frames = 1, int width = 400,
                                int height = 300, int side = 100, int x = 150, int y = 100) {
  std::string tags =
      swf::tag(swf::kSetBackgroundColor, rgb(bg)) + swf::tag(2, square_shape(1, side * 20, fg));
  for (int frame = 0; frame < frames; ++frame) {
    const int at = frames == 1 ? x : (width - side) * frame / (frames - 1);
    tags += swf::tag(swf::kPlaceObject2, place(frame == 0 ? 1 : 0, at * 20, y * 20)) +
            swf::tag(swf::kShowFrame, {});
  }
  tags += swf::tag(swf::kEnd, {});
  const std::string frame_size = swf::rect(0, width * 20, 0, height * 20);
  const auto length = static_cast<std::uint32_t>(8 + frame_size.size() + 4 + tags.size());
  return swf::header(10, length, frame_size, 0x1800, static_cast<std::uint16_t>(frames)) + tags;
}

/// The colour of a movie's SetBackgroundColor tag (RRGGBB); nullopt when it has none.
inline std::optional<std::uint32_t> background_of(const std::string& movie) {
  for (const swf::Tag& tag : swf::read_movie(movie).tags)
    if (tag.code == swf::kSetBackgroundColor && tag.body.size() == 3)
      return std::uint32_t(static_cast<unsigned char>(tag.body[0])) << 16 |
             std::uint32_t(static_cast<unsigned char>(tag.body[1])) << 8 |
             static_cast<unsigned char>(tag.body[2]);
  return std::nullopt;
}

}  // namespace test_movies
