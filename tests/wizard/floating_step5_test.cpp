// The floating step-5 page: its parameters, the size boxes, the visits, and the live sample page
// in the embedded browser as it scrolls.

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWebEngineView>
#include <algorithm>
#include <filesystem>

#include "platform/flash/browser_control.h"
#include "webcode/page_code.h"
#include "wizard/design/floating_step5_page.h"
#include "wizard_fixture.h"

namespace {

using wizard::Form11;
using Option = QRadioButton* Form11::*;

constexpr QRgb kNavy = 0x000080, kOrange = 0xFF8000;

class FloatingStep5Test : public wizard_test::PageTest {
 protected:
  // The page as step 4 shows it, with a navy preview movie holding an orange square.
  Form11& open(int button_type) {
    core::button_type = static_cast<std::int16_t>(button_type);
    testsupport::write_bytes(appdir.spd("temp.swf"), test_movies::square_movie(kNavy, kOrange));
    Form11& page = wizard::page<Form11>();
    page.Show();
    qt_test::wait_until([&] { return page.loads() >= 2; }, 1000);  // created, then activated
    return page;
  }
  static std::string text(const QLineEdit* box) { return box->text().toStdString(); }
  std::string sample() const { return testsupport::read_bytes(appdir.spd("web/test.htm")); }
};

TEST_F(FloatingStep5Test, OptionsSetTheCodeParametersForEachButtonType) {
  const struct {
    Option option;
    const char* target_x[3];  // wide player, square button, no button type
    const char* step;
  } clicks[] = {
      {&Form11::Option5, {"-200;", "-90;", "0;"}, "0.07;"},
      {&Form11::Option1, {"-200;", "-90;", "0;"}, "1;"},
      {&Form11::Option2, {"-200;", "-90;", "0;"}, "0.3;"},
      {&Form11::Option3, {"-200;", "-90;", "0;"}, "0.07;"},
      {&Form11::Option4, {"0;", "0;", "0;"}, "0.07;"},
  };
  const std::pair<std::string, std::string> sizes[] = {{"200", "73"}, {"90", "90"}, {"", ""}};
  for (int type : {1, 2, 3}) {
    SCOPED_TRACE("button type " + std::to_string(type));
    wizard::unload_pages();
    Form11& page = open(type);
    EXPECT_EQ(Module33::target_x_text + Module33::step_x_text, "0;0.07;");
    EXPECT_EQ(std::pair(text(page.Text3), text(page.Text4)), sizes[type - 1]);
    EXPECT_EQ(std::pair(Module33::html_parts[59], Module33::html_parts[64]), sizes[type - 1]);
    for (const auto& click : clicks) {
      (page.*click.option)->click();
      EXPECT_EQ(Module33::target_x_text + Module33::target_y_text,
                click.target_x[type - 1] + std::string("0;"));
      EXPECT_EQ(Module33::step_x_text + Module33::step_y_text, click.step + std::string(click.step));
      EXPECT_NE(sample().find(std::string("var target_x = ") + click.target_x[type - 1]), std::string::npos);
    }
    EXPECT_EQ(page.WebBrowser1->LocationName(), appdir.spd("web/test.htm"));
  }
}

TEST_F(FloatingStep5Test, AcceptTakesWidthsUpTo200AndTheBoxesFollowEachOther) {
  Form11& page = open(1);
  page.Text3->setText("201");
  page.Command6->click();
  EXPECT_EQ(boxes().texts(), std::vector<std::string>{"Please Choose less than 200"});
  EXPECT_EQ(Module33::html_parts[18], "200");
  page.Text3->setText("150abc");
  page.Text4->setText("5x");
  page.Command6->click();
  EXPECT_EQ(boxes().texts().size(), 1u);
  EXPECT_NE(sample().find("width=\"150abc\" height=\"5x\"></embed>"), std::string::npos);
  page.Text3->setText("200");
  page.Command6->click();
  EXPECT_EQ(Module33::html_parts[59], "200");

  // Entering a box by the mouse fills it from the other at the ratio 2.8.
  page.Text4->setText("73");
  page.Text3->setFocus(Qt::MouseFocusReason);
  EXPECT_EQ(text(page.Text3), "200");  // 204.4 is too wide
  page.Text4->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(text(page.Text4), "71");
  page.Text3->setText("90");
  page.Text4_GotFocus();
  EXPECT_EQ(text(page.Text4), "32");
  page.Text4->setText("tall");  // no number: the width box stays as typed
  page.Text3_GotFocus();
  EXPECT_EQ(text(page.Text3), "90");
}

TEST_F(FloatingStep5Test, AVisitKeepsTheCornerAndResetsSpeedSizeAndPage) {
  Form11& page = open(1);
  page.Option5->click();
  page.Option1->click();
  page.Text3->setText("120");
  page.Command6->click();
  page.Command7->click();
  page.Hide();
  page.Show();
  EXPECT_EQ(Module33::target_x_text + Module33::step_x_text + Module33::html_parts[18], "-200;0.07;200");
  EXPECT_TRUE(page.Option1->isChecked());
  EXPECT_FALSE(std::filesystem::exists(appdir.spd("web/test.htm")));
  EXPECT_TRUE(!page.WebBrowser1->isHidden() && page.Text5->isHidden());
  EXPECT_EQ(page.WebBrowser1->LocationName(), appdir.spd("web/t.htm"));
  EXPECT_TRUE(page.Text1->isHidden() && page.Text2->isHidden() && page.Command4->isHidden());

  // The page's text before any refresh: the code made while loading, around the preview movie.
  page.Command7->click();
  EXPECT_TRUE(page.WebBrowser1->isHidden());
  EXPECT_EQ(page.Text5->geometry(), page.WebBrowser1->geometry());
  const std::string shown = page.Text5->toPlainText().toStdString();
  EXPECT_TRUE(shown.starts_with("<HTML><HEAD></HEAD><BODY><H1>Web Audio with Floating Buttons </H1><div"));
  EXPECT_NE(shown.find("<embed src=\"" + appdir.spd("temp.swf") + "\""), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(appdir.spd("web/test.htm")));
}

// Runs `script` in the page the browser shows and returns its value.
QVariant run_js(platform::flash::BrowserControl& browser, const QString& script) {
  QVariant result;
  bool done = false;
  if (!browser.view()) return result;
  browser.view()->page()->runJavaScript(script, [&](const QVariant& value) {
    result = value;
    done = true;
  });
  qt_test::wait_until([&] { return done; }, 5000);
  return result;
}

// The script's ticks after the page scrolled, each as [fm_next_y, div left, div top] in the
// window, recorded from the first tick on; settled once ten ticks leave the div in place.
constexpr char kProbe[] = R"(
  window.__ticks = [];
  const original = window.float_menu;
  window.float_menu = function () {
    original();
    const r = document.getElementById('floatdiv').getBoundingClientRect();
    if (pageYOffset > 0) __ticks.push([fm_next_y, r.left, r.top]);
  };
  window.scrollTo(0, 600);
  true)";
