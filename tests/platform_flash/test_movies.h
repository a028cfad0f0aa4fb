#pragma once

// Small SWF movies made by the tests, so that the views have something known to show:
// a stage of one colour with a square of another, standing still or moving left to right.

#include <cstdint>
#include <string>
#include <vector>

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

inline void put_u16(std::string& out, unsigned value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

inline void put_u32(std::string& out, std::uint32_t value) {
  put_u16(out, value & 0xFFFF);
  put_u16(out, value >> 16);
}

inline void put_rgb(std::string& out, std::uint32_t rgb) {
  out.push_back(static_cast<char>((rgb >> 16) & 0xFF));
  out.push_back(static_cast<char>((rgb >> 8) & 0xFF));
  out.push_back(static_cast<char>(rgb & 0xFF));
}

inline std::string tag(unsigned code, const std::string& body) {
  std::string out;
  if (body.size() < 0x3F) {
    put_u16(out, (code << 6) | static_cast<unsigned>(body.size()));
  } else {
    put_u16(out, (code << 6) | 0x3F);
    put_u32(out, static_cast<std::uint32_t>(body.size()));
  }
  return out + body;
}

inline std::string rect(int xmin, int xmax, int ymin, int ymax) {
  BitWriter w;
  w.bits(16, 5);  // Nbits: every value fits in 16 signed bits
  w.signed_bits(xmin, 16);
  w.signed_bits(xmax, 16);
  w.signed_bits(ymin, 16);
  w.signed_bits(ymax, 16);
  return w.take();
}

/// DefineShape body of a filled square `side` twips wide, top-left at the origin.
inline std::string square_shape(unsigned id, int side, std::uint32_t rgb) {
  std::string body;
  put_u16(body, id);
  body += rect(0, side, 0, side);
  body.push_back('\x01');  // one fill style
  body.push_back('\x00');  // solid fill
  put_rgb(body, rgb);
  body.push_back('\x00');  // no line styles
  BitWriter w;
  w.bits(1, 4);  // NumFillBits
  w.bits(0, 4);  // NumLineBits
  // StyleChangeRecord: TypeFlag 0, NewStyles 0, LineStyle 0, FillStyle1 1, FillStyle0 0, MoveTo 1
  w.bits(0b0'0'0'1'0'1, 6);
  w.bits(1, 5);  // MoveBits: (0, 0) needs one bit each
  w.signed_bits(0, 1);
  w.signed_bits(0, 1);
  w.bits(1, 1);  // FillStyle1 = 1
  // Four straight edges: right, down, left, up. NumBits 16 (+2 stored as 14)
  const int deltas[4][2] = {{side, 0}, {0, side}, {-side, 0}, {0, -side}};
  for (const auto& d : deltas) {
    w.bits(0b1'1, 2);  // TypeFlag 1 (edge), StraightFlag 1
    w.bits(14, 4);     // NumBits - 2
    w.bits(0, 1);      // not a general line
    const bool vertical = d[0] == 0;
    w.bits(vertical ? 1 : 0, 1);
    w.signed_bits(vertical ? d[1] : d[0], 16);
  }
  w.bits(0, 6);  // EndShapeRecord
  return body + w.take();
}

/// PlaceObject2 body: character `id` (0 = move the existing one) at depth 1, translated.
inline std::string place(unsigned id, int x, int y) {
  std::string body;
  body.push_back(static_cast<char>(id ? 0b0000'0'1'1'0 : 0b0000'0'1'0'1));  // HasMatrix, HasCharacter|Move
  put_u16(body, 1);                                                         // depth
  if (id) put_u16(body, id);
  BitWriter w;
  w.bits(0, 1);   // no scale
  w.bits(0, 1);   // no rotate
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
  std::string body = rect(0, width * 20, 0, height * 20);
  body.push_back('\x00');
  body.push_back('\x18');  // 24.0 frames a second
  put_u16(body, static_cast<unsigned>(frames));
  std::string bg_rgb;
  put_rgb(bg_rgb, bg);
  body += tag(9, bg_rgb);  // SetBackgroundColor
  body += tag(2, square_shape(1, side * 20, fg));
  for (int frame = 0; frame < frames; ++frame) {
    const int at = frames == 1 ? x : (width - side) * frame / (frames - 1);
    body += tag(26, place(frame == 0 ? 1 : 0, at * 20, y * 20));
    body += tag(1, {});  // ShowFrame
  }
  body += tag(0, {});  // End
  std::string out = "FWS";
  out.push_back('\x0A');  // version 10
  put_u32(out, static_cast<std::uint32_t>(8 + body.size()));
  return out + body;
}

}  // namespace test_movies

#include <QByteArray>
#include <optional>

namespace test_movies {

/// The colour of a movie's SetBackgroundColor tag (RRGGBB), read from its file; nullopt when the
/// file is no SWF or has no such tag.
inline std::optional<std::uint32_t> background_of(const std::string& swf) {
  if (swf.size() < 8 || (swf.compare(0, 3, "FWS") != 0 && swf.compare(0, 3, "CWS") != 0)) return std::nullopt;
  std::string body;
  if (swf[0] == 'C') {
    const std::uint32_t length = static_cast<unsigned char>(swf[4]) |
                                 static_cast<unsigned char>(swf[5]) << 8 |
                                 static_cast<unsigned char>(swf[6]) << 16 |
                                 static_cast<std::uint32_t>(static_cast<unsigned char>(swf[7])) << 24;
    QByteArray packed;
    const std::uint32_t expected = length - 8;
    for (int shift : {24, 16, 8, 0}) packed.append(static_cast<char>((expected >> shift) & 0xFF));
    packed.append(swf.data() + 8, static_cast<qsizetype>(swf.size() - 8));
    const QByteArray plain = qUncompress(packed);
    body.assign(plain.constData(), static_cast<std::size_t>(plain.size()));
  } else {
    body = swf.substr(8);
  }
  if (body.empty()) return std::nullopt;
  const int nbits = static_cast<unsigned char>(body[0]) >> 3;
  std::size_t at = (5 + 4 * nbits + 7) / 8 + 4;  // frame rectangle, frame rate, frame count
  while (at + 2 <= body.size()) {
    const unsigned code_and_length =
        static_cast<unsigned char>(body[at]) | static_cast<unsigned char>(body[at + 1]) << 8;
    at += 2;
    std::size_t length = code_and_length & 0x3F;
    if (length == 0x3F) {
      if (at + 4 > body.size()) return std::nullopt;
      length = static_cast<unsigned char>(body[at]) | static_cast<unsigned char>(body[at + 1]) << 8 |
               static_cast<unsigned char>(body[at + 2]) << 16 |
               static_cast<std::size_t>(static_cast<unsigned char>(body[at + 3])) << 24;
      at += 4;
    }
    const unsigned code = code_and_length >> 6;
    if (code == 0) return std::nullopt;
    if (code == 9 && length >= 3 && at + 3 <= body.size())
      return static_cast<std::uint32_t>(static_cast<unsigned char>(body[at]) << 16 |
                                        static_cast<unsigned char>(body[at + 1]) << 8 |
                                        static_cast<unsigned char>(body[at + 2]));
    at += length;
  }
  return std::nullopt;
}

}  // namespace test_movies
