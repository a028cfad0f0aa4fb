#include <QPushButton>
#include <QRadioButton>
#include <filesystem>
#include <vector>

#include "core/paths.h"
#include "core/shared_state.h"
#include "engine/style_pieces.h"
#include "platform/flash/browser_control.h"
#include "platform/flash/flash_control.h"
#include "wizard/framework/picture_box.h"
#include "wizard/pages/step2_file.h"
#include "wizard/pages/step3_gallery.h"
#include "wizard/pages/step4_choice.h"
#include "wizard/pages/step5_floating.h"
#include "wizard/tables/step3_gallery.h"
#include "wizard_fixture.h"

namespace {

namespace fs = std::filesystem;
using testsupport::read_bytes;
using testsupport::write_bytes;
using wizard::Form2;
using wizard::page;

class GalleryTest : public wizard_test::PageTest {
 protected:
  Form2& open() {
    Form2& gallery = page<Form2>();
    gallery.Show();
    qt_test::pump(50);  // its activation reloads it
    return gallery;
  }

  // The 1-based set flag of a family; 0 when none is set, -1 when several are.
  template <std::size_t N>
  static int picked(const std::array<bool, N>& flags) {
    int found = 0;
    for (std::size_t i = 0; i < N; ++i)
      if (flags[i]) found = found ? -1 : static_cast<int>(i) + 1;
    return found;
  }

