#pragma once

#include <optional>
#include <string>

#include "platform/flash/twips_control.h"

class QWebEngineView;

namespace platform::flash {

class MoviePage;

/// The Flash movie control of the pages: shows one SWF movie, scaled to fit its rectangle
/// with the spare area in the background colour, and offers the operations the pages call.
/// The movie runs in Ruffle inside a web view that exists only while the control is shown:
/// a hidden control releases its view and costs nothing; showing it again loads the movie anew.
class FlashControl : public TwipsControl {
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
  /// The web view while the control is shown, else nullptr.
  QWebEngineView* view() const { return view_; }

 signals:
  /// The movie last loaded has rendered its first frame.
  void movieShown();
  /// Ruffle could not load or run the movie last loaded.
  void movieFailed(const QString& reason);

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void create_view();
  void release_view();
  void run(const QString& script);
  void start_movie();
  void on_console(const QString& message);

  QWebEngineView* view_ = nullptr;
  MoviePage* page_ = nullptr;
  bool page_ready_ = false;
  std::string movie_;
  std::string background_;  // "" = the movie's own
  bool playing_ = true;
  int generation_ = 0;  // each load gets a new number; reports carry it
};

}  // namespace platform::flash
