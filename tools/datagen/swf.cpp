#include "swf.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace datagen::swf {

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

std::string tag(int code, const std::string& body, bool long_form) {
  std::string out;
  if (!long_form && body.size() < 0x3F) {
    put_u16le(out, static_cast<std::uint16_t>(code << 6 | static_cast<int>(body.size())));
  } else {
    put_u16le(out, static_cast<std::uint16_t>(code << 6 | 0x3F));  // long length form
    put_u32le(out, static_cast<std::uint32_t>(body.size()));
  }
  return out + body;
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
  movie.replace(4, 4, length);
}

std::string rgb(const QColor& colour) {
  std::string out;
  out.push_back(static_cast<char>(colour.red()));
  out.push_back(static_cast<char>(colour.green()));
  out.push_back(static_cast<char>(colour.blue()));
  return out;
}

std::string rgba(const QColor& colour) { return rgb(colour) + static_cast<char>(colour.alpha()); }

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

namespace {

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

Point rounded(const QPointF& p) {
  return {static_cast<int>(std::lround(p.x())), static_cast<int>(std::lround(p.y()))};
}

// Edges of a path in whole twips: a move starts each contour, then lines and quadratic curves.
struct Edge {
  enum Kind { kMove, kLine, kCurve } kind;
  Point control;
  Point anchor;
};

QPointF lerp(const QPointF& a, const QPointF& b, double t) { return a + (b - a) * t; }

// A cubic Bezier becomes quadratic pieces: split it, then take for each piece the control
// point where the cubic's two tangents would meet on average.
void add_cubic(std::vector<Edge>& edges, QPointF p0, QPointF p1, QPointF p2, QPointF p3) {
  const double span = QLineF(p0, p1).length() + QLineF(p1, p2).length() + QLineF(p2, p3).length();
  const int pieces = std::clamp(static_cast<int>(std::ceil(span / 300.0)), 1, 8);
  for (int i = 0; i < pieces; ++i) {
    const double t0 = static_cast<double>(i) / pieces;
    const double t1 = static_cast<double>(i + 1) / pieces;
    auto at = [&](double t) {
      const QPointF a = lerp(p0, p1, t), b = lerp(p1, p2, t), c = lerp(p2, p3, t);
      const QPointF d = lerp(a, b, t), e = lerp(b, c, t);
      return lerp(d, e, t);
    };
    auto tangent = [&](double t) {
      const double u = 1.0 - t;
      return 3 * u * u * (p1 - p0) + 6 * u * t * (p2 - p1) + 3 * t * t * (p3 - p2);
    };
    const QPointF q0 = at(t0), q3 = at(t1);
    const double dt = t1 - t0;
    const QPointF c1 = q0 + tangent(t0) * (dt / 3.0);
    const QPointF c2 = q3 - tangent(t1) * (dt / 3.0);
    const QPointF control = (3.0 * (c1 + c2) - q0 - q3) / 4.0;
    edges.push_back({Edge::kCurve, rounded(control), rounded(q3)});
  }
}

std::vector<Edge> edges_of(const QPainterPath& path) {
  std::vector<Edge> edges;
  QPointF start, current;
  auto close_contour = [&] {
    if (!edges.empty() && rounded(current) != rounded(start))
      edges.push_back({Edge::kLine, {}, rounded(start)});
  };
  for (int i = 0; i < path.elementCount(); ++i) {
    const QPainterPath::Element e = path.elementAt(i);
    switch (e.type) {
      case QPainterPath::MoveToElement:
        close_contour();
        start = current = e;
        edges.push_back({Edge::kMove, {}, rounded(e)});
        break;
      case QPainterPath::LineToElement:
        edges.push_back({Edge::kLine, {}, rounded(e)});
        current = e;
        break;
      case QPainterPath::CurveToElement: {
        const QPointF c1 = e, c2 = path.elementAt(i + 1), end = path.elementAt(i + 2);
        add_cubic(edges, current, c1, c2, end);
        current = end;
        i += 2;
        break;
      }
      case QPainterPath::CurveToDataElement:
        break;
    }
  }
  close_contour();
  return edges;
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

}  // namespace

std::string define_shape3(int id, const QPainterPath& path, const QColor& fill, int* colour_offset,
                          int extra_rect_bits, const QColor& line, int line_width) {
  const bool has_line = line.isValid() && line_width > 0;
  const QRectF box = path.controlPointRect().adjusted(-line_width, -line_width, line_width, line_width);
  const int x0 = static_cast<int>(std::floor(box.left())), x1 = static_cast<int>(std::ceil(box.right()));
  const int y0 = static_cast<int>(std::floor(box.top())), y1 = static_cast<int>(std::ceil(box.bottom()));
  const int need = std::max({signed_bits(x0), signed_bits(x1), signed_bits(y0), signed_bits(y1)});
  if (need + extra_rect_bits > 31) throw std::runtime_error("shape bounds field wider than 31 bits");

  std::string body;
  put_u16le(body, static_cast<std::uint16_t>(id));
  body += rect(x0, x1, y0, y1, need + extra_rect_bits);
  body.push_back(1);     // FillStyleCount
  body.push_back(0x00);  // solid fill
  const std::size_t fill_at = body.size();
  body += rgba(fill);
  if (has_line) {
    body.push_back(1);  // LineStyleCount
    put_u16le(body, static_cast<std::uint16_t>(line_width));
    body += rgba(line);
  } else {
    body.push_back(0);
  }
  body += shape_records(edges_of(path), has_line);
  if (colour_offset) *colour_offset = static_cast<int>(6 + fill_at);
  return tag(kDefineShape3, body, true);  // long form: the colour's offset stays fixed
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
std::string act_not() { return std::string(1, '\x12'); }

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

}  // namespace datagen::swf
