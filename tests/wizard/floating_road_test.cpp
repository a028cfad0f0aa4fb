// The floating road's pages: step 5 and its sample page in the browser, step 6 and its Encode.

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWebEngineView>
#include <filesystem>
#include <vector>

#include "core/paths.h"
#include "platform/flash/browser_control.h"
#include "support/audio_files.h"
#include "webcode/page_code.h"
#include "wizard/framework/file_dialog.h"
#include "wizard/pages/finish.h"
#include "wizard/pages/step4_choice.h"
#include "wizard/pages/step5_fixed.h"
#include "wizard/pages/step5_floating.h"
#include "wizard/pages/step6_encode.h"
#include "wizard_fixture.h"

namespace {

using namespace wizard;
using testsupport::read_bytes;
constexpr QRgb kNavy = 0x000080, kOrange = 0xFF8000;

class FloatingRoadTest : public wizard_test::PageTest {
 protected:
  // The page as step 4 shows it, with a navy preview movie holding an orange square.
  Form11& open(int button_type) {
    unload_pages();
    core::button_type = static_cast<std::int16_t>(button_type);
    testsupport::write_bytes(appdir.spd("temp.swf"), test_movies::square_movie(kNavy, kOrange));
    page<Form11>().Show();
    qt_test::wait_until([] { return page<Form11>().loads() >= 2; }, 1000);  // created, then activated
    return page<Form11>();
  }
  // Offsets and factors, the size entries, the size boxes: "0;0;0.07;0.07; 200x73 200x73".
  static std::string state(const Form11& page) {
    const auto& p = Module33::html_parts;
    return Module33::target_x_text + Module33::target_y_text + Module33::step_x_text + Module33::step_y_text +
           " " + p[18] + "x" + p[23] + " " + (page.Text3->text() + "x" + page.Text4->text()).toStdString();
  }
  bool sample_has(const std::string& text) const {
    return read_bytes(appdir.spd("web/test.htm")).find(text) != std::string::npos;
  }
};

// Without a button type the right corner keeps the offsets and no size is given.
TEST_F(FloatingRoadTest, WithoutAButtonTypeTheCornerKeepsItsOffsets) {
  Form11& page = open(3);
  page.Option5->click();
  page.Option2->click();
  EXPECT_EQ(state(page), "0;0;0.3;0.3; x x");
}

TEST_F(FloatingRoadTest, SizeBoxesAcceptAndAVisitThatResetsAllButTheChoices) {
  Form11& page = open(1);
  const auto accept = [&](const char* width, const char* height) {
    page.Text3->setText(width);
    page.Text4->setText(height);
    page.Command6->click();
  };
  accept("201", "73");
  EXPECT_EQ(boxes().texts(), std::vector<std::string>{"Please Choose less than 200"});
  accept("150abc", "50");
  EXPECT_NE(boxes().texts().back().find("width"), std::string::npos);
  accept(" 150 ", "50\t");
  EXPECT_TRUE(sample_has("width=\"150\" height=\"50\"></embed>"));
  accept("200", "73");

  // Entering a box by the mouse or the keyboard fills it from the other at the ratio 2.8.
  page.Text3->setFocus(Qt::MouseFocusReason);
  EXPECT_EQ(page.Text3->text(), "200");  // 204.4 is too wide
  page.Text4->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(page.Text4->text(), "71");
  page.Text3->setText("90");
  page.Text4_GotFocus();
  EXPECT_EQ(page.Text4->text(), "32");

  page.Option5->click();
  page.Option1->click();
  page.Command7->click();
  page.Hide();
  page.Show();
  EXPECT_EQ(state(page), "-200;0;1;1; 200x73 200x73");
  EXPECT_TRUE(page.Option1->isChecked() && !page.WebBrowser1->isHidden() && page.Text5->isHidden());
  EXPECT_TRUE(!std::filesystem::exists(appdir.spd("web/test.htm")) &&
              page.WebBrowser1->LocationName() == appdir.spd("web/t.htm"));
  EXPECT_TRUE(page.Text1->isHidden() && page.Text2->isHidden() && page.Command4->isHidden());

  // The page's text before any refresh: the code made while loading, around the preview movie.
  page.Command7->click();
  EXPECT_TRUE(page.WebBrowser1->isHidden() && page.Text5->geometry() == page.WebBrowser1->geometry());
  const std::string shown = page.Text5->toPlainText().toStdString();
  EXPECT_NE(shown.find("<embed src=\"" + appdir.spd("temp.swf") + "\""), std::string::npos);
}

// Back from step 6 the page keeps the size it accepted, and its code and step 6's follow its marks
// and boxes; a style of the other kind starts from its own size.
TEST_F(FloatingRoadTest, BackFromStep6KeepsTheAcceptedSizeAndTheCodeFollowsTheMarks) {
  core::sam_selected = {true, false, false, false, false, false};
  core::button_color = "FF0000";
  Form11& page = open(1);
  page.Option5->click();
  page.Option2->click();
  page.Text3->setText("150");
  page.Text4->setText("60");
  page.Command6->click();
  const auto back_from_step6 = [&]() -> std::vector<std::string> {  // step 6's code, then the page's
    page.Command5->click();
    const int loads = page.loads();
    const std::string step6 = wizard::page<Form7>().Text2->toPlainText().toStdString();
    wizard::page<Form7>().Command2->click();
    EXPECT_TRUE(qt_test::wait_until([&] { return page.isVisible() && page.loads() > loads; }, 2000));
    page.Command7->click();
    return {step6, page.Text5->toPlainText().toStdString()};
  };
  for (int visit = 0; visit < 2; ++visit) {
    const std::vector<std::string> codes = back_from_step6();
    EXPECT_EQ(state(page), "-200;0;0.3;0.3; 150x60 150x60");
    for (const std::string& code : codes)
      for (const char* part : {"var target_x = -200;", "fm_next_x) * 0.3;", "width=\"150\" height=\"60\""})
        EXPECT_NE(code.find(part), code.npos) << "visit " << visit << ":\n" << code;
  }
  core::button_type = 2;  // the style became a square button meanwhile
  const std::string shown = back_from_step6().back();
  EXPECT_EQ(state(page), "-90;0;0.3;0.3; 90x90 90x90");
  EXPECT_NE(shown.find("var target_x = -90;"), shown.npos);
}

// Once the page and its movie are there: scrolls by 600 pixels and records each tick of the page's
// script after it as [fm_next_y, left, top] of the div in the window.
constexpr char kProbe[] = R"(if (typeof float_menu == 'function' && document.querySelector('ruffle-embed')) {
  window.__ticks = []; const original = window.float_menu;
  window.float_menu = function () { original();
    const r = document.getElementById('floatdiv').getBoundingClientRect();
    if (pageYOffset > 0) __ticks.push([fm_next_y, r.left, r.top]); };
  window.scrollTo(0, 600); true } else false)";

