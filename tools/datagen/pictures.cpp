#include "pictures.h"

#include <QImage>
#include <QPainter>
#include <array>
#include <cmath>
#include <span>
#include <stdexcept>
#include <string>

#include "art.h"
#include "engine/style_pieces.h"
#include "engine/style_selection.h"
#include "wizard/tables/step3_gallery.h"

namespace datagen {

namespace {

void draw_layer(QPainter& painter, const Layer& layer) {
  painter.setPen(layer.line.isValid() && layer.line_width > 0 ? QPen(layer.line, layer.line_width)
                                                              : Qt::NoPen);
  painter.setBrush(layer.fill);
  painter.drawPath(layer.path);
}

// What a design draws on its stage: its layers with their outlines, and its buttons.
QRectF drawn_bounds(const Design& d) {
  QRectF bounds;
  for (const Layer& layer : d.decor) {
    const double half = layer.line.isValid() ? layer.line_width / 2.0 : 0.0;
    bounds |= layer.path.boundingRect().adjusted(-half, -half, half, half);
  }
  for (const ButtonArt& b : d.buttons) bounds |= b.body.boundingRect().translated(b.cx, b.cy);
  return bounds;
}

// The design as its movie shows it, what it draws scaled as large as fits into `area` of a
// white picture of `size`; `colours` gives each button's body colour.
QImage render(const Design& d, QSize size, QRectF area, const std::vector<QColor>& colours) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF drawn = drawn_bounds(d);
  const double scale = std::min(area.width() / drawn.width(), area.height() / drawn.height());
  painter.translate(area.center());
  painter.scale(scale, scale);
  painter.translate(-drawn.center());
  for (const Layer& layer : d.decor) draw_layer(painter, layer);
  for (std::size_t i = 0; i < d.buttons.size(); ++i) {
    const ButtonArt& b = d.buttons[i];
    painter.save();
    painter.translate(b.cx, b.cy);
    draw_layer(painter, {b.body, colours[std::min(i, colours.size() - 1)]});
    if (!b.shine.isEmpty()) draw_layer(painter, {b.shine, QColor(255, 255, 255, 90)});
    draw_layer(painter, {icon_path(b.role, 0, 0, b.icon_size), b.icon_colour});
    painter.restore();
  }
  return image;
}

// An ind picture: the colour target's button large above the whole player, on which that
// button is the coloured one.
QImage render_target(const Design& d, QSize size, QRectF area, int target,
                     const std::vector<QColor>& colours) {
  const double player = area.height() / 3.0;
  QImage picture =
      render(d, size, QRectF(area.left(), area.bottom() - player, area.width(), player), colours);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  const ButtonArt& b = d.buttons[target];
  const QRectF box = b.body.boundingRect();
  const double room = area.height() - player - 2.0;
  const double scale = std::min(area.width() / box.width(), room / box.height());
  painter.translate(area.center().x(), area.top() + room / 2.0);
  painter.scale(scale, scale);
  painter.translate(-box.center());
  draw_layer(painter, {b.body, colours[target]});
  if (!b.shine.isEmpty()) draw_layer(painter, {b.shine, QColor(255, 255, 255, 90)});
  draw_layer(painter, {icon_path(b.role, 0, 0, b.icon_size), b.icon_colour});
  return picture;
}

// A style picture is as large as its box on the gallery page. The selection frame is drawn
// over it from the top-left corner to the box's size less the frame's reductions, its lines
// centred on those edges, and wiped in white at every visit; the drawing keeps a line's width
// inside the frame's edges, so that neither the box nor the frame cuts it.
struct Slot {
  QSize size;
  QRectF area;
};

Slot slot(const engine::style::StylePicture& p) {
  constexpr int kTwipsPerPixel = 15;  // as the pages place their controls
  auto pixels = [](int twips) { return static_cast<int>(std::lround(twips / double(kTwipsPerPixel))); };
  for (const auto& places : {std::span<const wizard::tables::PicturePlace>(wizard::tables::kSamPictures),
                             std::span<const wizard::tables::PicturePlace>(wizard::tables::kIndPictures),
                             std::span<const wizard::tables::PicturePlace>(wizard::tables::kSinPictures)}) {
    for (const auto& place : places) {
      if (place.number != p.number) continue;
      const int w = p.line_width;
      const QPointF corner(pixels(place.width - p.dx) - w + 1, pixels(place.height - p.dy) - w + 1);
      // Half a pixel more, for the soft edges of the antialiased drawing.
      const QRectF inside = QRectF(QPointF(w, w), corner).adjusted(0.5, 0.5, -0.5, -0.5);
      return {QSize(pixels(place.width), pixels(place.height)), inside};
    }
  }
  throw std::runtime_error("picture " + std::to_string(p.number) + " has no box in the gallery");
}

void save(const QImage& image, const std::filesystem::path& path) {
  if (!image.save(QString::fromStdString(path.string()), "PNG"))
    throw std::runtime_error("cannot write " + path.string());
}

// The page emblem: a loudspeaker above play, pause and stop keys.
// Transparent around the rounded shape, so that it stands on any page's ground.
QImage emblem() {
  QImage image(100, 100, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(100.0 / 2000.0, 100.0 / 2000.0);  // drawn in twips, like the movies
  draw_layer(painter, {rounded_rect(60, 60, 1880, 1880, 300), QColor(38, 70, 120)});
  draw_layer(painter, {speaker_icon(560, 720, 900), QColor(255, 255, 255)});
  const std::array<ButtonRole, 3> roles = {ButtonRole::kPlay, ButtonRole::kPause, ButtonRole::kStop};
  for (int i = 0; i < 3; ++i) {
    const double cx = 460 + 540 * i, cy = 1540;
    draw_layer(painter, {rounded_rect(cx - 220, cy - 200, 440, 400, 80), QColor(240, 140, 40)});
    draw_layer(painter, {icon_path(roles[i], cx, cy, 260), QColor(255, 255, 255)});
  }
  return image;
}

}  // namespace

void write_pictures(const std::filesystem::path& dir) {
  std::filesystem::create_directories(dir);
  save(emblem(), dir / "emblem.png");

  for (const engine::style::StylePicture& p : engine::style::kStylePictures) {
    const Slot at = slot(p);
    QImage picture;
    if (p.family == engine::style::kSam) {
      const Design sam = sam_design(p.style);
      picture = render(sam, at.size, at.area, {sam.button_colour});
    } else if (p.family == engine::style::kSin) {
      const Design sin = sin_design(p.style);
      picture = render(sin, at.size, at.area, {sin.button_colour});
    } else {
      // An ind picture shows its shape with the colour target's button in colour, the others grey.
      const Design ind = ind_design(p.style);
      std::vector<QColor> colours(3, QColor(170, 170, 176));
      colours[p.target - 1] = ind.button_colour;
      picture = render_target(ind, at.size, at.area, p.target - 1, colours);
    }
    save(picture, dir / engine::style::thumbnail_name(p));
  }
}

}  // namespace datagen
