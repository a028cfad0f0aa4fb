#include <QLabel>
#include <functional>

#include "core/paths.h"
#include "engine/progress.h"
#include "platform/flash/flash_control.h"
#include "wizard/shell/form5.h"
#include "wizard/shell/picture_box.h"
#include "wizard_fixture.h"

namespace {

using wizard::Form5;
using wizard::page;
using wizard_test::PageTest;

using ProgressPageTest = PageTest;

constexpr QRgb kMagenta = 0x800080;

// Pixels of `image` (of one row when given) that `match`.
int count(const QImage& image, const std::function<bool(QRgb)>& match, int row = -1) {
  int hits = 0;
  for (int y = row < 0 ? 0 : row; y < (row < 0 ? image.height() : row + 1); ++y)
    for (int x = 0; x < image.width(); ++x) hits += match(image.pixel(x, y)) ? 1 : 0;
  return hits;
}

int magenta_columns(const QImage& image, int row) {
  return count(
      image, [](QRgb rgb) { return (rgb & 0xFFFFFF) == kMagenta; }, row);
}

// Each showing runs the loading routine again and starts with the animation.
TEST_F(ProgressPageTest, LayoutAndLoadingOnActivation) {
  Form5& progress = page<Form5>();
  EXPECT_EQ(progress.windowTitle(), "Encoding..");
  EXPECT_EQ(progress.size(), QSize(454, 82)) << "client area 6810 x 1230 twips";
  EXPECT_EQ(progress.Label1->text(), "Encoding Sound ...");
  EXPECT_EQ(progress.Label1->geometry(), QRect(48, 8, 289, 25));
  EXPECT_EQ(progress.Picture2->geometry(), QRect(48, 32, 333, 17));
  EXPECT_EQ(progress.Picture1->geometry(), QRect(384, 32, 33, 17));
  // The animation covers the whole page, outer size included.
  EXPECT_EQ(progress.ShockwaveFlash1->Width(), 6930);
  EXPECT_EQ(progress.ShockwaveFlash1->Height(), 1740);
  EXPECT_EQ(progress.ShockwaveFlash1->pos(), QPoint(0, 0));

  EXPECT_EQ(progress.loads(), 1);
  for (int showing : {1, 2}) {
    progress.Show();
    qt_test::pump(50);
    EXPECT_EQ(progress.loads(), 1 + showing) << "created, then activated";
    EXPECT_TRUE(progress.Picture2->isHidden());
    EXPECT_TRUE(progress.Picture1->isHidden());
    progress.show_bar();
    EXPECT_FALSE(progress.Picture2->isHidden());
    progress.Hide();
  }
}

TEST_F(ProgressPageTest, TheEngineReachesThePageThroughItsInterface) {
  Form5::install_as_progress_page();
  engine::ProgressPage* reported = engine::progress_page();
  ASSERT_NE(reported, nullptr);
  EXPECT_FALSE(wizard::page_exists(Form5::kNumber)) << "created on first use";
  EXPECT_EQ(reported->bar_width(), 5000);
  EXPECT_TRUE(wizard::page_exists(Form5::kNumber));
  engine::set_progress_page(nullptr);
}

TEST_F(ProgressPageTest, AnimationThenBarAndPercentage) {
  Form5& progress = page<Form5>();
  progress.Show();
  const std::string movie = core::spd_path("SWF/Sound_Processing.swf");
  progress.show_animation(movie);
  EXPECT_EQ(progress.ShockwaveFlash1->movie(), movie);
  EXPECT_TRUE(progress.ShockwaveFlash1->isVisible());
  EXPECT_FALSE(progress.Picture2->isVisible());
  const auto background = test_movies::background_of(testsupport::read_bytes(movie));
  ASSERT_TRUE(background.has_value());
  EXPECT_TRUE(qt_test::wait_until(
      [&] { return qt_test::share_of(qt_test::grab(*progress.ShockwaveFlash1), *background) > 0.2; }));

  progress.show_bar();
  EXPECT_FALSE(progress.ShockwaveFlash1->isVisible());
  EXPECT_FALSE(progress.ShockwaveFlash1->playing());
  EXPECT_EQ(progress.ShockwaveFlash1->view(), nullptr) << "a hidden animation costs nothing";
  EXPECT_TRUE(progress.Picture2->isVisible());
  EXPECT_TRUE(progress.Picture1->isVisible());

  auto dark_pixels = [&] {
    return count(progress.Picture1->image(), [](QRgb rgb) { return qGray(rgb) < 80; });
  };
  EXPECT_EQ(dark_pixels(), 0) << "no text yet";

  // 50 % of 5000 twips: a bar 2500 twips (167 pixels) long, drawn from the left edge.
  progress.draw_progress_bar(2500);
  const QImage bar = progress.Picture2->image();
  const int row = bar.height() / 2;
  EXPECT_EQ(magenta_columns(bar, row), 167);
  EXPECT_EQ(bar.pixel(0, row) & 0xFFFFFF, kMagenta);
  EXPECT_EQ(bar.pixel(166, row) & 0xFFFFFF, kMagenta);
  EXPECT_NE(bar.pixel(167, row) & 0xFFFFFF, kMagenta);
  const QImage page_image = qt_test::grab(progress);
  EXPECT_EQ(page_image.pixel(progress.Picture2->x() + 2 + 80, progress.Picture2->y() + 8) & 0xFFFFFF,
            kMagenta)
      << "the bar is on the screen";

  // The bar grows; it is never cleared between calls.
  progress.draw_progress_bar(3750);
  EXPECT_EQ(magenta_columns(progress.Picture2->image(), row), 250);
  progress.draw_progress_bar(0);
  EXPECT_EQ(magenta_columns(progress.Picture2->image(), row), 250);

  // The percentage in black, printed afresh each time; palette entry 12 is red.
  progress.show_percent(0, 7);
  const int seven = dark_pixels();
  EXPECT_GT(seven, 10) << "black text printed";
  progress.show_percent(0, 100);
  EXPECT_GT(dark_pixels(), seven) << "the old text is cleared first, the new one is longer";
  progress.show_percent(0, 7);
  EXPECT_EQ(dark_pixels(), seven);
  progress.show_percent(12, 7);
  EXPECT_GT(count(progress.Picture1->image(), [](QRgb rgb) { return qRed(rgb) > 200 && qGreen(rgb) < 80; }),
            5);
}

}  // namespace
