#include "pictures.h"

#include <QImage>
#include <QPainter>
#include <array>
#include <stdexcept>
#include <string>

#include "art.h"

namespace datagen {

namespace {

void draw_layer(QPainter& painter, const Layer& layer) {
  painter.setPen(layer.line.isValid() && layer.line_width > 0 ? QPen(layer.line, layer.line_width)
                                                              : Qt::NoPen);
  painter.setBrush(layer.fill);
  painter.drawPath(layer.path);
}

// The design as its movie shows it, scaled into the picture with a small margin; `colours`
// gives each button's body colour.
QImage render(const Design& d, int width, int height, const std::vector<QColor>& colours) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const double scale = std::min((width - 2.0) / d.width, (height - 2.0) / d.height);
  painter.translate((width - d.width * scale) / 2.0, (height - d.height * scale) / 2.0);
  painter.scale(scale, scale);
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
QImage render_target(const Design& d, int width, int height, int target, const std::vector<QColor>& colours) {
  QImage image = render(d, width, height / 3, colours);
  QImage picture(width, height, QImage::Format_RGB32);
  picture.fill(Qt::white);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.drawImage(0, height - image.height(), image);
  const ButtonArt& b = d.buttons[target];
  const QRectF box = b.body.boundingRect();
  const double room = height - image.height() - 3.0;
  const double scale = std::min((width - 4.0) / box.width(), room / box.height());
  painter.translate(width / 2.0, 1.0 + room / 2.0);
  painter.scale(scale, scale);
  painter.translate(-box.center());
  draw_layer(painter, {b.body, colours[target]});
  if (!b.shine.isEmpty()) draw_layer(painter, {b.shine, QColor(255, 255, 255, 90)});
  draw_layer(painter, {icon_path(b.role, 0, 0, b.icon_size), b.icon_colour});
  return picture;
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

  // Thumbnail sizes in pixels, as the gallery's picture boxes hold them.
  constexpr std::array<std::array<int, 2>, 6> kSam = {
      {{150, 65}, {150, 50}, {168, 68}, {150, 58}, {160, 60}, {173, 55}}};
  constexpr std::array<std::array<int, 2>, 18> kInd = {{{55, 53},
                                                        {60, 56},
                                                        {60, 59},
                                                        {50, 50},
                                                        {50, 50},
                                                        {50, 50},
                                                        {55, 51},
                                                        {55, 53},
                                                        {59, 52},
                                                        {50, 53},
                                                        {50, 50},
                                                        {50, 50},
                                                        {59, 63},
                                                        {60, 72},
                                                        {66, 69},
                                                        {59, 59},
                                                        {100, 60},
                                                        {62, 60}}};
  constexpr std::array<std::array<int, 2>, 6> kSin = {
      {{51, 51}, {51, 51}, {58, 54}, {51, 51}, {58, 59}, {56, 51}}};

  for (int k = 1; k <= 6; ++k) {
    const Design sam = sam_design(k);
    save(render(sam, kSam[k - 1][0], kSam[k - 1][1], {sam.button_colour}),
         dir / ("sam" + std::to_string(k) + ".png"));
    const Design sin = sin_design(k);
    save(render(sin, kSin[k - 1][0], kSin[k - 1][1], {sin.button_colour}),
         dir / ("sin" + std::to_string(k) + ".png"));
    // An ind picture shows its shape with the colour target's button in colour, the others grey.
    const Design ind = ind_design(k);
    for (int target = 1; target <= 3; ++target) {
      const int s = 3 * (k - 1) + target;
      std::vector<QColor> colours(3, QColor(170, 170, 176));
      colours[target - 1] = ind.button_colour;
      save(render_target(ind, kInd[s - 1][0], kInd[s - 1][1], target - 1, colours),
           dir / ("ind" + std::to_string(s) + ".png"));
    }
  }
}

}  // namespace datagen
