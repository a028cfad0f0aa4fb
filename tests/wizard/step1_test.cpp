#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QWebEngineView>

#include "core/paths.h"
#include "platform/flash/flash_control.h"
#include "wizard/shell/form1.h"
#include "wizard/shell/form8.h"
#include "wizard_fixture.h"

namespace {

using wizard::Form1;
using wizard::form8;
using wizard::page;
using wizard_test::PageTest;

using Step1Test = PageTest;

TEST_F(Step1Test, StartUpShowsStepOneAtItsFixedSize) {
  Module30::Main();
  form8& step1 = page<form8>();
  EXPECT_TRUE(step1.isVisible());
  EXPECT_EQ(step1.windowTitle(), "Step-1");
  EXPECT_EQ(step1.size(), QSize(725, 519)) << "client area 10875 x 7785 twips";
  EXPECT_EQ(step1.Width(), 10995);
  EXPECT_EQ(step1.Height(), 8295);
  EXPECT_FALSE(step1.Option1->isChecked());
  EXPECT_FALSE(step1.Option2->isChecked());
  EXPECT_FALSE(step1.Option3->isChecked());
  EXPECT_EQ(core::voice_lists_filled, 0);
  EXPECT_TRUE(Module48::init_common_controls());
}

TEST_F(Step1Test, ControlsStandWhereTheDesignPutsThem) {
  form8& step1 = page<form8>();
  EXPECT_EQ(step1.Picture1->geometry(), QRect(0, 0, 97, 113));
  EXPECT_EQ(step1.Command2->geometry(), QRect(336, 432, 121, 33));
  EXPECT_EQ(step1.Command2->text(), "Cancel");
  EXPECT_EQ(step1.Command1->geometry(), QRect(200, 432, 121, 33));
  EXPECT_EQ(step1.Command1->text(), "Next >");
  EXPECT_EQ(step1.Option3->geometry(), QRect(216, 256, 17, 49));
  EXPECT_EQ(step1.Option2->geometry(), QRect(216, 208, 17, 49));
  EXPECT_EQ(step1.Option1->geometry(), QRect(216, 168, 17, 41));
  for (auto* option : {step1.Option1, step1.Option2, step1.Option3}) {
    EXPECT_TRUE(option->text().isEmpty());
    // White around the round mark: the top and bottom rows of the option.
    const QImage image = qt_test::grab(*option);
    EXPECT_EQ(image.pixel(8, 1) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(image.pixel(8, image.height() - 2) & 0xFFFFFF, 0xFFFFFFu);
  }
  // Front to back: emblem, Cancel, Next, the options, and the backdrop behind everything.
  const QObjectList& children = step1.children();
  auto depth = [&](QObject* child) { return children.indexOf(child); };
  EXPECT_EQ(depth(step1.ShockwaveFlash1), 0);
  EXPECT_GT(depth(step1.Picture1), depth(step1.Command2));
  EXPECT_GT(depth(step1.Command2), depth(step1.Command1));
  EXPECT_GT(depth(step1.Command1), depth(step1.Option3));
  EXPECT_GT(depth(step1.Option3), depth(step1.Option2));
  EXPECT_GT(depth(step1.Option2), depth(step1.Option1));
  EXPECT_GT(depth(step1.Option1), depth(step1.ShockwaveFlash1));
}

// The backdrop takes the outer size of the hidden test form, which loading step 1 creates.
TEST_F(Step1Test, BackdropIsSizedFromTheTestFormAndShowsItsMovie) {
  EXPECT_FALSE(wizard::page_exists(Form1::kNumber));
  form8& step1 = page<form8>();
  ASSERT_TRUE(wizard::page_exists(Form1::kNumber));
  Form1& reference = page<Form1>();
  EXPECT_FALSE(reference.isVisible()) << "the test form is never shown";
  EXPECT_EQ(reference.Width(), 12630);
  EXPECT_EQ(reference.Height(), 8235);
  EXPECT_EQ(step1.ShockwaveFlash1->Width(), 12630);
  EXPECT_EQ(step1.ShockwaveFlash1->Height(), 8235);
  EXPECT_EQ(step1.ShockwaveFlash1->geometry(), QRect(0, 0, 842, 549));
  EXPECT_EQ(step1.ShockwaveFlash1->movie(), core::spd_path("SWF/form8.swf"));

  step1.Show();
  const auto background =
      test_movies::background_of(testsupport::read_bytes(core::spd_path("SWF/form8.swf")));
  ASSERT_TRUE(background.has_value());
  // A third of the page in the movie's own background colour: the movie is on the screen.
  EXPECT_TRUE(qt_test::wait_until(
      [&] { return qt_test::share_of(qt_test::grab(*step1.ShockwaveFlash1), *background) > 0.3; }));
}

// The emblem is one of the pictures the build puts beside the program.
TEST_F(Step1Test, EmblemShowsThePicture) {
  const auto picture = testsupport::build_dir() / "pictures" / "emblem.png";
  if (!std::filesystem::exists(picture)) GTEST_SKIP() << "the build has no pictures/emblem.png";
  form8& step1 = page<form8>();
  const QPixmap shown = step1.Picture1->pixmap();
  EXPECT_EQ(shown.size(), QSize(100, 100));
  EXPECT_EQ(shown.toImage().convertToFormat(QImage::Format_RGB32),
            QImage(QString::fromStdString(picture.string())).convertToFormat(QImage::Format_RGB32));
}

TEST_F(Step1Test, AnyResizeIsUndoneButMinimisingIsAllowed) {
  form8& step1 = page<form8>();
  step1.Show();
  for (QSize wrong : {QSize(600, 519), QSize(725, 400), QSize(900, 519), QSize(725, 700), QSize(300, 200)}) {
    step1.resize(wrong);
    qt_test::pump(50);
    EXPECT_EQ(step1.size(), QSize(725, 519))
        << "after a resize to " << wrong.width() << "x" << wrong.height();
  }
  step1.Height(9000);
  EXPECT_EQ(step1.Height(), 8295);
  step1.showMaximized();
  qt_test::pump(50);
  EXPECT_EQ(step1.size(), QSize(725, 519));
  EXPECT_FALSE(step1.windowState() & Qt::WindowMaximized);

  step1.showMinimized();
  qt_test::pump(50);
  EXPECT_TRUE(step1.windowState() & Qt::WindowMinimized) << "minimising is not undone";
  step1.showNormal();
  qt_test::pump(50);
  EXPECT_FALSE(step1.windowState() & Qt::WindowMinimized);
  EXPECT_EQ(step1.size(), QSize(725, 519));
}

TEST_F(Step1Test, OptionClicksSetThePageCodesAndTheLastClickDecides) {
  form8& step1 = page<form8>();
  step1.Show();
  EXPECT_EQ(core::step_code, 0);
  step1.Option3->click();
  EXPECT_EQ(core::step_code, 4);
  EXPECT_EQ(core::source_form, 4);
  step1.Option2->click();
  EXPECT_EQ(core::step_code, 9);
  EXPECT_EQ(core::source_form, 9);
  step1.Option3->click();
  step1.Option1->click();
  EXPECT_EQ(core::step_code, 10);
  EXPECT_EQ(core::source_form, 10);
  EXPECT_TRUE(step1.Option1->isChecked());
  EXPECT_FALSE(step1.Option3->isChecked()) << "the options form one group";
}

TEST_F(Step1Test, NextWithNoOptionDoesNothing) {
  form8& step1 = page<form8>();
  step1.Show();
  step1.Command1->click();
  qt_test::pump(50);
  EXPECT_TRUE(step1.isVisible());
  EXPECT_FALSE(wizard::page_exists(4));
  EXPECT_TRUE(boxes().shown().empty());
  EXPECT_EQ(ended, 0);
}

// The speech and microphone pages come later: until then their options lead nowhere.
TEST_F(Step1Test, NextToAPageTheProgramLacksStaysOnStepOne) {
  form8& step1 = page<form8>();
  step1.Show();
  step1.Option2->click();
  step1.Command1->click();
  EXPECT_TRUE(step1.isVisible());
  step1.Option1->click();
  step1.Command1->click();
  EXPECT_TRUE(step1.isVisible());
  EXPECT_TRUE(boxes().shown().empty());
}

TEST_F(Step1Test, StepOneLoadsOnceAndNotOnActivation) {
  form8& step1 = page<form8>();
  EXPECT_EQ(step1.loads(), 1);
  step1.Show();
  qt_test::pump(50);
  EXPECT_TRUE(step1.isActiveWindow());
  step1.Hide();
  step1.Show();
  qt_test::pump(50);
  EXPECT_EQ(step1.loads(), 1) << "created once, loaded once; activation does nothing";
}

TEST_F(Step1Test, CancelEndsTheProcess) {
  form8& step1 = page<form8>();
  step1.Show();
  step1.Command2->click();
  EXPECT_EQ(ended, 1);
}

TEST_F(Step1Test, ClosingTheWindowEndsTheProcess) {
  form8& step1 = page<form8>();
  step1.Show();
  step1.close();
  EXPECT_EQ(ended, 1);
}

}  // namespace
