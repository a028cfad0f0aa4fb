// Headless Chromium scrolls floating sample pages; the div "floatdiv" must follow tick by tick.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "webcode/page_env.h"
#include "webcode/sample_page.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 400;
constexpr double kScroll = 1000;  // the sample page's filler makes it about 2000 px tall

// One run of the page's float_menu() as the browser reported it.
struct Tick {
  int scrolled = 0;
  double next_y = 0;  // the script's own position value
  std::string style_left, style_top;
  double rect_left = 0, rect_top = 0;  // where the div is drawn, in page coordinates
};

struct Scenario {
  const char* name;
  const char* movie;  // file name of the movie beside the page
  const char* width;
  const char* height;
  const char* target_x;
  const char* step;
  double settled_x;   // left edge of the div once settled
  std::size_t ticks;  // ticks that move the div: 0.3 from 1000 px takes 18 full steps and the rest
};

// Top-left and top-right corners as the floating step-5 page sets them, each speed once.
const Scenario kScenarios[] = {
    {"top_left_factor_1", "MellixPlayer.swf", "200", "73", "0;", "1;", 0, 1},
    {"top_right_wide_factor_0_3", "a \"b\" & <c> 'd'.swf", "200", "73", "-200;", "0.3;", kWindowWidth - 200,
     19},
    {"top_right_square_factor_0_07", "MellixPlayer.swf", "90", "90", "-90;", "0.07;", kWindowWidth - 90, 70},
};

struct Page {
  std::vector<Tick> ticks;
  std::string movie;  // "src<tab>movie parameter"
};

// What the probe saw of each page, by folder name.
std::map<std::string, Page> parse_probe(const std::string& output) {
  std::map<std::string, Page> pages;
  Page* current = nullptr;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream in(line);
    std::string word;
    Tick t;
    if (line.starts_with("page "))
      current = &pages[fs::path(line.substr(5)).parent_path().filename().string()];
    else if (current && line.starts_with("movie "))
      current->movie = line.substr(6);
    else if (current &&
             in >> word >> t.scrolled >> t.next_y >> t.style_left >> t.style_top >> t.rect_left >>
                 t.rect_top &&
             word == "tick")
      current->ticks.push_back(t);
  }
  return pages;
}

// After the scroll the first tick goes the step factor of the way, and the div glides on in
// `s.ticks` moves to the scroll offset (the browser's own arithmetic); there it stays.
void check_glide(const Scenario& s, const std::vector<Tick>& ticks) {
  std::size_t first_scrolled = 0;
  while (first_scrolled < ticks.size() && !ticks[first_scrolled].scrolled) ++first_scrolled;
  ASSERT_GE(first_scrolled, 1u) << "no tick before the scroll";
  ASSERT_LE(first_scrolled + 10, ticks.size()) << "too few ticks after the scroll";
  EXPECT_EQ(ticks[first_scrolled].next_y, kScroll * std::stod(s.step));
  std::size_t glide_ticks = 0;
  for (std::size_t i = 0; i < ticks.size(); ++i) {  // at the corner from the start
    SCOPED_TRACE("tick " + std::to_string(i));
    glide_ticks += i >= first_scrolled && ticks[i].next_y != ticks[i - 1].next_y;
    EXPECT_NEAR(ticks[i].rect_top, ticks[i].next_y, 1.0 / 64 + 1e-9);  // layout keeps 1/64 px
    EXPECT_EQ(ticks[i].rect_left, s.settled_x);
  }
  EXPECT_EQ(glide_ticks, s.ticks);

  // Settled at scroll offset + target.
  EXPECT_EQ(ticks.back().rect_top, kScroll);
  EXPECT_EQ(ticks.back().style_top, "1000px");
  EXPECT_EQ(ticks.back().style_left, std::to_string(static_cast<int>(s.settled_x)) + "px");
}

TEST(FloatingPageInChromium, DivFollowsTheScrollToItsCorner) {
  testsupport::TempDir dir;
  std::string command =
      "node " + testsupport::quote((testsupport::source_dir() / "tests/webcode/float_probe.js").string()) +
      " " + std::to_string(kWindowWidth) + " " + std::to_string(kWindowHeight) + " 1000";
  for (const Scenario& s : kScenarios) {  // one folder per page, as the finish page writes it
    const fs::path folder = dir.path() / s.name;
    fs::create_directory(folder);
    pagetest::set_parameters(s.width, s.height, s.target_x, s.step);
    ASSERT_TRUE(webcode::write_floating_sample((dir.path() / s.movie).string(), folder.string()));
    command +=
        " " + testsupport::quote(webcode::sample_page_file(webcode::PageKind::floating, folder.string()));
  }

  const auto pages = parse_probe(testsupport::capture(command));
  for (const Scenario& s : kScenarios) {
    SCOPED_TRACE(s.name);
    ASSERT_TRUE(pages.contains(s.name)) << "the browser reported nothing for this page";
    check_glide(s, pages.at(s.name).ticks);
    const std::string movie = (dir.path() / s.movie).string();  // read back whole from both tags
    EXPECT_EQ(pages.at(s.name).movie, movie + "\t" + movie);
  }
}

}  // namespace
