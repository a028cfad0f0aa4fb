// The Flash control and the web browser control, each showing real movies through Ruffle.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QPushButton>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>
#include <optional>

#include "platform/flash/browser_control.h"
#include "platform/flash/flash_control.h"
#include "support/qt_app.h"
#include "support/test_movies.h"
#include "support/test_support.h"
#include "webcode/page_env.h"

namespace {

using platform::flash::BrowserControl;
using platform::flash::FlashControl;
using qt_test::grab;
using qt_test::share_of;
using qt_test::wait_until;

constexpr QRgb kNavy = 0x000080, kOrange = 0xFF8000, kGreen = 0x00FF00, kWhite = 0xFFFFFF;

// A window with one control of type `Control`, 400 x 300 pixels, and a folder for its files.
template <class Control>
class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qt_test::app();
    window = std::make_unique<QWidget>();
    window->resize(420, 320);
    control = new Control(window.get());
    control->Width(400 * 15);
    control->Height(300 * 15);
  }

  // Writes a movie of `frames` frames (navy stage, square of `square`) and returns its path.
  std::string movie(const std::string& name, int frames = 1, QRgb square = kOrange) {
    testsupport::write_bytes(dir.file(name), test_movies::square_movie(kNavy, square, frames));
    return dir.file(name);
  }

  bool shows(QRgb rgb, double share, QRect area = {}) {
    return wait_until([&] { return share_of(grab(*control), rgb, area) >= share; });
  }

  testsupport::TempDir dir;
  std::unique_ptr<QWidget> window;
  Control* control = nullptr;
};

class FlashControlTest : public ControlTest<FlashControl> {
 protected:
  // True once the picture stays the same for a while, and stays so for longer still.
  bool freezes() {
    QImage still;
    const bool settled = wait_until(
        [&] {
          still = grab(*control);
          qt_test::pump(300);
          return grab(*control) == still;
        },
        5000);
    qt_test::pump(600);
    return settled && grab(*control) == still && share_of(still, kOrange) > 0.07;
  }

  // Ruffle's frame requests in the next `ms` milliseconds.
  int frames_asked(int ms) {
    js("window.asked = 0; if (!window.counting) { window.counting = true; const ask = requestAnimationFrame;"
       "window.requestAnimationFrame = function (f) { ++window.asked; return ask(f); }; }");
    qt_test::pump(ms);
    return js("window.asked").toInt();
  }

  bool moves() {
    const QImage before = grab(*control);
    return wait_until([&] { return grab(*control) != before; }, 3000);
  }

  // What the view's page answers to `script`.
  QVariant js(const QString& script) {
    std::optional<QVariant> answer;
    control->view()->page()->runJavaScript(script, [&](const QVariant& v) { answer = v; });
    wait_until([&] { return answer.has_value(); });
    return answer.value_or(QVariant());
  }
};

// Counts the paint events of a widget and of the widgets in it.
struct PaintCount : QObject {
  explicit PaintCount(QWidget* widget) {
    widget->installEventFilter(this);
    for (QWidget* child : widget->findChildren<QWidget*>()) child->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    paints += event->type() == QEvent::Paint;
    return false;
  }
  int paints = 0;
};

