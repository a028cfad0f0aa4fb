#include "engine/swf_records.h"

#include <algorithm>
#include <cmath>

#include "core/hex.h"

namespace engine::swf {

using core::put_u16le;
using core::put_u32le;

void BitWriter::put(std::uint32_t value, int count) {
  for (int i = count - 1; i >= 0; --i) {
    pending_ = (pending_ << 1) | ((value >> i) & 1u);
    if (++pending_count_ == 8) {
      bytes_.push_back(static_cast<char>(pending_ & 0xFF));
      pending_ = 0;
      pending_count_ = 0;
    }
  }
}

void BitWriter::put_signed(std::int32_t value, int count) {
  put(static_cast<std::uint32_t>(value) & ((count >= 32) ? 0xFFFFFFFFu : ((1u << count) - 1u)), count);
}

std::string BitWriter::finish() {
  if (pending_count_ > 0) put(0, 8 - pending_count_);
  return bytes_;
}

int signed_bits(std::int32_t value) {
  int bits = 1;
  while (value < -(1 << (bits - 1)) || value > (1 << (bits - 1)) - 1) ++bits;
  return bits;
}

void put_record_header(std::string& out, int code, std::size_t length, bool long_form) {
  if (!long_form && length < 0x3F) {
    put_u16le(out, static_cast<std::uint16_t>(code << 6 | static_cast<int>(length)));
  } else {
    put_u16le(out, static_cast<std::uint16_t>(code << 6 | 0x3F));  // long length form
    put_u32le(out, static_cast<std::uint32_t>(length));
  }
}

std::optional<RecordHeader> read_record_header(const std::string& bytes, std::size_t at) {
  if (at + 2 > bytes.size()) return std::nullopt;
  const std::uint16_t code_and_length = core::get_u16le(bytes, at);  // cccccccccc llllll
  const int code = code_and_length >> 6;
  if ((code_and_length & 0x3F) != 0x3F) return RecordHeader{code, 2, code_and_length & 0x3Fu};
  if (at + kLongHeaderSize > bytes.size()) return std::nullopt;
  return RecordHeader{code, kLongHeaderSize, core::get_u32le(bytes, at + kLongLengthOffset)};
}

std::string tag(int code, const std::string& body, bool long_form) {
  std::string out;
  put_record_header(out, code, body.size(), long_form);
  return out + body;
}

void set_long_length(std::string& record) {
  std::string length;
  put_u32le(length, static_cast<std::uint32_t>(record.size() - kLongHeaderSize));
  record.replace(kLongLengthOffset, 4, length);
}

std::string rect(int xmin, int xmax, int ymin, int ymax, int min_bits) {
  int bits = std::max({signed_bits(xmin), signed_bits(xmax), signed_bits(ymin), signed_bits(ymax), min_bits});
  if (xmin == 0 && xmax == 0 && ymin == 0 && ymax == 0 && min_bits == 0) bits = 0;
  BitWriter w;
  w.put(static_cast<std::uint32_t>(bits), 5);  // Nbits
  for (int v : {xmin, xmax, ymin, ymax}) w.put_signed(v, bits);
  return w.finish();
}

std::string header(int version, int width_twips, int height_twips, int frame_count, int rect_bits) {
  std::string out = "FWS";
  out.push_back(static_cast<char>(version));
  put_u32le(out, 0);  // FileLength, set once the movie is whole
  out += rect(0, width_twips, 0, height_twips, rect_bits);
  put_u16le(out, 24 << 8);  // frame rate 24.0 (8.8 fixed point)
  put_u16le(out, static_cast<std::uint16_t>(frame_count));
  return out;
}

void set_file_length(std::string& movie) {
  std::string length;
  put_u32le(length, static_cast<std::uint32_t>(movie.size()));
  movie.replace(kFileLengthOffset, 4, length);
}

namespace {
// The translate fields that close every MATRIX.
void put_translate(BitWriter& w, int tx, int ty) {
  const int bits = (tx == 0 && ty == 0) ? 0 : std::max(signed_bits(tx), signed_bits(ty));
  w.put(static_cast<std::uint32_t>(bits), 5);
  w.put_signed(tx, bits);
  w.put_signed(ty, bits);
}
}  // namespace

std::string matrix(int tx, int ty) {
  BitWriter w;
  w.put(0, 1);  // HasScale
  w.put(0, 1);  // HasRotate
  put_translate(w, tx, ty);
  return w.finish();
}

std::string matrix_scaled(double sx, double sy, int tx, int ty) {
  auto fixed = [](double v) { return static_cast<std::int32_t>(std::lround(v * 65536.0)); };  // 16.16
  BitWriter w;
  w.put(1, 1);  // HasScale
  int sbits = std::max(signed_bits(fixed(sx)), signed_bits(fixed(sy)));
  w.put(static_cast<std::uint32_t>(sbits), 5);
  w.put_signed(fixed(sx), sbits);
  w.put_signed(fixed(sy), sbits);
  w.put(0, 1);  // HasRotate
  put_translate(w, tx, ty);
  return w.finish();
}

std::string cxform_scale(double factor) {
  BitWriter w;
  w.put(0, 1);                                                                       // HasAddTerms
  w.put(1, 1);                                                                       // HasMultTerms
  const std::int32_t mult = static_cast<std::int32_t>(std::lround(factor * 256.0));  // 8.8
  const int bits = std::max(signed_bits(mult), signed_bits(256));
  w.put(static_cast<std::uint32_t>(bits), 4);
  for (std::int32_t v : {mult, mult, mult, 256}) w.put_signed(v, bits);  // R, G, B, A
  return w.finish();
}

std::string cxform_add(int amount) {
  BitWriter w;
  w.put(1, 1);  // HasAddTerms
  w.put(0, 1);  // HasMultTerms
  const int bits = signed_bits(amount);
  w.put(static_cast<std::uint32_t>(bits), 4);
  for (int v : {amount, amount, amount, 0}) w.put_signed(v, bits);  // R, G, B, A
  return w.finish();
}

// Shape records of the edges; every contour takes fill style 1 (and line style 1 when the
// shape has one) through its first style-change record.
std::string shape_records(const std::vector<Edge>& edges, bool has_line) {
  BitWriter w;
  const int fill_bits = 1, line_bits = has_line ? 1 : 0;
  w.put(static_cast<std::uint32_t>(fill_bits), 4);
  w.put(static_cast<std::uint32_t>(line_bits), 4);
  Point pen;
  bool styled = false;
  for (const Edge& e : edges) {
    if (e.kind == Edge::kMove) {
      w.put(0, 1);                    // TypeFlag: style change
      w.put(0, 1);                    // StateNewStyles
      w.put(!styled && has_line, 1);  // StateLineStyle
      w.put(0, 1);                    // StateFillStyle1
      w.put(!styled, 1);              // StateFillStyle0
      w.put(1, 1);                    // StateMoveTo
      const int bits = std::max(signed_bits(e.anchor.x), signed_bits(e.anchor.y));
      w.put(static_cast<std::uint32_t>(bits), 5);
      w.put_signed(e.anchor.x, bits);
      w.put_signed(e.anchor.y, bits);
      if (!styled) {
        w.put(1, fill_bits);  // FillStyle0 = 1
        if (has_line) w.put(1, line_bits);
        styled = true;
      }
      pen = e.anchor;
      continue;
    }
    if (e.kind == Edge::kLine) {
      const int dx = e.anchor.x - pen.x, dy = e.anchor.y - pen.y;
      if (dx == 0 && dy == 0) continue;
      const int bits = std::max({signed_bits(dx), signed_bits(dy), 2});
      w.put(1, 1);  // TypeFlag: edge
      w.put(1, 1);  // StraightFlag
      w.put(static_cast<std::uint32_t>(bits - 2), 4);
      w.put(1, 1);  // GeneralLineFlag
      w.put_signed(dx, bits);
      w.put_signed(dy, bits);
    } else {
      const int cx = e.control.x - pen.x, cy = e.control.y - pen.y;
      const int ax = e.anchor.x - e.control.x, ay = e.anchor.y - e.control.y;
      if (cx == 0 && cy == 0 && ax == 0 && ay == 0) continue;
      const int bits = std::max({signed_bits(cx), signed_bits(cy), signed_bits(ax), signed_bits(ay), 2});
      w.put(1, 1);  // TypeFlag: edge
      w.put(0, 1);  // StraightFlag: curved
      w.put(static_cast<std::uint32_t>(bits - 2), 4);
      w.put_signed(cx, bits);
      w.put_signed(cy, bits);
      w.put_signed(ax, bits);
      w.put_signed(ay, bits);
    }
    pen = e.anchor;
  }
  w.put(0, 6);  // EndShapeRecord
  return w.finish();
}

std::string place_object(int depth, int id, const std::string& matrix_bytes, const std::string& name) {
  std::string body;
  body.push_back(
      static_cast<char>((name.empty() ? 0 : 0x20) | 0x04 | 0x02));  // HasName, HasMatrix, HasCharacter
  put_u16le(body, static_cast<std::uint16_t>(depth));
  put_u16le(body, static_cast<std::uint16_t>(id));
  body += matrix_bytes;
  if (!name.empty()) body += name + '\0';
  return tag(kPlaceObject2, body);
}

std::string act_play() { return std::string(1, '\x06'); }
std::string act_stop() { return std::string(1, '\x07'); }

namespace {
std::string action(int code, const std::string& payload) {
  std::string out(1, static_cast<char>(code));
  put_u16le(out, static_cast<std::uint16_t>(payload.size()));
  return out + payload;
}
}  // namespace

std::string act_set_target(const std::string& target) { return action(0x8B, target + '\0'); }

std::string act_goto_frame(int frame) {
  std::string payload;
  put_u16le(payload, static_cast<std::uint16_t>(frame));
  return action(0x81, payload);
}

std::string act_push_string(const std::string& text) { return action(0x96, '\0' + text + '\0'); }

std::string act_push_int(std::int32_t value) {
  std::string payload(1, '\x07');  // integer
  put_u32le(payload, static_cast<std::uint32_t>(value));
  return action(0x96, payload);
}

std::string act_get_variable() { return std::string(1, '\x1C'); }
std::string act_set_variable() { return std::string(1, '\x1D'); }

std::string act_if(int offset) {
  std::string payload;
  put_u16le(payload, static_cast<std::uint16_t>(static_cast<std::int16_t>(offset)));
  return action(0x9D, payload);
}

std::string act_jump(int offset) {
  std::string payload;
  put_u16le(payload, static_cast<std::uint16_t>(static_cast<std::int16_t>(offset)));
  return action(0x99, payload);
}

std::string do_action(const std::string& actions) { return tag(kDoAction, actions + '\0'); }

}  // namespace engine::swf
