#include "swf.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace datagen::swf {

std::string rgb(const QColor& colour) {
  std::string out;
  out.push_back(static_cast<char>(colour.red()));
  out.push_back(static_cast<char>(colour.green()));
  out.push_back(static_cast<char>(colour.blue()));
  return out;
}

std::string rgba(const QColor& colour) { return rgb(colour) + static_cast<char>(colour.alpha()); }

namespace {

Point rounded(const QPointF& p) {
  return {static_cast<int>(std::lround(p.x())), static_cast<int>(std::lround(p.y()))};
}

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

}  // namespace datagen::swf
