#pragma once

// The installed data the tests check: every template set with the bytes the style composer
// patches, and every page movie with its stage and the places of its texts.

#include <array>
#include <filesystem>
#include <string>
#include <vector>

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

inline std::vector<StyleSet> style_sets() {
  const fs::path spd = testsupport::build_dir() / "spd";
  constexpr std::array<std::size_t, 6> sam = {965, 966, 1301, 966, 1633, 1898};
  constexpr std::array<std::array<std::size_t, 3>, 6> ind = {{{965, 1718, 1481},
                                                              {966, 1485, 1332},
                                                              {1301, 2425, 2831},
                                                              {971, 1604, 1789},
                                                              {3045, 1634, 5549},
                                                              {2704, 1899, 3901}}};
  constexpr std::array<std::size_t, 6> sin = {778, 780, 1107, 850, 1423, 1590};
  // sam_pla button, sam_pla background, sin_pla button, sin_pla background
  constexpr std::array<std::array<std::size_t, 4>, 6> pla = {{{889, 22, 677, 22},
                                                              {889, 23, 677, 22},
                                                              {1224, 23, 1017, 28},
                                                              {890, 23, 755, 22},
                                                              {1556, 23, 1333, 28},
                                                              {1821, 23, 1500, 28}}};
  std::vector<StyleSet> sets;
  for (int k = 1; k <= 6; ++k) {
    const std::string n = std::to_string(k);
    auto set = [&](const std::string& family, const std::string& dir, const std::string& middle,
                   std::size_t background, std::vector<std::size_t> buttons, bool autoplay, bool wide) {
      const fs::path d = spd / family / dir;
      sets.push_back({family, k, d / ("tp" + n + ".spd"), spd / family / middle / ("middle" + n + ".spd"),
                      d / ("bottom" + n + ".spd"), background, std::move(buttons), autoplay, wide});
    };
    const std::size_t wide_bg = k == 1 ? 22 : 23;
    const auto& i = ind[k - 1];
    const auto& p = pla[k - 1];
    set("sam", n, "middle", wide_bg, {sam[k - 1]}, false, true);
    set("ind", n + "_mod", "middle_mod", wide_bg, {i[0], i[1], i[2]}, false, true);
    set("sin", n + "_sin", "middle", 22, {sin[k - 1]}, false, false);
    set("sam_pla", n + "_sam_pla", "middle", p[1], {p[0]}, true, true);
    set("sin_pla", n + "_sin_pla", "middle", p[3], {p[2]}, true, false);
  }
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
