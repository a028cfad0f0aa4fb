// The size boxes of the step-5 pages at the edges (the page tests take 200, 201, 73 and 90).

#include "webcode/movie_size.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(MovieSize, LenientNumbersTheWidthLimitAndTheRatio) {
  const std::pair<const char*, std::optional<double>> numbers[] = {
      {" 1 2\t0\n", 120},  {"1,5", 1}, {"-3.5e1x", -35}, {".5", 0.5},
      {"1e999", HUGE_VAL}, {"-", {}},  {"", {}}};
  for (const auto& [text, number] : numbers) EXPECT_EQ(webcode::leading_number(text), number) << text;
  // Whole pixels, blanks around them trimmed; a refusal names the box at fault.
  const auto read = [](const char* width, const char* height) {
    const auto boxes = webcode::read_size_boxes(width, height);
    return boxes.refusal.empty() ? boxes.size.width + "x" + boxes.size.height : boxes.refusal;
  };
  EXPECT_EQ(read(" 150 ", "\t73\n") + " " + read("0200", "99999"), "150x73 200x99999");
  for (const char* width : {"0", "-5", "abc", "", "1 50", "150.0", "+150"})
    EXPECT_NE(read(width, "73").find("width"), std::string::npos) << width;
  for (const char* height : {"0", " ", "7x", "99999999999"})
    EXPECT_NE(read("150", height).find("height"), std::string::npos) << height;
  // 1.4 / 2.8 = 0.5 goes to the even 0.
  const std::tuple<const char*, std::optional<std::string>, std::optional<std::string>> sizes[] = {
      {"71", "199", "25"}, {"1.4", "4", "0"}, {"-0.1", "0", "0"}, {"abc", {}, {}}, {"1e999", {}, {}}};
  for (const auto& [other, width, height] : sizes) {
    EXPECT_EQ(webcode::width_for_height(other), width) << other;
    EXPECT_EQ(webcode::height_for_width(other), height) << other;
  }
}

}  // namespace
