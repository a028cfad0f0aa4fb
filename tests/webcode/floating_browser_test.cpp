// The floating sample page in a real browser: headless Chromium opens pages written by the
// sample-page writer, the page is scrolled, and the div "floatdiv" must follow it as the
// page's script promises, tick by tick.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "webcode/page_code.h"
#include "webcode/sample_page.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 400;
constexpr double kScroll = 1000;  // the sample page's filler makes it about 2000 px tall

// One run of the page's float_menu() as the browser reported it.
struct Tick {
  bool scrolled = false;
  double page_x = 0, page_y = 0, inner_width = 0, inner_height = 0;
  double next_x = 0, next_y = 0;  // the script's own position values
  std::string style_left, style_top;
  double rect_left = 0, rect_top = 0;  // where the div is drawn, in page coordinates
};

struct Scenario {
  const char* name;
  const char* width;
  const char* height;
  const char* target_x;
  const char* step;
  double factor;
  double settled_x;  // left edge of the div once settled, with the page not scrolled sideways
};

// Top-left and top-right corners as the floating step-5 page sets them, at the three speeds.
const Scenario kScenarios[] = {
    {"top_left_factor_1", "200", "73", "0;", "1;", 1.0, 0},
    {"top_left_factor_0_07", "200", "73", "0;", "0.07;", 0.07, 0},
    {"top_right_wide_factor_0_3", "200", "73", "-200;", "0.3;", 0.3, kWindowWidth - 200},
    {"top_right_square_factor_0_07", "90", "90", "-90;", "0.07;", 0.07, kWindowWidth - 90},
    {"top_right_wide_factor_1", "200", "73", "-200;", "1;", 1.0, kWindowWidth - 200},
};

std::map<std::string, std::vector<Tick>> parse_probe(const std::string& output) {
  std::map<std::string, std::vector<Tick>> pages;
  std::vector<Tick>* current = nullptr;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("page ")) {
      current = &pages[fs::path(line.substr(5)).parent_path().filename().string()];
    } else if (line.starts_with("tick ") && current) {
      std::istringstream in(line.substr(5));
      Tick t;
      int scrolled = 0;
      in >> scrolled >> t.page_x >> t.page_y >> t.inner_width >> t.inner_height >> t.next_x >> t.next_y >>
          t.style_left >> t.style_top >> t.rect_left >> t.rect_top;
      t.scrolled = scrolled == 1;
      if (in) current->push_back(t);
    }
  }
  return pages;
}

// Checks one page's ticks against what its script must do after the scroll: each tick closes
// `factor` of the remaining distance, until a step would be under half a pixel, which then
// takes the whole rest; there the div stays.
void check_glide(const Scenario& s, const std::vector<Tick>& ticks) {
  std::size_t first_scrolled = 0;
  while (first_scrolled < ticks.size() && !ticks[first_scrolled].scrolled) ++first_scrolled;
  ASSERT_GE(first_scrolled, 1u) << "no tick before the scroll";
  ASSERT_LE(first_scrolled + 10, ticks.size()) << "too few ticks after the scroll";

  // Before the scroll the div sits at the corner from the start.
  for (std::size_t i = 0; i < first_scrolled; ++i) {
    EXPECT_EQ(ticks[i].page_y, 0);
    EXPECT_EQ(ticks[i].next_x, s.settled_x);
    EXPECT_EQ(ticks[i].next_y, 0);
    EXPECT_EQ(ticks[i].rect_left, s.settled_x);
    EXPECT_EQ(ticks[i].rect_top, 0);
  }

  // After it: tick by tick, in the browser's own double arithmetic.
  double y = ticks[first_scrolled - 1].next_y;
  std::size_t glide_ticks = 0;
  for (std::size_t i = first_scrolled; i < ticks.size(); ++i) {
    const Tick& t = ticks[i];
    SCOPED_TRACE("tick " + std::to_string(i - first_scrolled + 1) + " after the scroll");
    ASSERT_EQ(t.page_y, kScroll);
    ASSERT_EQ(t.inner_width, kWindowWidth);
    ASSERT_EQ(t.inner_height, kWindowHeight);

    const double remaining = kScroll + 0 - y;
    double step = remaining * s.factor;
    if (std::abs(step) < .5) step = remaining;
    if (remaining != 0) {
      ++glide_ticks;
      // A full step closes exactly that fraction of the remaining distance.
      if (step != remaining) {
        EXPECT_NEAR(kScroll - (y + step), remaining * (1 - s.factor), 1e-9);
      }
    }
    y += step;
    EXPECT_EQ(t.next_y, y);
    EXPECT_EQ(t.next_x, s.settled_x);
    EXPECT_NEAR(t.rect_top, y, 1.0 / 64 + 1e-9);  // layout keeps 1/64 px
    EXPECT_EQ(t.rect_left, s.settled_x);
  }

  // Settled at scroll offset + target.
  const Tick& last = ticks.back();
  EXPECT_EQ(last.next_y, kScroll);
  EXPECT_EQ(last.rect_top, kScroll);
  EXPECT_EQ(last.style_top, "1000px");
  EXPECT_EQ(last.style_left, std::to_string(static_cast<int>(s.settled_x)) + "px");

  // How many ticks the way takes: one with factor 1; with a glide, until the last step
  // under half a pixel (0.3 from 1000 px: 18 full steps and the rest, 19 ticks; 0.07: 70).
  std::size_t expected_ticks = 1;
  if (s.factor < 1) {
    expected_ticks = 0;
    for (double r = kScroll; r != 0; ++expected_ticks) r = std::abs(r * s.factor) < .5 ? 0 : r - r * s.factor;
  }
  EXPECT_EQ(glide_ticks, expected_ticks);
  if (s.factor == 0.3) {
    EXPECT_EQ(glide_ticks, 19u);
  } else if (s.factor == 0.07) {
    EXPECT_EQ(glide_ticks, 70u);
  }
}

TEST(FloatingPageInChromium, DivFollowsTheScrollToItsCorner) {
  testsupport::TempDir dir;
  std::string command =
      "node " + testsupport::quote((testsupport::source_dir() / "tests/webcode/float_probe.js").string()) +
      " " + std::to_string(kWindowWidth) + " " + std::to_string(kWindowHeight) + " " +
      std::to_string(static_cast<int>(kScroll));

  // One folder per scenario, each with the page as the finish page writes it.
  for (const Scenario& s : kScenarios) {
    const fs::path folder = dir.path() / s.name;
    fs::create_directory(folder);
    Module33::html_parts.fill("");
    Module33::html_parts[18] = Module33::html_parts[59] = s.width;
    Module33::html_parts[23] = Module33::html_parts[64] = s.height;
    Module33::target_x_text = s.target_x;
    Module33::target_y_text = "0;";
    Module33::step_x_text = Module33::step_y_text = s.step;
    ASSERT_TRUE(webcode::write_floating_sample((dir.path() / "MellixPlayer.swf").string(), folder.string()));
    command +=
        " " + testsupport::quote(webcode::sample_page_file(webcode::PageKind::floating, folder.string()));
  }

  const auto pages = parse_probe(testsupport::capture(command));
  for (const Scenario& s : kScenarios) {
    SCOPED_TRACE(s.name);
    const auto found = pages.find(s.name);
    ASSERT_NE(found, pages.end()) << "the browser reported nothing for this page";
    check_glide(s, found->second);
  }
}

}  // namespace
