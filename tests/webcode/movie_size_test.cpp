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
  EXPECT_FALSE(webcode::width_accepted("200.01") || webcode::width_accepted("9e999"));
  EXPECT_TRUE(webcode::width_accepted(""));  // no number counts as 0
  // 1.4 / 2.8 = 0.5 goes to the even 0.
  const std::tuple<const char*, std::optional<std::string>, std::optional<std::string>> sizes[] = {
      {"71", "199", "25"}, {"1.4", "4", "0"}, {"-0.1", "0", "0"}, {"abc", {}, {}}, {"1e999", {}, {}}};
  for (const auto& [other, width, height] : sizes) {
    EXPECT_EQ(webcode::width_for_height(other), width) << other;
    EXPECT_EQ(webcode::height_for_width(other), height) << other;
  }
}

}  // namespace
