#pragma once

// A reader of our own for the generated movies: header, tag list (sprites included), and the
// few records the tests look into (shape fills, button records and actions). It checks what
// it reads against the bounds it was given and reports the first problem as text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace datagen_test {

struct Tag {
  int code = 0;
  std::size_t offset = 0;  // 0-based offset of the record header in the file
  std::size_t header = 0;  // 2 or 6
  std::size_t length = 0;  // body length
  std::size_t body() const { return offset + header; }
  std::size_t end() const { return body() + length; }
};

inline unsigned get_u16(const std::string& b, std::size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}

inline std::uint32_t get_u32(const std::string& b, std::size_t at) {
  return get_u16(b, at) | static_cast<std::uint32_t>(get_u16(b, at + 2)) << 16;
}

/// Bit fields, most significant bit first, as SWF packs them.
class BitReader {
 public:
  BitReader(const std::string& bytes, std::size_t at) : bytes_(bytes), byte_(at) {}
  std::uint32_t get(int count) {
    std::uint32_t v = 0;
    for (int i = 0; i < count; ++i) {
      if (byte_ >= bytes_.size()) {
        overrun_ = true;
        return v;
      }
      v = v << 1 | ((static_cast<unsigned char>(bytes_[byte_]) >> (7 - bit_)) & 1u);
      if (++bit_ == 8) {
        bit_ = 0;
        ++byte_;
      }
    }
    return v;
  }
  std::int32_t get_signed(int count) {
    const std::uint32_t v = get(count);
    if (count == 0) return 0;
    return (v & (1u << (count - 1))) ? static_cast<std::int32_t>(v | ~((1u << count) - 1u))
                                     : static_cast<std::int32_t>(v);
  }
  /// Offset of the next whole byte.
  std::size_t aligned() const { return bit_ == 0 ? byte_ : byte_ + 1; }
  bool overrun() const { return overrun_; }

 private:
  const std::string& bytes_;
  std::size_t byte_;
  int bit_ = 0;
  bool overrun_ = false;
};

struct Rect {
  int xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  std::size_t size = 0;  // bytes
};

inline Rect read_rect(const std::string& b, std::size_t at) {
  BitReader r(b, at);
  const int bits = static_cast<int>(r.get(5));
  Rect rect;
  rect.xmin = r.get_signed(bits);
  rect.xmax = r.get_signed(bits);
  rect.ymin = r.get_signed(bits);
  rect.ymax = r.get_signed(bits);
  rect.size = r.aligned() - at;
  return rect;
}

/// Tags from `begin` up to `end`. With `until_end_tag`, the list must close with an End tag
/// that ends exactly at `end`; without it, the tags must fill the range exactly.
inline std::vector<Tag> walk_tags(const std::string& b, std::size_t begin, std::size_t end,
                                  bool until_end_tag, std::string& error) {
  std::vector<Tag> tags;
  std::size_t at = begin;
  while (at < end) {
    if (at + 2 > end) {
      error = "record header cut at " + std::to_string(at);
      return tags;
    }
    Tag t;
    t.offset = at;
    const unsigned word = get_u16(b, at);
    t.code = static_cast<int>(word >> 6);
    t.length = word & 0x3F;
    t.header = 2;
    if (t.length == 0x3F) {
      if (at + 6 > end) {
        error = "long record header cut at " + std::to_string(at);
        return tags;
      }
      t.length = get_u32(b, at + 2);
      t.header = 6;
    }
    if (t.end() > end) {
      error = "tag " + std::to_string(t.code) + " at " + std::to_string(at) + " runs past its container";
      return tags;
    }
    tags.push_back(t);
    at = t.end();
    if (t.code == 0) break;
  }
  if (until_end_tag && (tags.empty() || tags.back().code != 0 || at != end))
    error = "no End tag closing the tag list exactly at " + std::to_string(end);
  if (!until_end_tag && at != end) error = "tags do not fill their range";
  return tags;
}

struct Movie {
  int version = 0;
  std::uint32_t file_length = 0;
  Rect frame;
  std::size_t header_size = 0;
  unsigned rate = 0;  // 8.8 fixed point
  unsigned frames = 0;
  std::vector<Tag> tags;  // top level
  std::string error;
};

inline Movie read_movie(const std::string& b) {
  Movie m;
  if (b.size() < 21 || b.compare(0, 3, "FWS") != 0) {
    m.error = "not an uncompressed SWF";
    return m;
  }
  m.version = static_cast<unsigned char>(b[3]);
  m.file_length = get_u32(b, 4);
  m.frame = read_rect(b, 8);
  m.header_size = 8 + m.frame.size + 4;
  m.rate = get_u16(b, 8 + m.frame.size);
  m.frames = get_u16(b, 8 + m.frame.size + 2);
  m.tags = walk_tags(b, m.header_size, b.size(), true, m.error);
  return m;
}

/// The sprite's own tags (DefineSprite body after id and frame count).
inline std::vector<Tag> sprite_tags(const std::string& b, const Tag& sprite, std::string& error) {
  return walk_tags(b, sprite.body() + 4, sprite.end(), true, error);
}

/// 0-based offset of the first fill colour's red byte of a DefineShape3 tag (a solid fill),
/// or 0 when the shape has none.
inline std::size_t first_fill_offset(const std::string& b, const Tag& shape) {
  const Rect bounds = read_rect(b, shape.body() + 2);
  std::size_t at = shape.body() + 2 + bounds.size;
  std::size_t count = static_cast<unsigned char>(b[at++]);
  if (count == 0xFF) {
    count = get_u16(b, at);
    at += 2;
  }
  if (count == 0 || b[at] != 0x00) return 0;  // no fill, or not a solid one
  return at + 1;
}

