#include "platform/flash/browser_control.h"

#include <gtest/gtest.h>

#include <QWebEngineView>

#include "platform_flash/qt_test_app.h"
#include "platform_flash/test_movies.h"
#include "support/test_support.h"

namespace {

using platform::flash::BrowserControl;
using qt_test::grab;
using qt_test::share_of;
using qt_test::wait_until;

constexpr QRgb kNavy = 0x000080;
constexpr QRgb kOrange = 0xFF8000;
constexpr QRgb kGreen = 0x00FF00;

// A page as the sample pages put a movie on it: an <object> for the ActiveX control holding
// an <embed> for the plug-in, at the top-left corner of a page of the given colour.
std::string sample_page(const std::string& movie, const std::string& page_colour) {
  return "<html><head><title>sample</title></head><body style=\"margin:0;background:" + page_colour +
         "\">\r\n"
         "<object classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\" "
         "codebase=\"http://download.macromedia.com/pub/shockwave/cabs/flash/swflash.cab#version=6,0,29,0\" "
         "width=\"200\" height=\"150\">\r\n"
         "<param name=\"movie\" value=\"" +
         movie +
         "\">\r\n<param name=\"quality\" value=\"high\">\r\n"
         "<embed src=\"" +
         movie +
         "\" quality=\"high\" pluginspage=\"http://www.macromedia.com/go/getflashplayer\" "
         "type=\"application/x-shockwave-flash\" width=\"200\" height=\"150\"></embed>\r\n"
         "</object>\r\n</body></html>\r\n";
}

class BrowserControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qt_test::app();
    window = std::make_unique<QWidget>();
    window->resize(420, 320);
    browser = new BrowserControl(window.get());
    browser->Left(150);
    browser->Top(150);
    browser->Width(400 * 15);
    browser->Height(300 * 15);
  }

  std::string write(const std::string& name, const std::string& bytes) {
    testsupport::write_bytes(dir.file(name), bytes);
    return dir.file(name);
  }

  testsupport::TempDir dir;
  std::unique_ptr<QWidget> window;
  BrowserControl* browser = nullptr;
};

TEST_F(BrowserControlTest, PlacementIsInTwips) {
  EXPECT_EQ(browser->geometry(), QRect(10, 10, 400, 300));
  EXPECT_EQ(browser->Width(), 6000);
  EXPECT_EQ(browser->Height(), 4500);
  EXPECT_EQ(browser->Left(), 150);
  EXPECT_EQ(browser->Top(), 150);
}

// The movie of a page's classic markup plays: Ruffle stands in for the plug-in. The stage is
// 400 x 300 shown at 200 x 150: the square covers 50 x 50 pixels in its middle.
TEST_F(BrowserControlTest, APagesEmbeddedMoviePlays) {
  write("movie.swf", test_movies::square_movie(kNavy, kOrange));
  browser->Navigate(write("page.htm", sample_page("movie.swf", "#00ff00")));
  window->show();
  ASSERT_TRUE(wait_until([&] { return share_of(grab(*browser), kOrange, QRect(75, 50, 50, 50)) > 0.9; }))
      << "the movie's square is not on the page";
  const QImage image = grab(*browser);
  EXPECT_EQ(image.pixel(10, 10) & 0xFFFFFF, kNavy) << "the movie's stage at the top-left corner";
  EXPECT_EQ(image.pixel(300, 250) & 0xFFFFFF, kGreen) << "the page around it";
  EXPECT_EQ(browser->LocationName(), dir.file("page.htm"));
}

// The sample pages name the movie by its absolute path.
TEST_F(BrowserControlTest, AnAbsoluteMoviePathWorks) {
  const std::string movie = write("abs.swf", test_movies::square_movie(kNavy, kOrange));
  testsupport::TempDir other;
  testsupport::write_bytes(other.file("t.htm"), sample_page(movie, "#ffffff"));
  browser->Navigate(other.file("t.htm"));
  window->show();
  EXPECT_TRUE(wait_until([&] { return share_of(grab(*browser), kOrange, QRect(75, 50, 50, 50)) > 0.9; }));
}

// A page written again under the same name shows its new content; a hidden control keeps no
// view and shows the page again when shown.
TEST_F(BrowserControlTest, ShowsTheRewrittenPageAndSurvivesHiding) {
  write("movie.swf", test_movies::square_movie(kNavy, kOrange));
  const std::string page = write("test.htm", sample_page("movie.swf", "#00ff00"));
  browser->Navigate(page);
  window->show();
  ASSERT_TRUE(wait_until([&] { return share_of(grab(*browser), kGreen) > 0.5; }));

  write("test.htm", sample_page("movie.swf", "#000080"));
  browser->Navigate(page);
  ASSERT_TRUE(wait_until([&] { return share_of(grab(*browser), kNavy) > 0.9; }))
      << "the old page is still shown";

  browser->Visible(false);
  EXPECT_EQ(browser->view(), nullptr);
  browser->Visible(true);
  ASSERT_NE(browser->view(), nullptr);
  EXPECT_TRUE(wait_until([&] { return share_of(grab(*browser), kNavy) > 0.9; }));
}

TEST_F(BrowserControlTest, AMissingPageReportsFailure) {
  bool loaded = true;
  int reports = 0;
  QObject::connect(browser, &BrowserControl::pageLoaded, [&](bool ok) {
    loaded = ok;
    ++reports;
  });
  browser->Navigate(dir.file("nowhere.htm"));
  window->show();
  ASSERT_TRUE(wait_until([&] { return reports > 0; }));
  EXPECT_FALSE(loaded);
}

}  // namespace