// The square is 100 x 100 of the 400 x 300 stage: a twelfth of the pixels are orange. A view
// exists only while the control and its page are shown.
TEST_F(FlashControlTest, ShowsTheLoadedMovieWhileShownAndReloadsRewrittenFiles) {
  int shown = 0;
  QObject::connect(control, &FlashControl::movieShown, [&] { ++shown; });
  control->LoadMovie(0, movie("still.swf"));
  EXPECT_EQ(control->view(), nullptr) << "no view before the control is shown";
  window->show();
  ASSERT_TRUE(wait_until([&] { return shown == 1; }));
  // The frame reaches the widget within a few display frames of the report.
  ASSERT_TRUE(wait_until([&] { return share_of(grab(*control), kOrange) > 0.07; }, 1000))
      << "no movie pixels";
  EXPECT_EQ(grab(*control).pixel(200, 150) & 0xFFFFFF, kOrange);
  EXPECT_EQ(grab(*control).pixel(20, 20) & 0xFFFFFF, kNavy);
  // Its 24 frames a second change nothing and draw nothing: the view is not painted again
  // (drawing every frame paints it about 30 times in 1.5 s; a busy machine adds a few paints).
  const PaintCount count(control->view());
  qt_test::pump(1500);
  EXPECT_LT(count.paints, 12);

  control->Visible(false);
  EXPECT_EQ(control->view(), nullptr);
  window->hide();
  control->Visible(true);
  EXPECT_EQ(control->view(), nullptr) << "a control on a hidden page stays without a view";
  window->show();
  ASSERT_TRUE(shows(kOrange, 0.07));

  // The way the pages show a file they have just rewritten: the empty movie, then the file.
  testsupport::write_bytes(dir.file("blank.swf"), test_movies::square_movie(kWhite, kWhite));
  movie("still.swf", 1, kGreen);
  control->LoadMovie(0, dir.file("blank.swf"));
  control->LoadMovie(0, dir.file("still.swf"));
  ASSERT_TRUE(shows(kGreen, 0.07)) << "the old movie is still shown";
  EXPECT_EQ(share_of(grab(*control), kOrange), 0.0);
}

// A control wider than the stage keeps the stage's proportions: the spare strips left and
// right take the background colour, which a new view takes over too.
TEST_F(FlashControlTest, BackgroundColourFillsTheSpareArea) {
  window->resize(600, 300);
  control->Width(600 * 15);
  control->LoadMovie(0, movie("still.swf"));
  window->show();
  ASSERT_TRUE(shows(kOrange, 0.05));
  const QRect left_strip(0, 0, 90, 300), right_strip(510, 0, 90, 300);
  EXPECT_GT(share_of(grab(*control), kNavy, left_strip), 0.99) << "the movie's own colour at first";

  control->BGColor("00FF00");
  ASSERT_TRUE(shows(kGreen, 0.99, left_strip));
  EXPECT_GT(share_of(grab(*control), kGreen, right_strip), 0.99);
  EXPECT_GT(share_of(grab(*control), kOrange, QRect(250, 100, 100, 100)), 0.99) << "the square stays";
  EXPECT_EQ(share_of(grab(*control), kNavy), 0.0);

  control->Visible(false);
  control->BGColor("FFFFFF");  // set while there is no view
  control->Visible(true);
  ASSERT_TRUE(shows(kOrange, 0.05));
  EXPECT_TRUE(shows(kWhite, 0.99, left_strip));
}

// The square crosses the stage in 48 frames (two seconds). A Stop that comes before the movie
// has reached a view holds it at its first frame.
TEST_F(FlashControlTest, StopFreezesAndPlayResumes) {
  control->LoadMovie(0, movie("moving.swf", 48));
  window->show();
  ASSERT_TRUE(shows(kOrange, 0.07));
  EXPECT_TRUE(moves()) << "the movie plays once loaded";
  // Ruffle is handed frames at the movie's rate (48 in two seconds), not at the display's 60
  // a second, finds no game pads to poll, and feeds no sound output for a movie without sounds.
  js("window.asked = 0; const ask = requestAnimationFrame;"
     "window.requestAnimationFrame = function (f) { ++window.asked; return ask(f); };"
     "window.fed = 0; const feed = AudioBufferSourceNode.prototype.start;"
     "AudioBufferSourceNode.prototype.start = function () { ++window.fed; return feed.apply(this, "
     "arguments); };");
  qt_test::pump(2000);
  EXPECT_LT(js("window.asked").toInt(), 80);
  EXPECT_GT(js("window.asked").toInt(), 20);
  EXPECT_EQ(js("navigator.getGamepads().length").toInt(), 0);
  control->Stop();
  EXPECT_TRUE(freezes()) << "a stopped movie does not move and stays shown";
  control->Play();
  EXPECT_TRUE(moves()) << "Play starts it again";
  EXPECT_EQ(js("window.fed").toInt(), 0);

  control->Visible(false);
  control->LoadMovie(0, movie("moving.swf", 48));
  control->Stop();
  control->Visible(true);
  ASSERT_TRUE(shows(kOrange, 0.07)) << "a stopped movie still shows its first frame";
  EXPECT_TRUE(freezes());
}

