#pragma once

// A progress page for headless runs: installed for its lifetime, it records what the engine
// asks it to show. Tests that use it link the engine.

#include <string>
#include <utility>
#include <vector>

#include "engine/progress.h"

namespace testsupport {

struct ProgressRecorder : engine::ProgressPage {
  ProgressRecorder() { engine::set_progress_page(this); }
  ~ProgressRecorder() override { engine::set_progress_page(nullptr); }
  void show_animation(const std::string& movie) override { events.push_back("animation " + movie); }
  void show_bar() override { events.push_back("bar"); }
  int bar_width() const override { return 5000; }
  void draw_progress_bar(int width) override { bars.push_back(width); }
  void show_percent(int colour, int percent) override { shown.push_back({colour, percent}); }

  std::vector<std::string> events;         // "animation <movie>", "bar"
  std::vector<int> bars;                   // widths drawn
  std::vector<std::pair<int, int>> shown;  // colour index, percent
};

}  // namespace testsupport
