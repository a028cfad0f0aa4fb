#include "art.h"

#include <QFont>
#include <QFontMetricsF>
#include <QTransform>
#include <cmath>
#include <numbers>

namespace datagen {

namespace {

// Glyphs are taken at a large pixel size and scaled down, so that their curves keep their
// precision when rounded to whole twips.
constexpr double kGlyphPixels = 1000.0;

QFont glyph_font(bool bold) {
  QFont font("Liberation Sans");
  font.setPixelSize(static_cast<int>(kGlyphPixels));
  font.setBold(bold);
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setKerning(true);
  return font;
}

}  // namespace

QPainterPath text_path(const std::string& text, double x, double y, double size, bool bold) {
  QPainterPath glyphs;
  glyphs.addText(0, 0, glyph_font(bold), QString::fromStdString(text));
  const double scale = size / kGlyphPixels;
  return QTransform(scale, 0, 0, scale, x, y).map(glyphs);
}

QPainterPath text_centred(const std::string& text, double cx, double y, double size, bool bold) {
  const QFontMetricsF metrics(glyph_font(bold));
  const double width = metrics.horizontalAdvance(QString::fromStdString(text)) * size / kGlyphPixels;
  return text_path(text, cx - width / 2.0, y, size, bold);
}

QPainterPath rounded_rect(double x, double y, double w, double h, double radius) {
  QPainterPath path;
  path.addRoundedRect(QRectF(x, y, w, h), radius, radius);
  return path;
}

QPainterPath circle(double cx, double cy, double r) {
  QPainterPath path;
  path.addEllipse(QPointF(cx, cy), r, r);
  return path;
}

QPainterPath regular_polygon(double cx, double cy, double r, int corners, double turn_degrees) {
  QPolygonF polygon;
  for (int i = 0; i <= corners; ++i) {
    const double a = (turn_degrees + 360.0 * i / corners) * std::numbers::pi / 180.0;
    polygon << QPointF(cx + r * std::cos(a), cy + r * std::sin(a));
  }
  QPainterPath path;
  path.addPolygon(polygon);
  path.closeSubpath();
  return path;
}

QPainterPath play_icon(double cx, double cy, double s) {
  QPolygonF triangle;
  triangle << QPointF(cx - 0.36 * s, cy - 0.45 * s) << QPointF(cx + 0.48 * s, cy)
           << QPointF(cx - 0.36 * s, cy + 0.45 * s) << QPointF(cx - 0.36 * s, cy - 0.45 * s);
  QPainterPath path;
  path.addPolygon(triangle);
  path.closeSubpath();
  return path;
}

QPainterPath pause_icon(double cx, double cy, double s) {
  QPainterPath path;
  path.addRect(QRectF(cx - 0.38 * s, cy - 0.42 * s, 0.27 * s, 0.84 * s));
  path.addRect(QRectF(cx + 0.11 * s, cy - 0.42 * s, 0.27 * s, 0.84 * s));
  return path;
}

QPainterPath stop_icon(double cx, double cy, double s) {
  QPainterPath path;
  path.addRect(QRectF(cx - 0.36 * s, cy - 0.36 * s, 0.72 * s, 0.72 * s));
  return path;
}

QPainterPath speaker_icon(double x, double cy, double s) {
  QPolygonF cone;
  cone << QPointF(x, cy - 0.18 * s) << QPointF(x + 0.22 * s, cy - 0.18 * s)
       << QPointF(x + 0.5 * s, cy - 0.45 * s) << QPointF(x + 0.5 * s, cy + 0.45 * s)
       << QPointF(x + 0.22 * s, cy + 0.18 * s) << QPointF(x, cy + 0.18 * s) << QPointF(x, cy - 0.18 * s);
  QPainterPath path;
  path.addPolygon(cone);
  path.closeSubpath();
  // Two sound waves: rings cut to their right-hand arcs.
  for (double r : {0.3 * s, 0.52 * s}) {
    QPainterPath ring;
    ring.addEllipse(QPointF(x + 0.5 * s, cy), r + 0.07 * s, r + 0.07 * s);
    QPainterPath inner;
    inner.addEllipse(QPointF(x + 0.5 * s, cy), r - 0.02 * s, r - 0.02 * s);
    QPainterPath clip;
    clip.addRect(QRectF(x + 0.62 * s, cy - s, s, 2 * s));
    path.addPath(ring.subtracted(inner).intersected(clip));
  }
  return path;
}

QPainterPath icon_path(ButtonRole role, double cx, double cy, double s) {
  switch (role) {
    case ButtonRole::kPlay:
    case ButtonRole::kToggle:
      return play_icon(cx, cy, s);
    case ButtonRole::kPause:
      return pause_icon(cx, cy, s);
    case ButtonRole::kStop:
      return stop_icon(cx, cy, s);
  }
  return {};
}

namespace {

constexpr int kWideW = 2000, kWideH = 730;  // the wide player's stage, 200 x 73 in proportion
constexpr int kSquare = 1800;               // the single button's stage

const QColor kWhite(255, 255, 255);
const QColor kShine(255, 255, 255, 90);
const QColor kInk(40, 40, 48);

QPainterPath upper_shine(const QPainterPath& body) {
  const QRectF box = body.boundingRect();
  QPainterPath half;
  half.addEllipse(QRectF(box.left() + box.width() * 0.12, box.top() + box.height() * 0.06, box.width() * 0.76,
                         box.height() * 0.46));
  return half.intersected(body);
}

ButtonArt button(ButtonRole role, const QPainterPath& body, double cx, double cy, double icon, bool shine,
                 const QColor& icon_colour = kWhite) {
  ButtonArt b;
  b.role = role;
  b.body = body;
  b.cx = cx;
  b.cy = cy;
  if (shine) b.shine = upper_shine(body);
  b.icon_colour = icon_colour;
  b.icon_size = icon;
  return b;
}

constexpr ButtonRole kRoles[3] = {ButtonRole::kPlay, ButtonRole::kPause, ButtonRole::kStop};

}  // namespace

Design sam_design(int style) {
  Design d;
  d.width = kWideW;
  d.height = kWideH;
  d.background = kWhite;
  d.shared_body = true;
  const double cy = kWideH / 2.0;
  switch (style) {
    case 1: {  // dark rounded bar, round keys with a shine
      d.decor.push_back({rounded_rect(20, 40, 1960, 650, 160), QColor(43, 43, 51)});
      d.button_colour = QColor(51, 102, 204);
      const QPainterPath body = circle(0, 0, 240);
      for (int i = 0; i < 3; ++i) d.buttons.push_back(button(kRoles[i], body, 420 + 580 * i, cy, 300, true));
      break;
    }
    case 2: {  // light pill with rounded square keys
      d.decor.push_back(
          {rounded_rect(30, 90, 1940, 550, 275), QColor(216, 220, 226), QColor(120, 126, 136), 30});
      d.button_colour = QColor(0, 153, 102);
      const QPainterPath body = rounded_rect(-220, -220, 440, 440, 90);
      for (int i = 0; i < 3; ++i) d.buttons.push_back(button(kRoles[i], body, 440 + 560 * i, cy, 280, false));
      break;
    }
    case 3: {  // three glossy discs on a thin rail
      d.decor.push_back({rounded_rect(100, cy - 35, 1800, 70, 35), QColor(140, 140, 150)});
      d.button_colour = QColor(204, 51, 102);
      const QPainterPath body = circle(0, 0, 320);
      for (int i = 0; i < 3; ++i) d.buttons.push_back(button(kRoles[i], body, 360 + 640 * i, cy, 380, true));
      break;
    }
    case 4: {  // deck with a loudspeaker and a caption
      d.decor.push_back({rounded_rect(10, 10, 1980, 710, 60), QColor(58, 63, 71)});
      d.decor.push_back({speaker_icon(90, 300, 380), QColor(230, 230, 230)});
      d.decor.push_back({text_path("AUDIO", 90, 640, 190, true), QColor(230, 230, 230)});
      d.button_colour = QColor(255, 153, 0);
      // The keys end as far inside the deck on the right as the loudspeaker and the caption
      // begin on the left, and start where the caption leaves room.
      const QPainterPath body = rounded_rect(-170, -170, 340, 340, 40);
      for (int i = 0; i < 3; ++i)
        d.buttons.push_back(button(kRoles[i], body, 960 + 390 * i, cy, 215, false, kInk));
      break;
    }
    case 5: {  // hexagon keys on a slim band
      d.decor.push_back({rounded_rect(40, cy - 110, 1920, 220, 110), QColor(85, 85, 95)});
      d.button_colour = QColor(102, 51, 204);
      const QPainterPath body = regular_polygon(0, 0, 310, 6, 30);
      for (int i = 0; i < 3; ++i) d.buttons.push_back(button(kRoles[i], body, 420 + 580 * i, cy, 300, true));
      break;
    }
    default: {  // white card with a loudspeaker, a caption and pill keys
      d.decor.push_back(
          {rounded_rect(20, 20, 1960, 690, 120), QColor(242, 242, 242), QColor(150, 150, 160), 30});
      d.decor.push_back({speaker_icon(100, 290, 330), QColor(70, 70, 80)});
      d.decor.push_back({text_path("LISTEN", 90, 630, 170, true), QColor(70, 70, 80)});
      d.button_colour = QColor(0, 128, 192);
      const QPainterPath body = rounded_rect(-210, -150, 420, 300, 150);
      for (int i = 0; i < 3; ++i) d.buttons.push_back(button(kRoles[i], body, 840 + 450 * i, cy, 210, true));
      break;
    }
  }
  return d;
}

Design ind_design(int shape) {
  Design d;
  d.width = kWideW;
  d.height = kWideH;
  d.background = kWhite;
  d.button_colour = QColor(46, 158, 79);
  const double cy = kWideH / 2.0;
  auto add = [&](int i, const QPainterPath& body, double cx, double y, double icon, bool shine,
                 const QColor& ink = kWhite) {
    d.buttons.push_back(button(kRoles[i], body, cx, y, icon, shine, ink));
  };
  switch (shape) {
    case 1: {  // dark bar, a big play disc and two smaller discs
      d.decor.push_back({rounded_rect(20, 40, 1960, 650, 160), QColor(43, 43, 51)});
      add(0, circle(0, 0, 290), 400, cy, 360, true);
      add(1, circle(0, 0, 220), 1050, cy, 260, true);
      add(2, circle(0, 0, 220), 1600, cy, 260, true);
      break;
    }
    case 2: {  // light panel with rounded squares
      d.decor.push_back(
          {rounded_rect(30, 60, 1940, 610, 80), QColor(222, 226, 232), QColor(120, 126, 136), 30});
      const QPainterPath body = rounded_rect(-230, -230, 460, 460, 100);
      for (int i = 0; i < 3; ++i) add(i, body, 440 + 560 * i, cy, 290, false);
      break;
    }
    case 3: {  // a play disc on the left, pause and stop as wide keys on the right
      d.decor.push_back({rounded_rect(20, 20, 1960, 690, 345), QColor(60, 66, 78)});
      add(0, circle(0, 0, 300), 400, cy, 360, true);
      add(1, rounded_rect(-260, -130, 520, 260, 130), 1030, 210, 200, true);
      add(2, rounded_rect(-260, -130, 520, 260, 130), 1030, 520, 200, true);
      d.decor.push_back({text_centred("PLAYER", 1650, 405, 115, true), QColor(220, 220, 225)});
      break;
    }
    case 4: {  // diamonds on a band
      d.decor.push_back({rounded_rect(40, cy - 90, 1920, 180, 90), QColor(100, 100, 110)});
      const QPainterPath body = regular_polygon(0, 0, 320, 4, 0);
      for (int i = 0; i < 3; ++i) add(i, body, 420 + 580 * i, cy, 240, false);
      break;
    }
    case 5: {  // capsule with octagon keys and a caption
      d.decor.push_back(
          {rounded_rect(10, 60, 1980, 610, 305), QColor(238, 238, 242), QColor(90, 90, 100), 40});
      d.decor.push_back({text_centred("SOUND", 1735, 415, 150, true), QColor(90, 90, 100)});
      const QPainterPath body = regular_polygon(0, 0, 240, 8, 22.5);
      for (int i = 0; i < 3; ++i) add(i, body, 310 + 460 * i, cy, 250, true);
      break;
    }
    default: {  // an arrow-shaped play key and two round keys
      d.decor.push_back({rounded_rect(20, 60, 1960, 610, 100), QColor(48, 52, 60)});
      QPolygonF arrow;
      arrow << QPointF(-420, -230) << QPointF(250, -230) << QPointF(440, 0) << QPointF(250, 230)
            << QPointF(-420, 230) << QPointF(-420, -230);
      QPainterPath arrow_path;
      arrow_path.addPolygon(arrow);
      arrow_path.closeSubpath();
      add(0, arrow_path, 540, cy, 300, false);
      add(1, circle(0, 0, 230), 1300, cy, 270, true);
      add(2, circle(0, 0, 230), 1760, cy, 270, true);
      break;
    }
  }
  return d;
}

Design sin_design(int style) {
  Design d;
  d.width = kSquare;
  d.height = kSquare;
  d.background = kWhite;
  d.shared_body = true;
  const double c = kSquare / 2.0;
  auto add = [&](const QPainterPath& body, double icon, bool shine, const QColor& ink = kWhite,
                 double cy = kSquare / 2.0) {
    d.buttons.push_back(button(ButtonRole::kToggle, body, c, cy, icon, shine, ink));
  };
  switch (style) {
    case 1:
      d.button_colour = QColor(0, 102, 204);
      add(circle(0, 0, 800), 760, true);
      break;
    case 2:
      d.button_colour = QColor(0, 153, 51);
      add(rounded_rect(-760, -760, 1520, 1520, 300), 720, false);
      break;
    case 3:
      d.button_colour = QColor(204, 0, 51);
      add(regular_polygon(0, 0, 840, 8, 22.5), 740, true);
      break;
    case 4:
      d.button_colour = QColor(255, 170, 0);
      add(regular_polygon(0, 0, 880, 4, 0), 560, false, kInk);
      break;
    case 5:
      d.decor.push_back({circle(c, c, 880), QColor(60, 60, 70)});
      d.button_colour = QColor(153, 51, 204);
      add(circle(0, 0, 720), 660, true);
      break;
    default:
      d.button_colour = QColor(0, 153, 153);
      add(regular_polygon(0, 0, 720, 6, 30), 560, true, kWhite, 780);
      d.decor.push_back({text_centred("SOUND", c, 1740, 240, true), QColor(60, 60, 70)});
      break;
  }
  return d;
}

}  // namespace datagen