  // What stands on the left, top, right and bottom lines of picture `number`'s frame box, and
  // just right of it.
  static std::array<QRgb, 5> frame(Form2& gallery, int number) {
    const auto* p = engine::style::style_picture(number);
    wizard::PictureBox* box = gallery.Picture(number);
    const QImage& image = box->image();
    const int x2 = wizard::to_pixels(wizard::width_twips(box) - p->dx);
    const int y2 = wizard::to_pixels(wizard::height_twips(box) - p->dy);
    const int outside = std::min(x2 + p->line_width, image.width() - 1);
    return {image.pixel(0, y2 / 2) & 0xFFFFFF, image.pixel(x2 / 2, 0) & 0xFFFFFF,
            image.pixel(x2 - 1, y2 / 2) & 0xFFFFFF, image.pixel(x2 / 2, y2 - 1) & 0xFFFFFF,
            image.pixel(outside, y2 / 2) & 0xFFFFFF};
  }
};

TEST_F(GalleryTest, PicksKeepOneStylePerFamilyAndFrameOnlyThePickedPicture) {
  core::button_type = 0;
  wizard::page<wizard::Form4>().Command2_Click();  // the file page leads here
  Form2& gallery = page<Form2>();
  qt_test::pump(50);
  ASSERT_TRUE(gallery.isVisible());
  gallery.Command2_Click();
  EXPECT_EQ(boxes().texts(), std::vector<std::string>{"Please Select a button"});

  struct Pick {
    int picture, sam, sin, ind, type;
    QRgb frame;
  };
  const Pick picks[] = {
      {126, 0, 1, 0, 2, 0xFF0000},  // sin 1
      {102, 3, 0, 0, 1, 0xFF0000},  // sam 3 clears sin
      {111, 3, 0, 3, 1, 0xFF00FF},  // ind shape 1, target 3 beside sam
      {129, 0, 4, 3, 2, 0xFF0000},  // sin 4 clears sam, keeps ind
      {129, 0, 4, 3, 2, 0xFF0000},  // the same again
      {107, 0, 4, 1, 2, 0x0000FF},  // ind keeps the button type
      {100, 1, 0, 1, 1, 0x800080},  // sam 1
      {101, 2, 0, 1, 1, 0x008080},  // sam 2 wipes sam 1's frame
  };
  for (const Pick& pick : picks) {
    SCOPED_TRACE(pick.picture);
    gallery.Picture_Click(pick.picture);
    EXPECT_EQ(picked(core::sam_selected), pick.sam);
    EXPECT_EQ(picked(core::sin_selected), pick.sin);
    EXPECT_EQ(picked(core::ind_selected), pick.ind);
    EXPECT_EQ(core::button_type, pick.type);
    const auto drawn = frame(gallery, pick.picture);
    EXPECT_EQ(std::vector<QRgb>(drawn.begin(), drawn.end() - 1), std::vector<QRgb>(4, pick.frame));
    if (pick.picture >= 126) {
      EXPECT_NE(drawn[4], pick.frame) << "the frame keeps inside its reductions";
    }
    const int group = engine::style::style_picture(pick.picture)->group;
    for (const auto& other : engine::style::kStylePictures) {
      if (other.group != group || other.number == pick.picture) continue;
      const auto wiped = frame(gallery, other.number);
      EXPECT_EQ(std::vector<QRgb>(wiped.begin(), wiped.end() - 1), std::vector<QRgb>(4, 0xFFFFFF))
          << other.number;
    }
  }

  // A new visit starts with nothing picked; the button type stays for the later steps.
  gallery.Form_Load();
  EXPECT_EQ(picked(core::sam_selected) + picked(core::sin_selected) + picked(core::ind_selected), 0);
  EXPECT_EQ(core::button_type, 1);
  gallery.Command2_Click();
  EXPECT_EQ(boxes().texts().size(), 2u);
  gallery.Picture_Click(104);
  gallery.Command2_Click();
  EXPECT_EQ(boxes().texts().size(), 2u);
  EXPECT_EQ(core::step_code, 2);
  EXPECT_FALSE(core::button_selected);
}

TEST_F(GalleryTest, OptionsShowTheirGalleryAndOnlyRewriteThePreviewHead) {
  const std::string temp = appdir.spd("temp.swf");
  fs::remove(temp);
  Form2& gallery = open();
  EXPECT_EQ(read_bytes(temp), "23");
  EXPECT_FALSE(gallery.Option1->isVisible());

  const std::string movie("FWS\x08\x00\x01\xFFtail", 11);
  write_bytes(temp, movie);
  gallery.Option4->click();
  EXPECT_EQ(read_bytes(temp), movie);
  EXPECT_TRUE(gallery.Picture125->isVisible());
  EXPECT_FALSE(gallery.Picture99->isVisible());
  EXPECT_EQ(gallery.Picture125->pos(), gallery.Picture99->pos());
  gallery.Option3->click();
  EXPECT_EQ(read_bytes(temp), "23" + movie.substr(2));
  EXPECT_TRUE(gallery.Picture125->isVisible()) << "the background mode keeps the gallery";
  write_bytes(temp, movie);
  gallery.Option2->click();
  EXPECT_EQ(read_bytes(temp), "23" + movie.substr(2));
  EXPECT_TRUE(gallery.Picture99->isVisible());
  EXPECT_FALSE(gallery.Picture125->isVisible());

  // A preview that cannot be written is said so; the page goes on.
  fs::remove(temp);
  fs::create_directory(temp);
  gallery.Option3->click();
  ASSERT_EQ(boxes().texts().size(), 1u);
  EXPECT_NE(boxes().texts()[0].find("temp.swf"), std::string::npos) << boxes().texts()[0];
  EXPECT_TRUE(gallery.isVisible());
}

TEST_F(GalleryTest, BackRestoresThePristineTemplatesOrSaysWhyNot) {
  Form2& gallery = open();
  core::source_form = 4;
  gallery.Picture_Click(100);
  gallery.Picture_Click(48);  // colours sam 1's template
  const std::string tp = engine::style::plain_pieces(engine::style::kSam, 1)->tp;
  const std::string pristine = read_bytes(core::spd_back_path(fs::relative(tp, core::spd_path()).string()));
  ASSERT_NE(read_bytes(tp), pristine);
  write_bytes(appdir.spd("only_here.txt"), "kept");

  // Without the pristine copy nothing changes and the page stays.
  fs::rename(core::spd_back_path(), appdir.path() / "elsewhere");
  gallery.Command1_Click();
  ASSERT_EQ(boxes().texts().size(), 1u);
  EXPECT_NE(boxes().texts()[0].find("spd_back"), std::string::npos) << boxes().texts()[0];
  EXPECT_TRUE(gallery.isVisible());
  EXPECT_NE(read_bytes(tp), pristine);

  fs::rename(appdir.path() / "elsewhere", core::spd_back_path());
  gallery.Command1_Click();
  for (const auto& entry : fs::recursive_directory_iterator(core::spd_back_path())) {
    if (!entry.is_regular_file()) continue;
    const fs::path copy = core::spd_path(fs::relative(entry.path(), core::spd_back_path()).string());
    EXPECT_EQ(read_bytes(copy), read_bytes(entry.path())) << copy;
  }
  for (const auto& entry : fs::recursive_directory_iterator(core::spd_path()))
    EXPECT_NE(entry.path().extension(), ".restoring") << entry.path();
  EXPECT_EQ(read_bytes(appdir.spd("only_here.txt")), "kept");
  EXPECT_FALSE(gallery.isVisible());
  EXPECT_TRUE(page<wizard::Form4>().isVisible());
}

TEST_F(GalleryTest, AMissingOrTruncatedPieceIsSaidAndLeavesNoWorkingPieces) {
  Form2& gallery = open();
  fs::remove(engine::style::plain_pieces(engine::style::kSam, 2)->middle);
  gallery.Picture_Click(101);
  ASSERT_EQ(boxes().texts().size(), 1u);
  EXPECT_NE(boxes().texts()[0].find("middle"), std::string::npos) << boxes().texts()[0];
  for (const char* file : {"tp.spd", "middle.spd", "bottom.spd", "temp.swf"})
    EXPECT_FALSE(fs::exists(appdir.spd(file))) << file;
  const std::string tp = engine::style::plain_pieces(engine::style::kSam, 3)->tp;
  write_bytes(tp, read_bytes(tp).substr(0, 10));
  gallery.Picture_Click(102);  // a truncated piece is said so and neither grows nor changes
  EXPECT_EQ(boxes().texts().size(), 2u);
  EXPECT_EQ(read_bytes(tp).size(), 10u);
  gallery.Picture_Click(100);  // another style still composes
  EXPECT_EQ(boxes().texts().size(), 2u);
  EXPECT_TRUE(fs::exists(appdir.spd("temp.swf")));
}

TEST_F(GalleryTest, EveryVisitPreviewsThePickedStyleAndTheSamplePageShowsIt) {
  Form2& gallery = open();
  // Buttons and background in those colours at once: the movie itself, not the empty one the
  // preview passes through while it reloads.
  auto shows = [&](QRgb buttons, QRgb background, QWidget* view = nullptr, QRect area = {}) {
    return qt_test::wait_until([&] {
      const QImage shot = qt_test::grab(view ? *view : *gallery.ShockwaveFlash1);
      return qt_test::share_of(shot, buttons, area) > 0.02 && qt_test::share_of(shot, background, area) > 0.3;
    });
  };
  wizard_test::mouse_click(gallery.Picture(100));
  wizard_test::mouse_click(gallery.Picture(48));  // FF0010 on all buttons
  EXPECT_TRUE(shows(0xFF0010, 0xFFFFFF));
  gallery.Option3->click();
  wizard_test::mouse_click(gallery.Picture(3));  // 0000FF behind them
  EXPECT_TRUE(shows(0xFF0010, 0x0000FF));

  // Back from step 4 the preview shows its ground, not the spoilt file, and every pick again.
  bool failed = false;
  QObject::connect(gallery.ShockwaveFlash1, &platform::flash::FlashControl::movieFailed,
                   [&] { failed = true; });
  wizard_test::mouse_click(gallery.Command2);
  wizard_test::mouse_click(page<wizard::Form3>().Command1);
  ASSERT_TRUE(gallery.isVisible() && qt_test::wait_until([&] { return failed; }));
  EXPECT_GT(qt_test::share_of(qt_test::grab(*gallery.ShockwaveFlash1), 0x0000FF), 0.99);
  wizard_test::mouse_click(gallery.Picture(100));
  wizard_test::mouse_click(gallery.Picture(3));  // 0000FF on all buttons, on white again
  EXPECT_TRUE(shows(0x0000FF, 0xFFFFFF));

  // A colour mode chosen after the pick leaves the floating sample page the style's movie.
  const std::string composed = read_bytes(appdir.spd("temp.swf"));
  gallery.Option3->click();
  wizard_test::mouse_click(gallery.Command2);
  page<wizard::Form3>().Option2->click();
  wizard_test::mouse_click(page<wizard::Form3>().Command2);
  auto& step5 = page<wizard::Form11>();
  qt_test::wait_until([&] { return step5.loads() >= 2; }, 1000);  // created, then activated
  step5.Command2->click();
  EXPECT_TRUE(shows(0x0000FF, 0xFFFFFF, step5.WebBrowser1, QRect(0, 0, 200, 146)));  // top left, on the page
  EXPECT_TRUE(read_bytes(appdir.spd("temp.swf")) == composed) << "the movie as it was composed";
  EXPECT_TRUE(boxes().texts().empty());
}

// Every style picture fills its box in the page's table with its whole button, and a pick's
// frame (wiped at every visit) lies around the button, never over it.
TEST_F(GalleryTest, EveryStylePictureShowsItsWholeButtonInsideItsBoxAndFrame) {
  Form2& gallery = open();
  std::vector<wizard::tables::PicturePlace> places;
  for (const auto& row : wizard::tables::kSamPictures) places.push_back(row);
  for (const auto& row : wizard::tables::kIndPictures) places.push_back(row);
  for (const auto& row : wizard::tables::kSinPictures) places.push_back(row);
  ASSERT_EQ(places.size(), engine::style::kStylePictures.size());
  const QRgb white = qRgb(255, 255, 255);
  for (const auto& place : places) {
    const auto* p = engine::style::style_picture(place.number);
    ASSERT_NE(p, nullptr);
    SCOPED_TRACE(engine::style::thumbnail_name(*p));
    // Show the gallery that holds it (the ind gallery has no option to show it).
    if (p->group == 1) gallery.Option2->click();
    if (p->group == 2) gallery.Option1_Click();
    if (p->group == 3) gallery.Option4->click();
    const QImage file =
        QImage(QString::fromStdString(
                   (testsupport::build_dir() / "pictures" / engine::style::thumbnail_name(*p)).string()))
            .convertToFormat(QImage::Format_RGB32);
    const QSize box(wizard::to_pixels(place.width), wizard::to_pixels(place.height));
    EXPECT_EQ(file.size(), box);
    if (file.size() != box) continue;
    wizard::PictureBox* shown = gallery.Picture(place.number);
    ASSERT_EQ(shown->size(), box);

    // The visit left the picture as it is; a pick's frame covers none of the button's ink, which
    // lies whole inside the frame's lines and fills it.
    EXPECT_TRUE(qt_test::grab(*shown) == file) << "the box shows the picture unchanged";
    gallery.Picture_Click(place.number);
    const QImage picked = qt_test::grab(*shown);
    QRect ink;
    int covered = 0;
    for (int y = 0; y < file.height(); ++y)
      for (int x = 0; x < file.width(); ++x)
        if (file.pixel(x, y) != white) {
          ink |= QRect(x, y, 1, 1);
          covered += picked.pixel(x, y) != file.pixel(x, y);
        }
    EXPECT_EQ(covered, 0) << "pixels of the button under the frame";
    const int w = p->line_width;
    const QRect inside(QPoint(w, w), QPoint(wizard::to_pixels(place.width - p->dx) - w,
                                            wizard::to_pixels(place.height - p->dy) - w));
    EXPECT_TRUE(inside.contains(ink));
    EXPECT_GT(std::max(double(ink.width()) / inside.width(), double(ink.height()) / inside.height()), 0.9);
    EXPECT_NE(picked, file) << "the frame is drawn";
  }
  EXPECT_TRUE(boxes().texts().empty());
}

}  // namespace
