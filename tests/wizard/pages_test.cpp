// Start-up, the conventions every page follows, step 1, the hidden test form and the progress
// page.

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <functional>
#include <map>

#include "core/errors.h"
#include "core/paths.h"
#include "platform/flash/flash_control.h"
#include "wizard/framework/picture_box.h"
#include "wizard/pages/progress.h"
#include "wizard/pages/step1_source_choice.h"
#include "wizard/pages/step2_file.h"
#include "wizard/pages/test_form.h"
#include "wizard_fixture.h"

namespace {

using testsupport::quote;
using wizard::Form1;
using wizard::Form5;
using wizard::form8;
using wizard::page;
using wizard_test::PageTest;

using StartUpTest = PageTest;
using Step1Test = PageTest;
using TestFormTest = PageTest;
using ProgressPageTest = PageTest;

// The yield at the head of the working handlers runs the pending events; an error that no
// handler expects is shown, and the events after it still run.
TEST_F(StartUpTest, AnUnexpectedErrorIsShownAndTheProgramGoesOn) {
  int handled = 0;
  QTimer::singleShot(0, [] { throw core::VbError(53, core::exe_name(), "File not found"); });
  QTimer::singleShot(0, [] { throw std::runtime_error("bad allocation of frames"); });
  QTimer::singleShot(0, [&] { ++handled; });
  core::yield();
  EXPECT_EQ(handled, 1);
  const std::vector<std::pair<std::string, std::string>> shown = {
      {"Run-time error '53':\n\nFile not found", ""}, {"bad allocation of frames", ""}};
  EXPECT_EQ(boxes().shown(), shown) << "with the default caption";
  EXPECT_EQ(ended, 0);
}

// The real message box: the program's name as its caption (unless one is given), the text and
// an OK button only. It is answered once it is on the screen.
TEST_F(StartUpTest, MessageBoxHasTheDefaultCaptionAndAnOkButton) {
  wizard::install_services();
  const struct {
    const char* title;
    const char* expected_title;
  } rows[] = {{"", "mellix"}, {"Error (record)", "Error (record)"}};
  for (const auto& row : rows) {
    QString title, text;
    QMessageBox::StandardButtons buttons;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      title = box->windowTitle();
      text = box->text();
      buttons = box->standardButtons();
      timer.stop();
      box->button(QMessageBox::Ok)->click();
    });
    timer.start(10);
    core::message_box("device not open", row.title);
    EXPECT_EQ(title, row.expected_title);
    EXPECT_EQ(text, "device not open");
    EXPECT_EQ(buttons, QMessageBox::Ok);
  }
}

// "Cancel" and closing the window end the process on every page.
TEST_F(StartUpTest, CancelAndClosingEndTheProcess) {
  auto& step1 = page<wizard::form8>();
  auto& file = page<wizard::Form4>();
  auto& progress = page<wizard::Form5>();
  const struct {
    const char* name;
    wizard::WizardPage* page;
    QPushButton* cancel;
  } rows[] = {{"step 1", &step1, step1.Command2},
              {"file page", &file, file.Command3},
              {"progress page", &progress, nullptr}};
  int expected = 0;
  for (const auto& row : rows) {
    row.page->Show();
    if (row.cancel) row.cancel->click();
    EXPECT_EQ(ended, expected += row.cancel ? 1 : 0) << row.name << ": Cancel";
    row.page->Show();
    row.page->close();
    EXPECT_EQ(ended, ++expected) << row.name << ": closing";
  }
}

TEST_F(Step1Test, StartUpShowsStepOneAtItsFixedSizeLoadedOnce) {
  Module30::Main();
  form8& step1 = page<form8>();
  EXPECT_TRUE(step1.isVisible());
  for (auto* option : {step1.Option1, step1.Option2, step1.Option3}) EXPECT_FALSE(option->isChecked());
  EXPECT_EQ(core::voice_lists_filled, 0);

  qt_test::pump(50);
  EXPECT_TRUE(step1.isActiveWindow());
  step1.Hide();
  step1.Show();
  qt_test::pump(50);
  EXPECT_EQ(step1.loads(), 1) << "created once, loaded once; activation does nothing";
}