TEST_F(FloatingRoadTest, TheScrolledSamplePageFloatsTheDrawnMovieToItsCorner) {
  const struct {
    int button_type, movie_width, from_right;  // from_right 0: top left
    double factor;
  } cases[] = {{1, 200, 0, 1}, {2, 90, 90, 0.07}};
  for (const auto& c : cases) {
    Form11& page = open(c.button_type);
    (c.from_right ? page.Option5 : page.Option4)->click();
    (c.factor == 1 ? page.Option1 : page.Option3)->click();
    auto& browser = *page.WebBrowser1;
    const auto js = [&](const QString& script) {
      QVariant result;
      bool done = false;
      if (browser.view())
        browser.view()->page()->runJavaScript(script, [&](const QVariant& value) {
          result = value;
          done = true;
        });
      qt_test::wait_until([&] { return done; }, 5000);
      return result;
    };
    ASSERT_TRUE(qt_test::wait_until([&] { return js(kProbe).toBool(); }));
    ASSERT_TRUE(qt_test::wait_until([&] {
      return js("__ticks.length >= 10 && __ticks.slice(-10).every((t) => t[0] === 600)").toBool();
    }));
    const QVariantList ticks = js("__ticks").toList();

    EXPECT_DOUBLE_EQ(ticks.front().toList()[0].toDouble(), 600 * c.factor);  // the factor of the way
    EXPECT_EQ(ticks.size() > 50, c.factor < 1) << ticks.size() << " ticks";  // gliding takes many
    const int visible = js("visualViewport.width").toInt();  // at the right: whole, left of the scrollbar
    ASSERT_LT(visible, js("innerWidth").toInt()) << "the page shows no scrollbar";
    const int left = c.from_right ? visible - c.from_right : 0;
    EXPECT_EQ(ticks.back().toList().mid(1), QVariantList({left, 0}));
    EXPECT_TRUE(qt_test::wait_until([&] {  // drawn there: the stage around the square in its middle
      const QImage shot = qt_test::grab(browser);
      return (shot.pixel(left + 4, 36) & 0xFFFFFF) == kNavy &&
             (shot.pixel(left + c.movie_width / 2, 36) & 0xFFFFFF) == kOrange;
    }));
  }
}

