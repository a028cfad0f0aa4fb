#pragma once

#include <string>

namespace engine {

/// What the movie build and the MP3 rate check need of the progress page: its animation,
/// its bar and its percentage. The wizard's progress page implements it; tests and
/// benchmarks install their own.
class ProgressPage {
 public:
  virtual ~ProgressPage() = default;
  /// Hides the bar and the percentage, shows the animation and loads the movie at `movie_path`.
  virtual void show_animation(const std::string& movie_path) = 0;
  /// Hides and stops the animation, shows the bar and the percentage.
  virtual void show_bar() = 0;
  /// Width of the bar's box, in twips.
  virtual int bar_width() const = 0;
  /// Draws the filled bar from the left edge to `width` twips.
  virtual void draw_progress_bar(int width) = 0;
  /// Shows "<percent>%" in the palette colour `colour_index`.
  virtual void show_percent(int colour_index, int percent) = 0;
};

/// The page the engine reports to; nullptr (the default) reports nowhere.
void set_progress_page(ProgressPage* page);
ProgressPage* progress_page();

}  // namespace engine
