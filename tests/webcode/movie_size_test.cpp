// The size boxes of the step-5 pages: lenient numbers, the width limit, the 2.8 ratio.

#include "webcode/movie_size.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(LeadingNumber, ReadsThePrefixThatFormsANumber) {
  const struct {
    const char* text;
    std::optional<double> number;
  } cases[] = {
      {"150abc", 150}, {" 1 2\t0\n", 120}, {"1,5", 1},    {"-3.5e1x", -35}, {".5", 0.5},
      {"7.", 7},       {"2e", 2},          {"+8", 8},     {"abc", {}},      {"", {}},
      {"-", {}},       {".", {}},          {"1e-999", 0}, {"\r5", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(webcode::leading_number(c.text), c.number) << '"' << c.text << '"';
  EXPECT_EQ(webcode::leading_number("1e999"), HUGE_VAL);
}

// The page tests take the everyday sizes (200, 201, 73, 90); these are the edges around them.
TEST(MovieSize, WidthLimitAndRatio) {
  EXPECT_FALSE(webcode::width_accepted("200.01") || webcode::width_accepted("9e999"));
  EXPECT_TRUE(webcode::width_accepted(""));  // no number counts as 0
  const struct {
    const char* other;
    std::optional<std::string> width, height;
  } cases[] = {
      {"71", "199", "25"}, {"1.4", "4", "0"} /* 0.5 to the even 0 */, {"-0.1", "0", "0"}, {"abc", {}, {}},
      {"1e999", {}, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(webcode::width_for_height(c.other), c.width) << c.other;
    EXPECT_EQ(webcode::height_for_width(c.other), c.height) << c.other;
  }
}

}  // namespace