constexpr char kSettled[] = R"(
  __ticks.length >= 10 && __ticks.slice(-10).every((t) => t[0] === __ticks[__ticks.length - 1][0]))";

TEST_F(FloatingStep5Test, TheScrolledSamplePageFloatsTheDrawnMovieToItsCorner) {
  const struct {
    int button_type;
    Option corner, speed;
    int movie_width, from_right;  // from_right 0: top left
    double factor;
  } cases[] = {{1, &Form11::Option4, &Form11::Option1, 200, 0, 1},
               {2, &Form11::Option5, &Form11::Option3, 90, 90, 0.07}};
  for (const auto& c : cases) {
    SCOPED_TRACE("button type " + std::to_string(c.button_type));
    wizard::unload_pages();
    Form11& page = open(c.button_type);
    (page.*c.corner)->click();
    (page.*c.speed)->click();
    auto& browser = *page.WebBrowser1;
    ASSERT_TRUE(qt_test::wait_until([&] {
      return run_js(browser, "typeof float_menu == 'function' && !!document.querySelector('ruffle-embed')")
          .toBool();
    }));
    ASSERT_TRUE(run_js(browser, kProbe).toBool());
    ASSERT_TRUE(qt_test::wait_until([&] { return run_js(browser, kSettled).toBool(); }));
    const QVariantList ticks = run_js(browser, "__ticks").toList();
    const int inner_width = run_js(browser, "innerWidth").toInt();

    // The first tick after the scroll covers the factor of the way; gliding takes many ticks.
    EXPECT_DOUBLE_EQ(ticks.front().toList()[0].toDouble(), 600 * c.factor);
    const auto moving = std::count_if(ticks.begin(), ticks.end(),
                                      [&](const QVariant& t) { return t.toList()[0].toDouble() != 600; });
    EXPECT_EQ(moving > 30, c.factor < 1) << moving << " ticks to reach the corner";
    const QVariantList last = ticks.back().toList();
    const int left = c.from_right ? inner_width - c.from_right : 0;
    EXPECT_EQ(last[1].toInt(), left);
    EXPECT_EQ(last[2].toInt(), 0);

    // Drawn at the corner: the stage around the square in the middle of the movie.
    EXPECT_TRUE(qt_test::wait_until(
        [&] {
          const QImage shot = qt_test::grab(browser);
          return (shot.pixel(left + 4, 36) & 0xFFFFFF) == kNavy &&
                 (shot.pixel(left + c.movie_width / 2, 36) & 0xFFFFFF) == kOrange;
        },
        5000));
  }
}

}  // namespace