// Step 6, reached from step 4: the code box, autoplay, Back, and Encode to the finish page.
TEST_F(FloatingRoadTest, Step6CodeAutoplayBackAndEncode) {
  core::sam_selected = {true, false, false, false, false, false};
  core::button_type = 1;
  core::button_color = "FF0000";
  testsupport::TempDir tmp;
  core::source_filename = tmp.file("tone.mp3");
  core::source_type = "mp3";
  testsupport::tone_mp3(core::source_filename);
  std::string answer;  // the save dialog's; "" cancels it
  CommonDialog::set_chooser([&](const std::string&, bool) { return answer; });
  page<Form3>().Show();
  page<Form3>().Option2->click();
  page<Form3>().Command2->click();
  page<Form11>().Option5->click();
  page<Form11>().Command5->click();
  Form7& step6 = page<Form7>();
  const auto embeds = [&](const std::string& movie) {
    const std::string code = step6.Text2->toPlainText().toStdString();
    return code.find("var target_x = -200;") != code.npos &&
           code.find("<embed src=\"" + movie + "\"") != code.npos;
  };
  EXPECT_TRUE(step6.isVisible() && embeds(core::drive_c_path("MellixPlayer.swf")));

  // The code follows the path typed or chosen, a name typed alone as Encode takes it; a
  // cancelled dialog changes nothing.
  step6.Text1->setText("relative.swf");
  EXPECT_TRUE(embeds(core::drive_c_path("relative.swf")));
  step6.Text1->setText("/srv/site/typed.swf");
  EXPECT_TRUE(embeds("/srv/site/typed.swf"));
  answer = tmp.file("out.swf");
  step6.Command1->click();
  answer.clear();
  step6.Command1->click();
  EXPECT_TRUE(step6.Text1->text().endsWith("/out.swf") && embeds(tmp.file("out.swf")));
  step6.Text2->appendPlainText("<!-- mine -->");
  step6.Command6->click();
  EXPECT_EQ(QApplication::clipboard()->text(), step6.Text2->toPlainText());

  // Autoplay composes; Back drops the built movie.
  const std::string plain = read_bytes(core::spd_path("temp.swf"));
  step6.Check1->click();
  EXPECT_NE(read_bytes(core::spd_path("temp.swf")), plain);
  testsupport::write_bytes(core::spd_path("final.swf"), "movie");
  step6.Command2->click();
  EXPECT_TRUE(!std::filesystem::exists(core::spd_path("final.swf")) && core::step_code == 11);
  page<Form11>().Command5->click();

  // Encode holds Back while it works and ends on the finish page with the floating sample.
  bool held = false;
  core::set_yield_hook([&] { held = held || !step6.Command2->isEnabled(); });
  step6.Command3->click();
  core::set_yield_hook([] { QCoreApplication::processEvents(); });
  CommonDialog::set_chooser({});
  EXPECT_TRUE(held && step6.Command2->isEnabled() && page<Form12>().isVisible() && core::step_code == 7 &&
              page<Form12>().autoplay_chosen());
  EXPECT_EQ(read_bytes(tmp.file("out.swf")), read_bytes(core::spd_path("final.swf")));
  EXPECT_TRUE(sample_has("<embed src=\"" + tmp.file("out.swf") + "\""));
  page<Form12>().Command1->click();
  EXPECT_TRUE(step6.isVisible());

  // The fixed road encodes without autoplay: the box still ticked on step 6 does not count.
  step6.Command2->click();
  page<Form11>().Command3->click();
  page<Form3>().Option1->click();
  page<Form3>().Command2->click();
  page<Form14>().Text2->setText(QString::fromStdString(tmp.file("fixed.swf")));
  page<Form14>().Command2->click();
  EXPECT_TRUE(page<Form12>().isVisible() && step6.Check1->isChecked() && !page<Form12>().autoplay_chosen());
}

}  // namespace
