#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/flash/web_control.h"

namespace platform::flash {

/// The Flash movie control of the pages: shows one SWF movie, scaled to fit its rectangle
/// with the spare area in the background colour, and offers the operations the pages call.
/// The movie runs in Ruffle inside the control's web view; showing a hidden control loads the
/// movie anew, on the movie's stage colour (or the chosen background) until its first frame.
class FlashControl : public WebControl {
  Q_OBJECT

 public:
  explicit FlashControl(QWidget* parent = nullptr);
  ~FlashControl() override;

  /// Replaces the movie of `layer` (the pages use 0 only) with the movie at `path` and plays it.
  void LoadMovie(int layer, const std::string& path);
  /// Starts the loaded movie playing.
  void Play();
  /// Freezes the loaded movie.
  void Stop();
  /// Background colour "RRGGBB" of the movie area; empty means the movie's own.
  void BGColor(const std::string& rrggbb);
  std::string BGColor() const;

  /// Path of the movie last loaded ("" when none).
  const std::string& movie() const { return movie_; }
  /// Whether the movie is meant to be running (Play) or frozen (Stop).
  bool playing() const { return playing_; }

 signals:
  /// The movie last loaded has rendered its first frame.
  void movieShown();
  /// Ruffle could not load or run the movie last loaded.
  void movieFailed(const QString& reason);

 protected:
  void view_created() override;
  void view_releasing() override;

 private:
  void run(const QString& script);
  void start_movie();
  void on_console(const QString& message);
  void show_ground();

  bool page_ready_ = false;
  std::string movie_;
  std::optional<std::uint32_t> movie_colour_;  // the stage colour the movie sets, if any
  bool movie_sounds_ = true;                   // the movie holds a sound
  std::string background_;                     // "" = the movie's own
  bool playing_ = true;
  int generation_ = 0;  // each load gets a new number; reports carry it
};

}  // namespace platform::flash