// The next control that Tab moves to from `from`.
QWidget* next_tab_stop(QWidget* from) {
  QWidget* next = from->nextInFocusChain();
  while (next != from &&
         (!(next->focusPolicy() & Qt::TabFocus) || next->isAncestorOf(from) || from->isAncestorOf(next)))
    next = next->nextInFocusChain();
  return next;
}

// Every page stands as its table says: each control at its twips rectangle (a backdrop over the
// whole page), front to back in the table's order with the backdrop behind everything, the tab
// chain in the table's order, and no movie ever taking the keyboard focus.
TEST_F(StartUpTest, EveryPageStandsAsItsTableSays) {
  int pages = 0;
  for (int number = 1; number <= 14; ++number) {
    wizard::WizardPage* shown = page(number);
    if (!shown) continue;
    ++pages;
    SCOPED_TRACE(shown->windowTitle().toStdString());
    std::map<QWidget*, std::vector<QWidget*>> siblings;  // per container, front to back
    std::vector<std::pair<int, QWidget*>> chain;
    for (const wizard::Control& row : shown->table()) {
      QWidget* control = shown->find<QWidget>(row.name, row.index);
      ASSERT_NE(control, nullptr) << row.name;
      if (row.width > 0) {
        EXPECT_EQ(wizard::width_twips(control), row.width) << row.name;
        EXPECT_EQ(wizard::height_twips(control), row.height) << row.name;
        EXPECT_EQ(control->pos(), QPoint(wizard::to_pixels(row.left), wizard::to_pixels(row.top)))
            << row.name;
      } else if (row.kind == wizard::Kind::Flash) {
        EXPECT_TRUE(control->geometry().contains(shown->rect())) << "the backdrop covers the page";
      }
      if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        EXPECT_EQ(button->text(), row.caption);
      }
      siblings[control->parentWidget()].push_back(control);
      if (row.tab > 0) chain.emplace_back(row.tab, control);
      if (row.kind == wizard::Kind::Flash || row.kind == wizard::Kind::Browser) {
        EXPECT_EQ(control->focusPolicy(), Qt::NoFocus) << row.name;
      }
    }
    for (const auto& [parent, front_to_back] : siblings) {
      const QObjectList& children = parent->children();
      for (std::size_t i = 1; i < front_to_back.size(); ++i)
        EXPECT_GT(children.indexOf(front_to_back[i - 1]), children.indexOf(front_to_back[i]))
            << front_to_back[i - 1]->objectName().toStdString() << " stands in front of "
            << front_to_back[i]->objectName().toStdString();
    }
    std::sort(chain.begin(), chain.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < chain.size(); ++i)
      EXPECT_EQ(next_tab_stop(chain[i - 1].second), chain[i].second)
          << "tab from " << chain[i - 1].second->objectName().toStdString();
  }
  EXPECT_GE(pages, 4);
}