enum class Role { kPlay, kPause, kStop, kToggle, kOther };

struct Button {
  int id = 0;
  int hit_shape = 0;  // the character of the hit state: the button's body
  Role role = Role::kOther;
  std::vector<int> action_codes;
};

/// Action codes of an action list that closes with a 0 byte.
inline std::vector<int> action_codes(const std::string& b, std::size_t at, std::size_t end) {
  std::vector<int> codes;
  while (at < end) {
    const int code = static_cast<unsigned char>(b[at]);
    if (code == 0) break;
    codes.push_back(code);
    at += (code >= 0x80) ? 3 + get_u16(b, at + 1) : 1;
  }
  return codes;
}

inline Button read_button(const std::string& b, const Tag& t) {
  Button button;
  button.id = static_cast<int>(get_u16(b, t.body()));
  const std::size_t action_offset = get_u16(b, t.body() + 3);
  std::size_t at = t.body() + 5;
  while (at < t.end() && b[at] != 0) {
    const int states = static_cast<unsigned char>(b[at]);
    const int character = static_cast<int>(get_u16(b, at + 1));
    if (states & 0x08) button.hit_shape = character;
    BitReader matrix(b, at + 5);
    if (matrix.get(1)) {  // HasScale
      const int bits = static_cast<int>(matrix.get(5));
      matrix.get(2 * bits);
    }
    if (matrix.get(1)) {  // HasRotate
      const int bits = static_cast<int>(matrix.get(5));
      matrix.get(2 * bits);
    }
    matrix.get(2 * static_cast<int>(matrix.get(5)));
    BitReader cx(b, matrix.aligned());
    const bool add = cx.get(1), mult = cx.get(1);
    const int bits = static_cast<int>(cx.get(4));
    cx.get(bits * 4 * ((add ? 1 : 0) + (mult ? 1 : 0)));
    at = cx.aligned();
  }
  if (action_offset != 0) {
    const std::size_t cond = t.body() + 3 + action_offset;
    button.action_codes = action_codes(b, cond + 4, t.end());
  }
  auto has = [&](int code) {
    for (int c : button.action_codes)
      if (c == code) return true;
    return false;
  };
  if (has(0x9D))
    button.role = Role::kToggle;  // If: plays or stops by the state
  else if (has(0x06))
    button.role = Role::kPlay;
  else if (has(0x81))
    button.role = Role::kStop;  // GotoFrame 1 and stop: back to the start
  else if (has(0x07))
    button.role = Role::kPause;
  return button;
}

}  // namespace datagen_test

namespace datagen_test {

/// What the records of a DefineShape2/DefineShape3 tag draw, and the first problem met.
struct ShapeOutline {
  int contours = 0;
  int edges = 0;
  int fills = 0;
  bool closed = true;  // every contour ends where it began
  std::string error;
};

inline ShapeOutline read_shape(const std::string& b, const Tag& t) {
  ShapeOutline out;
  const bool rgba = t.code == 32;
  const Rect bounds = read_rect(b, t.body() + 2);
  std::size_t at = t.body() + 2 + bounds.size;
  std::size_t fills = static_cast<unsigned char>(b[at++]);
  if (fills == 0xFF) {
    fills = get_u16(b, at);
    at += 2;
  }
  out.fills = static_cast<int>(fills);
  for (std::size_t i = 0; i < fills; ++i) {
    if (b[at] != 0x00) {
      out.error = "fill style other than solid";
      return out;
    }
    at += 1 + (rgba ? 4 : 3);
  }
  const std::size_t lines = static_cast<unsigned char>(b[at++]);
  at += lines * (2 + (rgba ? 4 : 3));
  if (at >= t.end()) {
    out.error = "style arrays run past the tag";
    return out;
  }
  BitReader r(b, at);
  const int fill_bits = static_cast<int>(r.get(4)), line_bits = static_cast<int>(r.get(4));
  long x = 0, y = 0, start_x = 0, start_y = 0;
  bool open = false;
  auto close_contour = [&] {
    if (open && (x != start_x || y != start_y)) out.closed = false;
  };
  for (;;) {
    if (r.overrun()) {
      out.error = "records run past the data";
      return out;
    }
    if (r.get(1) == 0) {
      const unsigned flags = r.get(5);
      if (flags == 0) break;  // EndShapeRecord
      if (flags & 0x10) {
        out.error = "new styles inside the records";
        return out;
      }
      if (flags & 0x01) {
        close_contour();
        const int bits = static_cast<int>(r.get(5));
        x = start_x = r.get_signed(bits);
        y = start_y = r.get_signed(bits);
        open = true;
        ++out.contours;
      }
      if (flags & 0x02) r.get(fill_bits);
      if (flags & 0x04) r.get(fill_bits);
      if (flags & 0x08) r.get(line_bits);
      continue;
    }
    ++out.edges;
    const bool straight = r.get(1);
    const int bits = static_cast<int>(r.get(4)) + 2;
    if (straight) {
      if (r.get(1)) {
        x += r.get_signed(bits);
        y += r.get_signed(bits);
      } else if (r.get(1)) {
        y += r.get_signed(bits);
      } else {
        x += r.get_signed(bits);
      }
    } else {
      for (int i = 0; i < 2; ++i) {
        x += r.get_signed(bits);
        y += r.get_signed(bits);
      }
    }
  }
  close_contour();
  if (r.aligned() != t.end()) out.error = "records do not end at the tag's end";
  return out;
}

}  // namespace datagen_test
