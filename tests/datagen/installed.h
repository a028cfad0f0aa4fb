#pragma once

// The installed data the tests check: every template set with the bytes the style composer
// patches (its own table: the templates must agree with it), and every page movie with its
// stage and the places of its texts.

#include <filesystem>
#include <string>
#include <vector>

#include "core/paths.h"
#include "engine/style_pieces.h"
#include "support/test_support.h"

namespace datagen_test {

namespace fs = std::filesystem;

struct StyleSet {
  std::string family;  // sam, ind, sin, sam_pla, sin_pla
  int style;
  fs::path tp, middle, bottom;
  std::size_t background;            // 1-based, in tp
  std::vector<std::size_t> buttons;  // 1-based, in tp (plain) or bottom (autoplay); ind: play, pause, stop
  bool autoplay, wide;
  std::string name() const { return family + std::to_string(style); }
};

/// Every installed template set with the positions the style composer writes its colours at.
inline std::vector<StyleSet> style_sets() {
  namespace style = engine::style;
  core::set_app_dir(testsupport::build_dir());
  std::vector<StyleSet> sets;
  for (std::int16_t k = 1; k <= 6; ++k) {
    for (const std::int16_t f : {style::kSam, style::kInd, style::kSin}) {
      const auto p = *style::plain_pieces(f, k);
      std::vector<std::size_t> buttons;
      for (std::int16_t t = 1; t <= (f == style::kInd ? 3 : 1); ++t)
        buttons.push_back(static_cast<std::size_t>(style::button_position(f, k, t)));
      sets.push_back({f == style::kSam   ? "sam"
                      : f == style::kInd ? "ind"
                                         : "sin",
                      k, p.tp, p.middle, p.bottom, static_cast<std::size_t>(style::back_gnd_position(f, k)),
                      buttons, false, f != style::kSin});
    }
    for (const std::int16_t f : {style::kSam, style::kSin}) {
      const auto p = *style::autoplay_pieces(f, k);
      sets.push_back({f == style::kSam ? "sam_pla" : "sin_pla",
                      k,
                      p.tp,
                      p.middle,
                      p.bottom,
                      static_cast<std::size_t>(style::autoplay_back_gnd_position(f, k)),
                      {static_cast<std::size_t>(style::autoplay_button_position(f, k))},
                      true,
                      f == style::kSam});
    }
  }
  core::set_app_dir({});
  return sets;
}

struct Box {
  int x0, y0, x1, y1;  // pixels of the stage
};

// Where a page movie has text, and whether it is light on the title band or dark on the page.
struct TextPlace {
  Box box;
  bool light;
};

struct PageMovie {
  std::string file;   // under spd
  int width, height;  // the size of the control that shows it
  std::vector<TextPlace> texts;
  std::string name() const { return fs::path(file).stem().string(); }
};

inline std::vector<PageMovie> page_movies() {
  const TextPlace title{{118, 26, 420, 52}, true};
  auto backdrop = [&](const std::string& file, int w, int h, std::vector<TextPlace> more = {}) {
    more.insert(more.begin(), title);
    return PageMovie{"SWF/" + file + ".swf", w, h, more};
  };
  // The option texts of step 1 and of the gallery stand right of the option marks.
  auto beside = [](int x, int centre) { return TextPlace{{x, centre - 8, x + 140, centre + 7}, false}; };
  std::vector<PageMovie> movies = {
      backdrop("form8", 842, 549, {beside(240, 188), beside(240, 232), beside(240, 280)}),
      backdrop("form9", 842, 549),
      backdrop("form10", 842, 549),
      backdrop("form2", 812, 620, {beside(204, 316), beside(204, 340), beside(204, 364)}),
      PageMovie{"SWF/Sound_Processing.swf", 462, 116, {{{48, 52, 190, 70}, false}}},
  };
  for (const char* form : {"form4", "form3", "form11", "form7", "form14", "form12_a"})
    movies.push_back(backdrop(form, 733, 553));
  for (const char* status :
       {"start_recording_background", "talking_girl", "recording_stopped", "playing", "paused", "resumed",
        "stop", "begining_of_recorded_sound", "can_record_sound_again", "select_voice",
        "default_voice_selected", "natural_voice_selected", "select_text", "start_recording",
        "recording_text_animated", "recording_text_complete"})
    movies.push_back({std::string("SWF/") + status + ".swf", 321, 81, {{{72, 30, 250, 52}, false}}});
  return movies;
}

}  // namespace datagen_test
