#pragma once

#include <string>

namespace engine {

/// The gallery's preview Flash control as the style composers use it. The gallery page
/// implements it; tests and the benchmark driver install their own.
class StylePreview {
 public:
  virtual ~StylePreview() = default;
  /// Replaces the movie of `layer` with the movie file at `path`. The file is taken as it
  /// stands at the call: the next composition may rewrite it right after.
  virtual void load_movie(int layer, const std::string& path) = 0;
  /// Starts the loaded movie.
  virtual void play() = 0;
  /// Sets the movie area's background to the colour text RRGGBB, exactly as given.
  virtual void set_bg_color(const std::string& color) = 0;
};

/// The preview the composers drive; nullptr (the default) drives none.
void set_style_preview(StylePreview* preview);
StylePreview* style_preview();

}  // namespace engine
