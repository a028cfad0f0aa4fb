#include "webcode/page_code.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/hooks.h"
#include "webcode/page_env.h"

namespace {

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

  const std::string code = floating();
  const std::string movie =
      "C:\\My &quot;Movies&quot; &amp; &lt;a&gt; &#39;b&#39;.swf";  // as an attribute value
  const std::string lines[] = {
      "width=\"150px\" height=\"9 0\">",
      "<param name=\"movie\" value=\"" + movie + "\">",
      "<embed src=\"" + movie + "\"",
      "type=\"application/x-shockwave-flash\" width=\"150px\" height=\"9 0\"></embed>",
      "var target_x = -90;",
      "var target_y =12;",
      " step_x = (fm_shift_x + target_x - fm_next_x) * 1;",
      " step_y = (fm_shift_y + target_y - fm_next_y) *0.3;"};
  for (const std::string& line : lines)
    EXPECT_NE(code.find("\r\n" + line + "\r\n"), std::string::npos) << line;
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

// The fixed code is the floating code's object and embed lines, closed by "</object>".
TEST_F(PageCode, FixedCodeIsTheObjectLinesEndingInObject) {
  const std::string code = floating();
  yields_ = 0;
  RecordingBox step5_box;
  webcode::set_fixed_code_box(&step5_box);
  Module33::code_target = 1;  // not looked at
  Module41::make_fixed_code();
  const std::string& fixed = Module33::html_code;
  ASSERT_TRUE(fixed.starts_with("<object") && fixed.ends_with("></embed>\r\n</object>\r\n")) << fixed;
  EXPECT_NE(code.find("\r\n" + fixed.substr(0, fixed.size() - 11)), std::string::npos);
  EXPECT_EQ(step5_box.text_, fixed);
  EXPECT_EQ(yields_, 1);
}

}  // namespace
