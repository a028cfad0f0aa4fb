#pragma once

// Small SWF movies for the views to show (a stage of one colour with a square of another,
// standing still or moving left to right), and the stage colour of a movie file.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

namespace test_movies {

/// Writes bit fields most significant bit first, as SWF's RECT, MATRIX and shape records are.
class BitWriter {
 public:
  void bits(std::uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) {
      if (used_ == 0) bytes_.push_back('\0');
      if ((value >> i) & 1u) bytes_.back() = static_cast<char>(bytes_.back() | (0x80 >> used_));
      used_ = (used_ + 1) % 8;
    }
  }
  void signed_bits(std::int32_t value, int count) { bits(static_cast<std::uint32_t>(value), count); }
  std::string take() {
    used_ = 0;
    return std::move(bytes_);
  }

 private:
  std::string bytes_;
  int used_ = 0;
};

inline void put_le(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

inline std::uint32_t get_le(const std::string& in, std::size_t at, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(in[at + i]);
  return value;
}

inline void put_rgb(std::string& out, std::uint32_t rgb) {
  for (int shift : {16, 8, 0}) out.push_back(static_cast<char>((rgb >> shift) & 0xFF));
}

inline std::string tag(unsigned code, const std::string& body) {
  std::string out;
  put_le(out, (code << 6) | static_cast<unsigned>(std::min<std::size_t>(body.size(), 0x3F)), 2);
  if (body.size() >= 0x3F) put_le(out, static_cast<std::uint32_t>(body.size()), 4);
  return out + body;
}

inline std::string rect(int xmin, int xmax, int ymin, int ymax) {
  BitWriter w;
  w.bits(16, 5);  // Nbits: every value fits in 16 signed bits
  for (int v : {xmin, xmax, ymin, ymax}) w.signed_bits(v, 16);
  return w.take();
}

/// DefineShape body of a filled square `side` twips wide, top-left at the origin.
inline std::string square_shape(unsigned id, int side, std::uint32_t rgb) {
  std::string body;
  put_le(body, id, 2);
  body += rect(0, side, 0, side);
  body += std::string("\x01\x00", 2);  // one solid fill style
  put_rgb(body, rgb);
  body.push_back('\x00');  // no line styles
  BitWriter w;
  w.bits(1, 4);         // NumFillBits
  w.bits(0, 4);         // NumLineBits
  w.bits(0b000101, 6);  // StyleChangeRecord with FillStyle1 and MoveTo
  w.bits(1, 5);         // MoveBits
  w.bits(0, 2);         // to (0, 0)
  w.bits(1, 1);         // FillStyle1 = 1
  const int deltas[4][2] = {{side, 0}, {0, side}, {-side, 0}, {0, -side}};
  for (const auto& d : deltas) {
    const bool vertical = d[0] == 0;
    w.bits(0b11, 2);  // straight edge
    w.bits(14, 4);    // NumBits 16
    w.bits(0, 1);     // not a general line
    w.bits(vertical ? 1 : 0, 1);
    w.signed_bits(vertical ? d[1] : d[0], 16);
  }
  w.bits(0, 6);  // EndShapeRecord
  return body + w.take();
}

/// PlaceObject2 body: character `id` (0 = move the existing one) at depth 1, translated.
inline std::string place(unsigned id, int x, int y) {
  std::string body(1, static_cast<char>(id ? 0b0110 : 0b0101));  // HasMatrix, HasCharacter|Move
  put_le(body, 1, 2);                                            // depth
  if (id) put_le(body, id, 2);
  BitWriter w;
  w.bits(0, 2);   // no scale, no rotate
  w.bits(17, 5);  // NTranslateBits
  w.signed_bits(x, 17);
  w.signed_bits(y, 17);
  return body + w.take();
}

/// An uncompressed SWF of `width` x `height` pixels at 24 frames a second: background `bg`,
/// a square of `side` pixels in colour `fg`, which moves from the left edge to the right edge
/// over `frames` frames (one frame: it stands at `x`, `y`).
inline std::string square_movie(std::uint32_t bg, std::uint32_t fg, int frames = 1, int width = 400,
                                int height = 300, int side = 100, int x = 150, int y = 100) {
  std::string body = rect(0, width * 20, 0, height * 20) + std::string("\x00\x18", 2);  // 24 fps
  put_le(body, static_cast<unsigned>(frames), 2);
  std::string bg_rgb;
  put_rgb(bg_rgb, bg);
  body += tag(9, bg_rgb) + tag(2, square_shape(1, side * 20, fg));
  for (int frame = 0; frame < frames; ++frame) {
    const int at = frames == 1 ? x : (width - side) * frame / (frames - 1);
    body += tag(26, place(frame == 0 ? 1 : 0, at * 20, y * 20)) + tag(1, {});
  }
  body += tag(0, {});
  std::string out = "FWS\x0A";  // version 10
  put_le(out, static_cast<std::uint32_t>(8 + body.size()), 4);
  return out + body;
}

/// The colour of an uncompressed movie's SetBackgroundColor tag (RRGGBB); nullopt when none.
inline std::optional<std::uint32_t> background_of(const std::string& swf) {
  if (swf.size() < 9 || swf.compare(0, 3, "FWS") != 0) return std::nullopt;
  const int nbits = static_cast<unsigned char>(swf[8]) >> 3;
  std::size_t at = 8 + (5 + 4 * nbits + 7) / 8 + 4;  // frame rectangle, frame rate, frame count
  while (at + 2 <= swf.size()) {
    const std::uint32_t code_and_length = get_le(swf, at, 2);
    std::size_t length = code_and_length & 0x3F;
    at += 2;
    if (length == 0x3F && at + 4 <= swf.size()) {
      length = get_le(swf, at, 4);
      at += 4;
    }
    const unsigned code = code_and_length >> 6;
    if (code == 0) return std::nullopt;
    if (code == 9 && at + 3 <= swf.size())
      return get_le(swf, at, 1) << 16 | get_le(swf, at + 1, 1) << 8 | get_le(swf, at + 2, 1);
    at += length;
  }
  return std::nullopt;
}

}  // namespace test_movies
