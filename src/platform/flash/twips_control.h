#pragma once

#include <QWidget>

namespace platform::flash {

/// Twips per pixel of the pages and their controls.
inline constexpr int kTwipsPerPixel = 15;
/// A length in twips as whole pixels, rounded to the nearest.
int to_pixels(int twips);

/// A control placed on its page in twips (15 to a pixel), as the pages' geometry is given.
class TwipsControl : public QWidget {
 public:
  using QWidget::QWidget;

  void Left(int twips);
  void Top(int twips);
  void Width(int twips);
  void Height(int twips);
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void Visible(bool visible) { setVisible(visible); }
  bool Visible() const { return !isHidden(); }

 private:
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};

}  // namespace platform::flash