// A movie still for a while gets 4 frames a second; a moving one, or the mouse over it, keeps 24.
TEST_F(FlashControlTest, AStillMovieIsHandedFewFrames) {
  control->LoadMovie(0, movie("moving.swf", 48));
  window->show();
  ASSERT_TRUE(shows(kOrange, 0.07));
  qt_test::pump(3000);
  EXPECT_GT(frames_asked(2000), 30) << "a moving movie at its 24 frames a second";

  control->LoadMovie(0, movie("still.swf", 1, kGreen));
  ASSERT_TRUE(shows(kGreen, 0.07));
  qt_test::pump(3000);
  EXPECT_LT(frames_asked(2000), 16) << "a still movie at 4 frames a second, not 24";
  QWidget* view = control->childAt(200, 150);
  for (int x = 100; x < 300; x += 50) {
    QMouseEvent move(QEvent::MouseMove, QPointF(x, 150), view->mapToGlobal(QPointF(x, 150)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view, &move);
  }
  EXPECT_GT(frames_asked(1000), 15) << "the mouse over it";
}

// A looping 4 s still movie with a half-second tone in its third second: after a second of silence
// the output is fed nothing until the tone comes again, on time.
TEST_F(FlashControlTest, ASilentOutputRestsUntilTheSoundComes) {
  testsupport::write_bytes(dir.file("tone.swf"), test_movies::tone_movie(96, 72));
  control->LoadMovie(0, dir.file("tone.swf"));
  window->show();
  ASSERT_TRUE(shows(kOrange, 0.07));
  // Each buffer handed to the output: its page time in ms, whether it holds sound, the output's state.
  js("window.fed = []; const feed = AudioBufferSourceNode.prototype.start;"
     "AudioBufferSourceNode.prototype.start = function () { const d = this.buffer.getChannelData(0);"
     "let loud = false; for (let i = 0; i < d.length && !loud; ++i) loud = Math.abs(d[i]) > 0.05;"
     "window.fed.push([performance.now(), loud, this.context.state]); return feed.apply(this, arguments); "
     "};");
  qt_test::pump(10000);
  const QJsonArray fed =
      QJsonDocument::fromJson(js("JSON.stringify(window.fed)").toString().toUtf8()).array();
  struct Burst {  // first and last buffer of a burst of sound, the output's state at the last
    double first, last;
    std::string state;
  };
  std::vector<Burst> tones;
  for (const QJsonValue& buffer : fed) {
    const double at = buffer[0].toDouble();
    if (!buffer[1].toBool()) continue;
    if (tones.empty() || at - tones.back().last > 1500) tones.push_back({at, at, {}});
    tones.back().last = at;
    tones.back().state = buffer[2].toString().toStdString();
  }
  for (const Burst& tone : tones) EXPECT_EQ(tone.state, "running") << "the tone handed to a suspended output";
  ASSERT_GE(tones.size(), 2u) << "the tone played twice in 10 s";
  EXPECT_NEAR(tones[1].first - tones[0].first, 4000, 600) << "the tone again four seconds later";
  int between = 0;
  for (const QJsonValue& buffer : fed)
    between += buffer[0].toDouble() > tones[0].last + 1600 && buffer[0].toDouble() < tones[1].first - 50;
  EXPECT_EQ(between, 0) << "buffers fed while the output had only silence to hand";
}

// Ruffle's code (14 MB) and a 16 MB movie each stand in the page as one fetched buffer, and once
// the movie is shown the page holds neither (the player has its own copies).
TEST_F(FlashControlTest, FetchedBytesStandOnceAndAreLetGoOnceTheMovieIsShown) {
  int shown = 0;
  QObject::connect(control, &FlashControl::movieShown, [&] { ++shown; });
  control->LoadMovie(0, movie("still.swf"));
  window->show();
  ASSERT_TRUE(wait_until([&] { return shown == 1; }));
  // From the page's start: every buffer of 1 MB or more its requests and responses hand out.
  QWebEngineScript watch;
  watch.setInjectionPoint(QWebEngineScript::DocumentCreation);
  watch.setWorldId(QWebEngineScript::MainWorld);
  watch.setSourceCode(
      "window.held = []; const seen = new WeakSet(); const keep = function (b) {"
      "  if (b instanceof ArrayBuffer && b.byteLength >= 1 << 20 && !seen.has(b)) {"
      "    seen.add(b); window.held.push(new WeakRef(b)); } return b; };"
      "const response = Object.getOwnPropertyDescriptor(XMLHttpRequest.prototype, 'response').get;"
      "Object.defineProperty(XMLHttpRequest.prototype, 'response', { get: function () {"
      "  return keep(response.call(this)); } });"
      "const read = Response.prototype.arrayBuffer;"
      "Response.prototype.arrayBuffer = function () { return read.call(this).then(keep); };");
  control->view()->page()->scripts().insert(watch);
  control->view()->reload();
  ASSERT_TRUE(wait_until([&] { return shown == 2; }, 20000));

  namespace swf = engine::swf;
  const std::string still = test_movies::square_movie(kNavy, kGreen);
  std::string data("\x03\x00\x00\x00\x00\x00", 6);  // DefineBinaryData: id 3, reserved
  data.resize(16 << 20, '\x5A');
  // The still movie without its ShowFrame and End, the data, then those two again.
  std::string big = still.substr(0, still.size() - 4) + swf::tag(87, data, true);
  big += swf::tag(swf::kShowFrame, {}) + swf::tag(swf::kEnd, {});
  swf::set_file_length(big);
  testsupport::write_bytes(dir.file("long.swf"), big);
  control->LoadMovie(0, dir.file("long.swf"));
  ASSERT_TRUE(wait_until([&] { return shown == 3; }, 20000));
  ASSERT_TRUE(shows(kGreen, 0.07));
  qt_test::pump(500);
  EXPECT_EQ(js("window.held.length").toInt(), 2) << "buffers of Ruffle's code and the movie handed out";
  EXPECT_EQ(js("window.held.filter(r => r.deref()).length").toInt(), 0) << "still held once shown";
}

// Until its first frame the control shows the movie's stage colour (here of a zlib-packed
// movie), or the chosen background, and never white.
TEST_F(FlashControlTest, BeforeTheFirstFrameTheControlShowsItsGround) {
  const std::string plain = test_movies::square_movie(kNavy, kOrange);
  const QByteArray packed = qCompress(QByteArray::fromStdString(plain.substr(8))).mid(4);  // zlib stream
  testsupport::write_bytes(dir.file("packed.swf"), "C" + plain.substr(1, 7) + packed.toStdString());
  bool shown = false;
  QObject::connect(control, &FlashControl::movieShown, [&] { shown = true; });
  for (const QRgb ground : {kNavy, kGreen}) {
    control->BGColor(ground == kGreen ? "00FF00" : "");
    control->LoadMovie(0, dir.file("packed.swf"));
    shown = false;
    window->show();
    for (int looks = 0; !shown; ++looks) {  // the report comes a few frames after the first
      ASSERT_LT(looks, 2000);
      const QImage look = grab(*control);
      EXPECT_GE(share_of(look, ground), 0.9) << "look " << looks;
      EXPECT_EQ(share_of(look, kWhite), 0.0) << "look " << looks;
      qt_test::pump(10);
    }
    window->hide();
  }
}

// A page of the given colour holding, at its top-left corner, the fixed page code for a movie
// 200 x 150 (an <object> for the ActiveX control around an <embed> for the plug-in).
std::string sample_page(const std::string& movie, const std::string& page_colour) {
  pagetest::set_parameters("200", "150");
  Module33::movie_path = movie;
  Module41::make_fixed_code();
  return "<html><body style=\"margin:0;background:" + page_colour + "\">\r\n" + Module33::html_code +
         "</body></html>\r\n";
}

// The 400 x 300 stage shown at 200 x 150: the square covers 50 x 50 pixels in its middle.
const QRect kSquareOnPage(75, 50, 50, 50);

using BrowserControlTest = ControlTest<BrowserControl>;

// The sample pages name the movie by its absolute path, or relative to the page; Ruffle stands
// in for the plug-in. A page written again under the same name shows its new content; a hidden
// control keeps no view and shows the page again when shown.
TEST_F(BrowserControlTest, APagesEmbeddedMoviePlays) {
  control->Left(150);
  control->Top(150);
  EXPECT_EQ(control->geometry(), QRect(10, 10, 400, 300)) << "placement in twips, shared by both controls";
  testsupport::TempDir other;
  testsupport::write_bytes(other.file("t.htm"), sample_page(movie("movie.swf"), "#00ff00"));
  control->Navigate(other.file("t.htm"));
  window->show();
  ASSERT_TRUE(shows(kOrange, 0.9, kSquareOnPage)) << "the movie's square is not on the page";
  EXPECT_EQ(grab(*control).pixel(10, 10) & 0xFFFFFF, kNavy) << "the movie's stage at the top-left corner";
  EXPECT_EQ(grab(*control).pixel(300, 250) & 0xFFFFFF, kGreen) << "the page around it";
  EXPECT_EQ(control->LocationName(), other.file("t.htm"));

  const std::string page = dir.file("test.htm");
  testsupport::write_bytes(page, sample_page("movie.swf", "#ffffff"));
  control->Navigate(page);
  ASSERT_TRUE(shows(kWhite, 0.5)) << "the new page";
  ASSERT_TRUE(shows(kOrange, 0.9, kSquareOnPage)) << "a movie named relative to the page";

  testsupport::write_bytes(page, sample_page("movie.swf", "#000080"));
  control->Navigate(page);
  ASSERT_TRUE(shows(kNavy, 0.9)) << "the old page is still shown";
  control->Visible(false);
  EXPECT_EQ(control->view(), nullptr);
  control->Visible(true);
  ASSERT_NE(control->view(), nullptr);
  EXPECT_TRUE(shows(kNavy, 0.9));
}

TEST_F(BrowserControlTest, AMissingPageReportsFailure) {
  int reports = 0, failures = 0;
  QObject::connect(control, &BrowserControl::pageLoaded, [&](bool ok) {
    ++reports;
    failures += ok ? 0 : 1;
  });
  control->Navigate(dir.file("nowhere.htm"));
  window->show();
  ASSERT_TRUE(wait_until([&] { return reports > 0; }));
  EXPECT_EQ(failures, reports);
}

// A movie takes no keyboard input: Tab goes round the window's own buttons, and a click on the
// movie leaves the focus where it was.
TEST_F(FlashControlTest, TakesNoFocus) {
  QPushButton* buttons[] = {new QPushButton(window.get()), new QPushButton(window.get())};
  control->LoadMovie(0, movie("still.swf"));
  window->show();
  QApplication::setActiveWindow(window.get());
  ASSERT_TRUE(shows(kOrange, 0.07));
  buttons[0]->setFocus();
  for (int i = 1; i <= 4; ++i) {
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(window->focusWidget(), &tab);
    EXPECT_EQ(window->focusWidget(), buttons[i % 2]) << "Tab " << i;
  }
  QWidget* view = control->childAt(200, 150);
  for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent click(type, QPointF(9, 9), view->mapToGlobal(QPointF(9, 9)), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view, &click);
  }
  qt_test::pump(500);
  EXPECT_EQ(window->focusWidget(), buttons[0]);
}

}  // namespace
