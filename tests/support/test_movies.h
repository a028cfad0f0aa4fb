#pragma once

// Small SWF movies for the views to show (a stage of one colour with a square of another,
// standing still or moving left to right), written with the program's SWF records, and the
// stage colour of a movie file, read with the test-side reader.

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/swf_records.h"
#include "support/swf_reader.h"

namespace test_movies {

inline constexpr int kDefineSound = 14, kStartSound = 15;

inline std::string rgb(std::uint32_t rgb) {
  return {static_cast<char>(rgb >> 16), static_cast<char>(rgb >> 8), static_cast<char>(rgb)};
}

/// An uncompressed SWF of `width` x `height` pixels at 24 frames a second: background `bg`,
/// a square of `side` pixels in colour `fg`, which moves from the left edge to the right edge
/// over `frames` frames (one frame: it stands at `x`, `y`).
inline std::string square_movie(std::uint32_t bg, std::uint32_t fg, int frames = 1, int width = 400,
                                int height = 300, int side = 100, int x = 150, int y = 100) {
  namespace swf = engine::swf;
  using E = swf::Edge;
  const int s = side * 20;
  const std::string shape =  // DefineShape 1: bounds, one solid fill, no line style, the outline
      std::string("\x01\x00", 2) + swf::rect(0, s, 0, s) + std::string("\x01\x00", 2) + rgb(fg) +
      std::string(1, '\0') +
      swf::shape_records({{E::kMove, {}, {0, 0}},
                          {E::kLine, {}, {s, 0}},
                          {E::kLine, {}, {s, s}},
                          {E::kLine, {}, {0, s}},
                          {E::kLine, {}, {0, 0}}},
                         false);
  std::string movie = swf::header(10, width * 20, height * 20, frames) +
                      swf::tag(swf::kSetBackgroundColor, rgb(bg)) + swf::tag(2, shape);
  for (int frame = 0; frame < frames; ++frame) {
    const int at = frames == 1 ? x : (width - side) * frame / (frames - 1);
    if (frame > 0) movie += swf::tag(swf::kRemoveObject2, std::string("\x01\x00", 2));
    movie += swf::place_object(1, 1, swf::matrix(at * 20, y * 20)) + swf::tag(swf::kShowFrame, {});
  }
  movie += swf::tag(swf::kEnd, {});
  swf::set_file_length(movie);
  return movie;
}

/// A still square movie of `frames` frames at 24 a second whose frame `at` starts a 440 Hz tone
/// of half a second (an uncompressed sound, 11025 Hz, mono); it loops as every movie does.
inline std::string tone_movie(int frames, int at) {
  namespace swf = engine::swf;
  constexpr int kSamples = 5512;
  // id 2 (the square is 1); uncompressed little-endian, 11 kHz, 16 bits, mono
  std::string sound("\x02\x00\x36", 3);
  for (int shift = 0; shift < 32; shift += 8) sound += static_cast<char>((kSamples >> shift) & 0xFF);
  for (int i = 0; i < kSamples; ++i) {
    const auto v = static_cast<std::int16_t>(12000 * std::sin(2 * 3.14159265 * 440 * i / 11025.0));
    sound += {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
  }
  const std::string still = square_movie(0x000080, 0xFF8000);
  // The still movie's tags with the frame count changed, less its ShowFrame and End (2 bytes each).
  std::string movie = swf::header(10, 400 * 20, 300 * 20, frames);
  movie += still.substr(movie.size(), still.size() - movie.size() - 4);
  movie += swf::tag(kDefineSound, sound, true);
  for (int frame = 0; frame < frames; ++frame) {
    if (frame == at) movie += swf::tag(kStartSound, std::string("\x02\x00\x00", 3));
    movie += swf::tag(swf::kShowFrame, {});
  }
  movie += swf::tag(swf::kEnd, {});
  swf::set_file_length(movie);
  return movie;
}

/// The colour of a movie's SetBackgroundColor tag (RRGGBB); nullopt when it has none.
inline std::optional<std::uint32_t> background_of(const std::string& movie) {
  namespace swf = testsupport::swf;
  for (const swf::Tag& tag : swf::read_movie(movie).tags)
    if (tag.code == swf::kSetBackgroundColor && tag.body.size() == 3)
      return std::uint32_t(static_cast<unsigned char>(tag.body[0])) << 16 |
             std::uint32_t(static_cast<unsigned char>(tag.body[1])) << 8 |
             static_cast<unsigned char>(tag.body[2]);
  return std::nullopt;
}

}  // namespace test_movies
