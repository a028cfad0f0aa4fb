#pragma once

// A progress page for headless runs that records what the engine asks it to show.

#include <string>
#include <vector>

#include "engine/progress.h"

namespace fixtures {

class ProgressRecorder : public engine::ProgressPage {
 public:
  explicit ProgressRecorder(int width = 5000) : width_(width) { engine::set_progress_page(this); }
  ~ProgressRecorder() override { engine::set_progress_page(nullptr); }

  void show_animation(const std::string& movie_path) override {
    animations.push_back(movie_path);
    events.push_back("animation");
  }
  void show_bar() override { events.push_back("bar"); }
  int bar_width() const override { return width_; }
  void draw_progress_bar(int width) override { bars.push_back(width); }
  void show_percent(int colour_index, int percent) override {
    colours.push_back(colour_index);
    percents.push_back(percent);
  }

  std::vector<std::string> animations;
  std::vector<std::string> events;
  std::vector<int> bars;
  std::vector<int> colours;
  std::vector<int> percents;

 private:
  int width_;
};

}  // namespace fixtures
