#include "support/swf_reader.h"

#include <stdexcept>

namespace testsupport::swf {

namespace {

unsigned byte_at(const std::string& bytes, std::size_t i) {
  if (i >= bytes.size()) throw std::runtime_error("SWF data ends at byte " + std::to_string(i));
  return static_cast<unsigned char>(bytes[i]);
}

std::uint16_t u16(const std::string& bytes, std::size_t i) {
  return static_cast<std::uint16_t>(byte_at(bytes, i) | (byte_at(bytes, i + 1) << 8));
}

std::uint32_t u32(const std::string& bytes, std::size_t i) {
  return static_cast<std::uint32_t>(u16(bytes, i)) | (static_cast<std::uint32_t>(u16(bytes, i + 2)) << 16);
}

// Reads bit fields most significant bit first, as RECT stores them.
class BitReader {
 public:
  BitReader(const std::string& bytes, std::size_t offset) : bytes_(bytes), bit_(offset * 8) {}
  std::uint32_t unsigned_bits(int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i, ++bit_) v = (v << 1) | ((byte_at(bytes_, bit_ / 8) >> (7 - bit_ % 8)) & 1);
    return v;
  }
  std::int32_t signed_bits(int n) {
    if (n == 0) return 0;
    const std::uint32_t v = unsigned_bits(n);
    const std::uint32_t sign = 1u << (n - 1);
    return static_cast<std::int32_t>((v ^ sign)) - static_cast<std::int32_t>(sign);
  }
  std::size_t next_byte() const { return (bit_ + 7) / 8; }

 private:
  const std::string& bytes_;
  std::size_t bit_;
};

}  // namespace

Rect read_rect(const std::string& bytes, std::size_t offset, std::size_t* end) {
  BitReader bits(bytes, offset);
  const int n = static_cast<int>(bits.unsigned_bits(5));
  // A braced list is evaluated in order: x_min, x_max, y_min, y_max.
  const Rect r{bits.signed_bits(n), bits.signed_bits(n), bits.signed_bits(n), bits.signed_bits(n)};
  if (end) *end = bits.next_byte();
  return r;
}

Rect moved(Rect r, const std::string& bytes, std::size_t offset) {
  BitReader bits(bytes, offset);
  if (bits.unsigned_bits(1) || bits.unsigned_bits(1))
    throw std::runtime_error("a MATRIX that scales or rotates");
  const int n = static_cast<int>(bits.unsigned_bits(5));
  const std::int32_t x = bits.signed_bits(n), y = bits.signed_bits(n);
  return {r.x_min + x, r.x_max + x, r.y_min + y, r.y_max + y};
}

Header read_header(const std::string& swf) {
  Header h;
  if (swf.substr(0, 3) != "FWS")
    throw std::runtime_error("not an uncompressed SWF: '" + swf.substr(0, 3) + "'");
  h.file_length = u32(swf, 4);
  std::size_t p = 0;
  h.frame_size = read_rect(swf, 8, &p);
  h.frame_rate = u16(swf, p);
  h.frame_count = u16(swf, p + 2);
  h.length = p + 4;
  return h;
}

std::vector<Tag> read_tags(const std::string& bytes, std::size_t offset, std::size_t end) {
  if (end > bytes.size()) throw std::runtime_error("tag range beyond the data");
  std::vector<Tag> tags;
  std::size_t p = offset;
  while (p < end) {
    if (p + 2 > end) throw std::runtime_error("tag header cut at " + std::to_string(p));
    Tag t;
    t.offset = p;
    const std::uint16_t code_and_length = u16(bytes, p);
    t.code = code_and_length >> 6;  // cccccccccc llllll
    t.length = code_and_length & 0x3F;
    t.header_length = 2;
    if (t.length == 0x3F) {
      if (p + 6 > end) throw std::runtime_error("long tag header cut at " + std::to_string(p));
      t.length = u32(bytes, p + 2);
      t.header_length = 6;
    }
    if (t.length > end - p - t.header_length)
      throw std::runtime_error("tag " + std::to_string(t.code) + " at " + std::to_string(p) +
                               " runs past its container");
    t.body = bytes.substr(p + t.header_length, t.length);
    p = t.end();
    tags.push_back(std::move(t));
    if (tags.back().code == kEnd) break;
  }
  return tags;
}

Movie read_movie(const std::string& swf) {
  Movie m;
  m.header = read_header(swf);
  m.tags = read_tags(swf, m.header.length, swf.size());
  return m;
}

Sprite read_sprite(const Tag& define_sprite) {
  if (define_sprite.code != kDefineSprite) throw std::runtime_error("not a DefineSprite");
  Sprite s;
  s.id = u16(define_sprite.body, 0);
  s.frame_count = u16(define_sprite.body, 2);
  s.tags = read_tags(define_sprite.body, 4, define_sprite.body.size());
  return s;
}

StreamHead read_stream_head(const Tag& tag) {
  if (tag.code != kSoundStreamHead && tag.code != 45) throw std::runtime_error("not a SoundStreamHead");
  if (tag.body.size() < 4) throw std::runtime_error("SoundStreamHead too short");
  StreamHead h;
  h.playback_type = byte_at(tag.body, 0) & 1;  // 0000 rr s t
  h.compression = byte_at(tag.body, 1) >> 4;   // cccc rr s t
  h.stream_type = byte_at(tag.body, 1) & 1;
  return h;
}

StreamBlock read_stream_block(const Tag& tag) {
  if (tag.code != kSoundStreamBlock) throw std::runtime_error("not a SoundStreamBlock");
  if (tag.body.size() < 4) throw std::runtime_error("SoundStreamBlock too short for its MP3 fields");
  StreamBlock b;
  b.sample_count = u16(tag.body, 0);
  b.seek = static_cast<std::int16_t>(u16(tag.body, 2));
  b.mp3 = tag.body.substr(4);
  return b;
}

}  // namespace testsupport::swf