// The captionless options of step 1 stand on white: the top and bottom rows around the mark.
TEST_F(Step1Test, TheCaptionlessOptionsStandOnWhite) {
  form8& step1 = page<form8>();
  for (auto* option : {step1.Option1, step1.Option2, step1.Option3}) {
    const QImage image = qt_test::grab(*option);
    EXPECT_EQ(image.pixel(8, 1) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(image.pixel(8, image.height() - 2) & 0xFFFFFF, 0xFFFFFFu);
  }
}

// The backdrop takes the outer size of the hidden test form, which loading step 1 creates.
// That form is no wizard step: its size may change.
TEST_F(Step1Test, BackdropIsSizedFromTheTestFormAndShowsItsMovie) {
  EXPECT_FALSE(wizard::page_exists(Form1::kNumber));
  form8& step1 = page<form8>();
  ASSERT_TRUE(wizard::page_exists(Form1::kNumber));
  Form1& form = page<Form1>();
  EXPECT_FALSE(form.isVisible()) << "the test form is never shown";
  EXPECT_EQ(step1.ShockwaveFlash1->geometry(),
            QRect(0, 0, wizard::to_pixels(form.Width()), wizard::to_pixels(form.Height())));
  EXPECT_EQ(step1.ShockwaveFlash1->movie(), core::spd_path("SWF/form8.swf"));
  form.resize(400, 300);
  EXPECT_EQ(form.size(), QSize(400, 300));

  step1.Show();
  const auto background =
      test_movies::background_of(testsupport::read_bytes(core::spd_path("SWF/form8.swf")));
  ASSERT_TRUE(background.has_value());
  // A third of the page in the movie's own background colour: the movie is on the screen.
  EXPECT_TRUE(qt_test::wait_until(
      [&] { return qt_test::share_of(qt_test::grab(*step1.ShockwaveFlash1), *background) > 0.3; }));

  const auto picture = testsupport::build_dir() / "pictures" / "emblem.png";
  if (!std::filesystem::exists(picture)) GTEST_SKIP() << "the build has no pictures/emblem.png";
  EXPECT_EQ(step1.Picture1->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
            QImage(QString::fromStdString(picture.string())).convertToFormat(QImage::Format_RGB32))
      << "the emblem";
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
  EXPECT_EQ(step1.size(), QSize(725, 519));
}

// "Next >" with no option stays on step 1 without a word, and so it does (until the speech and
// microphone pages exist) with their options.
TEST_F(Step1Test, OptionClicksSetThePageCodesAndTheLastClickDecides) {
  form8& step1 = page<form8>();
  step1.Show();
  step1.Command1->click();
  const struct {
    QRadioButton* option;
    int code;
  } clicks[] = {{step1.Option3, 4}, {step1.Option2, 9}, {step1.Option3, 4}, {step1.Option1, 10}};
  for (const auto& click : clicks) {
    click.option->click();
    EXPECT_EQ(core::step_code, click.code);
    EXPECT_EQ(core::source_form, click.code);
  }
  EXPECT_TRUE(step1.Option1->isChecked());
  EXPECT_FALSE(step1.Option3->isChecked()) << "the options form one group";
  step1.Command1->click();
  qt_test::pump(50);
  EXPECT_TRUE(wizard::page(10)->isVisible());
  EXPECT_FALSE(step1.isVisible());
  step1.Show();
  step1.Option2->click();
  step1.Command1->click();
  qt_test::pump(50);
  EXPECT_TRUE(wizard::page(9)->isVisible());
  EXPECT_FALSE(step1.isVisible());
  EXPECT_FALSE(wizard::page_exists(4));
  EXPECT_TRUE(boxes().shown().empty());
  EXPECT_EQ(ended, 0);
}

// Text that is no number is a type mismatch, reported, and leaves the result as it was.
TEST_F(TestFormTest, TimeAndFileSizeFormats) {
  Form1& form = page<Form1>();
  const struct {
    QPushButton* button;
    const char* in;
    const char* out;
  } rows[] = {{form.Command2, "75", "00:01:15"},
              {form.Command3, "1536", " 1.5 kb"},
              {form.Command2, "Text2", "unchanged"}};
  for (const auto& row : rows) {
    form.Text1->setText("unchanged");
    form.Text2->setText(row.in);
    wizard_test::mouse_click(row.button);
    EXPECT_EQ(form.Text1->text().toStdString(), row.out)
        << row.button->text().toStdString() << " of " << row.in;
  }
  EXPECT_EQ(boxes().texts(), std::vector<std::string>{"Run-time error '13':\n\nType mismatch"});
}

// Command1 reads the bitrate of the fixed file on drive C (the home folder here), drops it,
// and prints on the form.
TEST_F(TestFormTest, Command1ReadsTheFixedFileAndPrints) {
  Form1& form = page<Form1>();
  const std::string song = core::drive_c_path("song1.mp3");
  testsupport::TempDir dir;
  ASSERT_EQ(
      testsupport::run("sox -n -r 44100 -c 2 -b 16 " + quote(dir.file("s.wav")) + " synth 0.5 sine 300"), 0);
  ASSERT_EQ(testsupport::run("lame --quiet -t -b 96 " + quote(dir.file("s.wav")) + " " + quote(song)), 0);
  core::mp3_file_len = 0;
  form.Command1->click();
  EXPECT_EQ(form.printed(), QStringList{"this is"});
  EXPECT_EQ(core::mp3_file_len, static_cast<std::int32_t>(testsupport::read_bytes(song).size()));

  std::filesystem::remove(song);
  wizard_test::mouse_click(form.Command1);
  EXPECT_EQ(form.printed(), QStringList{"this is"}) << "a missing file stops before printing";
  EXPECT_FALSE(boxes().texts().empty());
}

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
  EXPECT_EQ(progress.minimumSize(), progress.maximumSize()) << "no maximising";

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
