#pragma once

#include <QColor>
#include <QFrame>
#include <QImage>

namespace wizard {

/// A picture box: a sunken frame whose drawing (boxes, printed text) is kept as an image and
/// repainted from it. Coordinates are twips from the inner top-left corner.
class PictureBox : public QFrame {
  Q_OBJECT

 public:
  explicit PictureBox(QWidget* parent = nullptr);

  /// Clears the drawing to the background colour.
  void Cls();
  /// Draws a box from (x1, y1) to (x2, y2) twips, outlined and filled in `colour`.
  void filled_box(int x1, int y1, int x2, int y2, QColor colour);
  /// Draws the outline of the box from (x1, y1) to (x2, y2) twips in `colour`, with lines
  /// `line_width` pixels wide centred on the box's edges.
  void box(int x1, int y1, int x2, int y2, QColor colour, int line_width);
  /// Shows `picture` from the top-left corner, in place of what was drawn.
  void set_picture(const QImage& picture);
  /// Prints `text` in `colour` with its top-left corner at (x, y) twips.
  void Print(const QString& text, QColor colour, int x = 0, int y = 0);

  /// Inner size in twips, as drawing coordinates count.
  int ScaleWidth() const;
  int ScaleHeight() const;
  /// What is drawn, at the inner area's size.
  const QImage& image() const { return image_; }

 signals:
  /// The left mouse button was pressed and released over the box.
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Keeps the drawing as large as the inner area, also before the box is first shown.
  void fit_image();
  QImage image_;
};

/// The standard sixteen-colour palette (0 black ... 15 white).
QColor palette_colour(int index);

}  // namespace wizard
