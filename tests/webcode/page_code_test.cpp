#include "webcode/page_code.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/hooks.h"
#include "webcode/page_env.h"

namespace {

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  lines.push_back(text.substr(start));
  return lines;
}

std::string join_crlf(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

class RecordingBox : public webcode::CodeBox {
 public:
  void set_text(const std::string& text) override {
    text_ = text;
    ++calls;
  }
  std::string text_;
  int calls = 0;
};

class PageCode : public ::testing::Test {
 protected:
  void SetUp() override {
    pagetest::set_parameters();
    Module33::movie_path = "/srv/www/MellixPlayer.swf";
    core::set_yield_hook([this] { ++yields_; });
  }
  void TearDown() override {
    core::set_yield_hook({});
    webcode::set_floating_code_box(nullptr);
    webcode::set_fixed_code_box(nullptr);
  }

  static std::string floating() {
    Module33::code_target = 2;
    Module33::make_floating_code();
    return Module33::html_code;
  }

  int yields_ = 0;
};

// What the code does in a browser is checked in Chromium (floating_browser_test); here, where the
// page's parameters go.
TEST_F(PageCode, FloatingCodeCarriesTheParameters) {
  Module33::movie_path = "C:\\My \"Movies\" & <a> 'b'.swf";
  Module33::target_x_text = "-90;";
  Module33::target_y_text = "12;";
  Module33::step_x_text = "1;";
  Module33::step_y_text = "0.3;";
  Module33::html_parts[18] = Module33::html_parts[59] = "150px";
  Module33::html_parts[23] = Module33::html_parts[64] = "9 0";

  const auto lines = split_lines(floating());
  EXPECT_EQ(lines[5], "width=\"150px\" height=\"9 0\">");
  const std::string movie =
      "C:\\My &quot;Movies&quot; &amp; &lt;a&gt; &#39;b&#39;.swf";  // as an attribute value
  EXPECT_EQ(lines[6], "<param name=\"movie\" value=\"" + movie + "\">");
  EXPECT_EQ(lines[8], "<embed src=\"" + movie + "\"");
  EXPECT_EQ(lines[10], "type=\"application/x-shockwave-flash\" width=\"150px\" height=\"9 0\"></embed>");
  EXPECT_EQ(lines[13], "var target_x = -90;");
  EXPECT_EQ(lines[14], "var target_y =12;");
  EXPECT_EQ(lines[66], " step_x = (fm_shift_x + target_x - fm_next_x) * 1;");
  EXPECT_EQ(lines[69], " step_y = (fm_shift_y + target_y - fm_next_y) *0.3;");
}

TEST_F(PageCode, CodeTargetDecidesWhereTheFloatingCodeGoes) {
  const std::string code = floating();
  RecordingBox step6_box;
  webcode::set_floating_code_box(&step6_box);

  // 1: the step-6 code box; html_code keeps what it held.
  Module33::html_code = "previous";
  Module33::code_target = 1;
  Module33::make_floating_code();
  EXPECT_EQ(step6_box.text_, code);
  EXPECT_EQ(Module33::html_code, "previous");

  // 2: html_code only. Each run lets the events through once.
  yields_ = 0;
  EXPECT_EQ(floating(), code);
  EXPECT_EQ(yields_, 1);
  EXPECT_EQ(step6_box.calls, 1);

  // 0 (and any other value), or 1 without a code box: only the table changes.
  Module33::html_parts.fill("");
  Module33::html_code = "previous";
  Module33::movie_path = "/third.swf";
  for (std::int16_t target : {0, 3, -1}) {
    Module33::code_target = target;
    Module33::make_floating_code();
  }
  webcode::set_floating_code_box(nullptr);
  Module33::code_target = 1;
  Module33::make_floating_code();
  EXPECT_EQ(step6_box.calls, 1);
  EXPECT_EQ(Module33::html_code, "previous");
  EXPECT_EQ(Module33::html_parts[31], "/third.swf\"");
}

TEST_F(PageCode, FixedCodeIsTheObjectLinesEndingInObject) {
  const auto floating_lines = split_lines(floating());  // lines 4-12: the object/embed pair
  std::vector<std::string> expected(floating_lines.begin() + 3, floating_lines.begin() + 12);
  yields_ = 0;
  RecordingBox step5_box;
  webcode::set_fixed_code_box(&step5_box);
  Module33::code_target = 1;  // not looked at
  Module41::make_fixed_code();

  expected.back() = "</object>";
  EXPECT_EQ(Module33::html_code, join_crlf(expected));
  EXPECT_EQ(step5_box.text_, Module33::html_code);
  EXPECT_EQ(yields_, 1);
}

}  // namespace
