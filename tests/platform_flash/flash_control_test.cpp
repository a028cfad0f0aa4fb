#include "platform/flash/flash_control.h"

#include <gtest/gtest.h>

#include <QWebEngineView>

#include "platform_flash/qt_test_app.h"
#include "platform_flash/test_movies.h"
#include "support/test_support.h"

namespace {

using platform::flash::FlashControl;
using qt_test::grab;
using qt_test::share_of;
using qt_test::wait_until;

constexpr QRgb kNavy = 0x000080;
constexpr QRgb kOrange = 0xFF8000;
constexpr QRgb kGreen = 0x00FF00;
constexpr QRgb kWhite = 0xFFFFFF;

class FlashControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qt_test::app();
    window = std::make_unique<QWidget>();
    window->resize(400, 300);
    flash = new FlashControl(window.get());
    flash->Left(0);
    flash->Top(0);
    flash->Width(400 * 15);
    flash->Height(300 * 15);
  }

  // Writes a movie file into the temporary folder and returns its path.
  std::string movie(const std::string& name, const std::string& bytes) {
    const auto path = dir.file(name);
    testsupport::write_bytes(path, bytes);
    return path;
  }

  bool shows(QRgb rgb, double share, QRect area = {}) {
    return wait_until([&] { return share_of(grab(*flash), rgb, area) >= share; });
  }

  testsupport::TempDir dir;
  std::unique_ptr<QWidget> window;
  FlashControl* flash = nullptr;
};

TEST_F(FlashControlTest, ShowsTheLoadedMovie) {
  flash->LoadMovie(0, movie("still.swf", test_movies::square_movie(kNavy, kOrange)));
  window->show();
  // The square is 100 x 100 of the 400 x 300 stage: a twelfth of the pixels are orange.
  ASSERT_TRUE(shows(kOrange, 0.07)) << "no movie pixels";
  const QImage image = grab(*flash);
  EXPECT_EQ(image.pixel(200, 150) & 0xFFFFFF, kOrange);
  EXPECT_EQ(image.pixel(20, 20) & 0xFFFFFF, kNavy);
}

TEST_F(FlashControlTest, PlacementIsInTwips) {
  flash->Left(1500);
  flash->Top(300);
  flash->Width(1455);
  flash->Height(1695);
  EXPECT_EQ(flash->geometry(), QRect(100, 20, 97, 113));
  EXPECT_EQ(flash->Left(), 1500);
  EXPECT_EQ(flash->Top(), 300);
  EXPECT_EQ(flash->Width(), 1455);
  EXPECT_EQ(flash->Height(), 1695);
  flash->Visible(false);
  EXPECT_FALSE(flash->Visible());
  flash->Visible(true);
  EXPECT_TRUE(flash->Visible());
}

// A control wider than the movie's stage keeps the stage's proportions: the stage fills the
// height, and the spare strips left and right take the background colour.
TEST_F(FlashControlTest, BackgroundColourFillsTheSpareArea) {
  window->resize(600, 300);
  flash->Width(600 * 15);
  flash->LoadMovie(0, movie("still.swf", test_movies::square_movie(kNavy, kOrange)));
  window->show();
  ASSERT_TRUE(shows(kOrange, 0.05));
  const QRect left_strip(0, 0, 90, 300), right_strip(510, 0, 90, 300);
  EXPECT_GT(share_of(grab(*flash), kNavy, left_strip), 0.99) << "the movie's own colour at first";

  flash->BGColor("00FF00");
  EXPECT_EQ(flash->BGColor(), "00FF00");
  ASSERT_TRUE(shows(kGreen, 0.99, left_strip));
  EXPECT_GT(share_of(grab(*flash), kGreen, right_strip), 0.99);
  EXPECT_GT(share_of(grab(*flash), kOrange, QRect(250, 100, 100, 100)), 0.99) << "the square stays";
  EXPECT_EQ(share_of(grab(*flash), kNavy), 0.0);

  flash->BGColor("FFFFFF");
  ASSERT_TRUE(shows(kWhite, 0.99, left_strip));
}

TEST_F(FlashControlTest, ColourSetBeforeLoadingApplies) {
  flash->BGColor("00FF00");
  flash->LoadMovie(0, movie("still.swf", test_movies::square_movie(kNavy, kOrange)));
  window->show();
  ASSERT_TRUE(shows(kOrange, 0.07));
  EXPECT_GT(share_of(grab(*flash), kGreen), 0.8);
}

