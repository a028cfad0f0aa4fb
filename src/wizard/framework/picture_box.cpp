#include "wizard/framework/picture_box.h"

#include <QMouseEvent>
#include <QPainter>
#include <array>

#include "wizard/framework/wizard_page.h"

namespace wizard {

QColor palette_colour(int index) {
  static constexpr std::array<QRgb, 16> colours = {
      0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
      0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
  };
  return QColor(colours[static_cast<std::size_t>(index) & 15]);
}

PictureBox::PictureBox(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(2);
  setAutoFillBackground(true);
}

void PictureBox::Cls() {
  fit_image();
  image_.fill(palette().color(QPalette::Window));
  update();
}

void PictureBox::filled_box(int x1, int y1, int x2, int y2, QColor colour) {
  fit_image();
  QPainter painter(&image_);
  const QRect box(QPoint(to_pixels(x1), to_pixels(y1)), QPoint(to_pixels(x2) - 1, to_pixels(y2) - 1));
  painter.fillRect(box.normalized(), colour);
  update();
}

void PictureBox::box(int x1, int y1, int x2, int y2, QColor colour, int line_width) {
  fit_image();
  QPainter painter(&image_);
  painter.setPen(QPen(colour, line_width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  // The lines are centred on the box's edges, the right and bottom ones at x2 and y2 themselves.
  painter.drawRect(
      QRectF(QPointF(to_pixels(x1), to_pixels(y1)), QPointF(to_pixels(x2), to_pixels(y2))).normalized());
  update();
}

void PictureBox::set_picture(const QImage& picture) {
  fit_image();
  image_.fill(palette().color(QPalette::Window));
  QPainter painter(&image_);
  painter.drawImage(0, 0, picture);
  update();
}

void PictureBox::Print(const QString& text, QColor colour, int x, int y) {
  fit_image();
  QPainter painter(&image_);
  painter.setFont(font());
  painter.setPen(colour);
  const QPointF at(x / double(kTwipsPerPixel), y / double(kTwipsPerPixel) + painter.fontMetrics().ascent());
  painter.drawText(at, text);
  update();
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
  QFrame::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

int PictureBox::ScaleWidth() const { return contentsRect().width() * kTwipsPerPixel; }
int PictureBox::ScaleHeight() const { return contentsRect().height() * kTwipsPerPixel; }

void PictureBox::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  painter.drawImage(contentsRect().topLeft(), image_);
}

void PictureBox::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  fit_image();
}

void PictureBox::fit_image() {
  const QSize size = contentsRect().size().expandedTo(QSize(1, 1));
  if (image_.size() == size) return;
  QImage resized(size, QImage::Format_RGB32);
  resized.fill(palette().color(QPalette::Window));
  if (!image_.isNull()) {
    QPainter painter(&resized);
    painter.drawImage(0, 0, image_);
  }
  image_ = resized;
}

}  // namespace wizard