// The square crosses the stage in 48 frames (two seconds): frames taken apart differ while
// the movie plays and are equal while it is stopped.
TEST_F(FlashControlTest, StopFreezesAndPlayResumes) {
  flash->LoadMovie(0, movie("moving.swf", test_movies::square_movie(kNavy, kOrange, 48)));
  window->show();
  ASSERT_TRUE(shows(kOrange, 0.07));
  auto moves = [&] {
    const QImage before = grab(*flash);
    return wait_until([&] { return grab(*flash) != before; }, 3000);
  };
  EXPECT_TRUE(moves()) << "the movie plays once loaded";

  flash->Stop();
  EXPECT_FALSE(flash->playing());
  // The stop reaches the view within a few frames; from then on nothing moves.
  QImage frozen;
  ASSERT_TRUE(wait_until(
      [&] {
        frozen = grab(*flash);
        qt_test::pump(300);
        return grab(*flash) == frozen;
      },
      5000));
  qt_test::pump(600);
  EXPECT_EQ(grab(*flash), frozen) << "a stopped movie does not move";
  EXPECT_GT(share_of(frozen, kOrange), 0.07) << "a stopped movie stays shown";

  flash->Play();
  EXPECT_TRUE(moves()) << "Play starts it again";
}

TEST_F(FlashControlTest, StopBeforeTheMovieArrivesHoldsIt) {
  flash->LoadMovie(0, movie("moving.swf", test_movies::square_movie(kNavy, kOrange, 48)));
  flash->Stop();
  window->show();
  ASSERT_TRUE(shows(kOrange, 0.07)) << "a stopped movie still shows its first frame";
  QImage first;
  ASSERT_TRUE(wait_until(
      [&] {
        first = grab(*flash);
        qt_test::pump(300);
        return grab(*flash) == first;
      },
      5000));
  qt_test::pump(600);
  EXPECT_EQ(grab(*flash), first);
}

// The way the pages show a file they have just rewritten: the empty movie, then the file.
TEST_F(FlashControlTest, ReloadingARewrittenFileShowsTheNewFile) {
  const auto path = movie("temp.swf", test_movies::square_movie(kNavy, kOrange));
  const auto blank = movie("blank.swf", test_movies::square_movie(kWhite, kWhite));
  flash->LoadMovie(0, path);
  window->show();
  ASSERT_TRUE(shows(kOrange, 0.07));

  testsupport::write_bytes(path, test_movies::square_movie(kNavy, kGreen));
  flash->LoadMovie(0, blank);
  flash->LoadMovie(0, path);
  ASSERT_TRUE(shows(kGreen, 0.07)) << "the old movie is still shown";
  EXPECT_EQ(share_of(grab(*flash), kOrange), 0.0);
  EXPECT_EQ(flash->movie(), path);
}

TEST_F(FlashControlTest, HiddenControlReleasesItsViewAndShowsTheMovieAgain) {
  flash->LoadMovie(0, movie("still.swf", test_movies::square_movie(kNavy, kOrange)));
  EXPECT_EQ(flash->view(), nullptr) << "no view before the control is shown";
  window->show();
  ASSERT_TRUE(shows(kOrange, 0.07));
  EXPECT_NE(flash->view(), nullptr);

  flash->Visible(false);
  EXPECT_EQ(flash->view(), nullptr);
  window->hide();
  flash->Visible(true);
  EXPECT_EQ(flash->view(), nullptr) << "a control on a hidden page stays without a view";
  window->show();
  ASSERT_TRUE(shows(kOrange, 0.07));
}

TEST_F(FlashControlTest, ReportsWhenTheMovieIsShown) {
  int shown = 0;
  QObject::connect(flash, &FlashControl::movieShown, [&] { ++shown; });
  flash->LoadMovie(0, movie("still.swf", test_movies::square_movie(kNavy, kOrange)));
  window->show();
  ASSERT_TRUE(wait_until([&] { return shown == 1; }));
  // The frame reaches the widget within a few display frames of the report.
  EXPECT_TRUE(wait_until([&] { return share_of(grab(*flash), kOrange) > 0.07; }, 1000));
}

}  // namespace
