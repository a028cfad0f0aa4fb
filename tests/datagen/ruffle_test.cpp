// The installed movies in Ruffle (headless Chromium): every page movie and every style
// template loads with no error or warning from the player, the pages show their texts where
// they belong, and colours written at the composer's positions are what the player paints.

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <array>
#include <filesystem>
#include <functional>
#include <map>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

struct Box {
  int x0, y0, x1, y1;  // pixels of the stage
};

// Where each page movie has text, and whether that text is light on the title band or dark
// on the page.
struct TextPlace {
  Box box;
  bool light;
};

struct PageMovie {
  std::string file;
  int width, height;
  std::vector<TextPlace> texts;
};

std::vector<PageMovie> page_movies() {
  const TextPlace title{{118, 26, 420, 52}, true};
  auto backdrop = [&](const std::string& file, int w, int h, std::vector<TextPlace> more = {}) {
    more.insert(more.begin(), title);
    return PageMovie{file, w, h, more};
  };
  auto status = [](const std::string& file) {
    return PageMovie{file, 321, 81, {{{72, 30, 250, 52}, false}}};
  };
  // The option texts of step 1 and of the gallery stand right of the option marks.
  auto beside = [](int x, double centre) {
    return TextPlace{{x, static_cast<int>(centre) - 8, x + 140, static_cast<int>(centre) + 7}, false};
  };
  return {
      backdrop("SWF/form8.swf", 842, 549, {beside(240, 188.5), beside(240, 232.5), beside(240, 280.5)}),
      backdrop("SWF/form9.swf", 842, 549),
      backdrop("SWF/form10.swf", 842, 549),
      backdrop("SWF/form4.swf", 733, 553),
      backdrop("SWF/form3.swf", 733, 553),
      backdrop("SWF/form11.swf", 733, 553),
      backdrop("SWF/form7.swf", 733, 553),
      backdrop("SWF/form14.swf", 733, 553),
      backdrop("SWF/form12_a.swf", 733, 553),
      backdrop("SWF/form2.swf", 812, 620, {beside(204, 316.5), beside(204, 340.5), beside(204, 364.5)}),
      PageMovie{"SWF/Sound_Processing.swf", 462, 116, {{{48, 52, 190, 70}, false}}},
      status("SWF/start_recording_background.swf"),
      status("SWF/talking_girl.swf"),
      status("SWF/recording_stopped.swf"),
      status("SWF/playing.swf"),
      status("SWF/paused.swf"),
      status("SWF/resumed.swf"),
      status("SWF/stop.swf"),
      status("SWF/begining_of_recorded_sound.swf"),
      status("SWF/can_record_sound_again.swf"),
      status("SWF/select_voice.swf"),
      status("SWF/default_voice_selected.swf"),
      status("SWF/natural_voice_selected.swf"),
      status("SWF/select_text.swf"),
      status("SWF/start_recording.swf"),
      status("SWF/recording_text_animated.swf"),
      status("SWF/recording_text_complete.swf"),
  };
}

// A style with colours written where the composer writes them.
struct ColouredStyle {
  std::string name;
  fs::path file;
  int width, height;
  std::vector<QRgb> colours;  // background first
};

constexpr QRgb kBackground = qRgb(0xFE, 0xDC, 0x01);
constexpr std::array<QRgb, 3> kButtons = {qRgb(0x12, 0xEF, 0x34), qRgb(0xEF, 0x12, 0xC8),
                                          qRgb(0x1E, 0x3C, 0xFA)};

void put_colour(std::string& bytes, std::size_t position, QRgb colour) {
  bytes[position - 1] = static_cast<char>(qRed(colour));
  bytes[position] = static_cast<char>(qGreen(colour));
  bytes[position + 1] = static_cast<char>(qBlue(colour));
}

std::vector<ColouredStyle> coloured_styles(const fs::path& dir) {
  const fs::path spd = testsupport::build_dir() / "spd";
  constexpr std::array<std::size_t, 6> sam = {965, 966, 1301, 966, 1633, 1898};
  constexpr std::array<std::array<std::size_t, 3>, 6> ind = {{{965, 1718, 1481},
                                                              {966, 1485, 1332},
                                                              {1301, 2425, 2831},
                                                              {971, 1604, 1789},
                                                              {3045, 1634, 5549},
                                                              {2704, 1899, 3901}}};
  constexpr std::array<std::size_t, 6> sin = {778, 780, 1107, 850, 1423, 1590};
  constexpr std::array<std::array<std::size_t, 4>, 6> pla = {{{889, 22, 677, 22},
                                                              {889, 23, 677, 22},
                                                              {1224, 23, 1017, 28},
                                                              {890, 23, 755, 22},
                                                              {1556, 23, 1333, 28},
                                                              {1821, 23, 1500, 28}}};
  std::vector<ColouredStyle> styles;
  auto add = [&](const std::string& name, const fs::path& tp, const fs::path& middle, const fs::path& bottom,
                 std::size_t background, const std::vector<std::size_t>& buttons, bool in_bottom, bool wide) {
    std::string t = testsupport::read_bytes(tp.string()), b = testsupport::read_bytes(bottom.string());
    put_colour(t, background, kBackground);
    ColouredStyle style{name, dir / (name + ".swf"), wide ? 400 : 200, wide ? 146 : 200, {kBackground}};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
      put_colour(in_bottom ? b : t, buttons[i], kButtons[i]);
      style.colours.push_back(kButtons[i]);
    }
    testsupport::write_bytes(style.file.string(), t + testsupport::read_bytes(middle.string()) + b);
    styles.push_back(style);
  };
  for (int k = 1; k <= 6; ++k) {
    const std::string n = std::to_string(k);
    const std::size_t wide_bg = k == 1 ? 22 : 23;
    add("sam" + n, spd / "sam" / n / ("tp" + n + ".spd"), spd / "sam/middle" / ("middle" + n + ".spd"),
        spd / "sam" / n / ("bottom" + n + ".spd"), wide_bg, {sam[k - 1]}, false, true);
    add("ind" + n, spd / "ind" / (n + "_mod") / ("tp" + n + ".spd"),
        spd / "ind/middle_mod" / ("middle" + n + ".spd"),
        spd / "ind" / (n + "_mod") / ("bottom" + n + ".spd"), wide_bg,
        {ind[k - 1][0], ind[k - 1][1], ind[k - 1][2]}, false, true);
    add("sin" + n, spd / "sin" / (n + "_sin") / ("tp" + n + ".spd"),
        spd / "sin/middle" / ("middle" + n + ".spd"), spd / "sin" / (n + "_sin") / ("bottom" + n + ".spd"),
        22, {sin[k - 1]}, false, false);
    add("sam_pla" + n, spd / "sam_pla" / (n + "_sam_pla") / ("tp" + n + ".spd"),
        spd / "sam_pla/middle" / ("middle" + n + ".spd"),
        spd / "sam_pla" / (n + "_sam_pla") / ("bottom" + n + ".spd"), pla[k - 1][1], {pla[k - 1][0]}, true,
        true);
    add("sin_pla" + n, spd / "sin_pla" / (n + "_sin_pla") / ("tp" + n + ".spd"),
        spd / "sin_pla/middle" / ("middle" + n + ".spd"),
        spd / "sin_pla" / (n + "_sin_pla") / ("bottom" + n + ".spd"), pla[k - 1][3], {pla[k - 1][2]}, true,
        false);
  }
  return styles;
}

int count_pixels(const QImage& image, const Box& box, const std::function<bool(QRgb)>& wanted) {
  int count = 0;
  for (int y = std::max(0, box.y0); y < std::min(image.height(), box.y1); ++y)
    for (int x = std::max(0, box.x0); x < std::min(image.width(), box.x1); ++x)
      if (wanted(image.pixel(x, y))) ++count;
  return count;
}

bool near(QRgb a, QRgb b) {
  return std::abs(qRed(a) - qRed(b)) <= 3 && std::abs(qGreen(a) - qGreen(b)) <= 3 &&
         std::abs(qBlue(a) - qBlue(b)) <= 3;
}

// One run of the browser for all movies (it takes half a minute); the checks follow.
class RuffleRun {
 public:
  RuffleRun() {
    QJsonArray movies;
    for (const PageMovie& m : page_movies()) {
      movies.append(
          QJsonObject{{"name", QString::fromStdString(fs::path(m.file).stem().string())},
                      {"file", QString::fromStdString((testsupport::build_dir() / "spd" / m.file).string())},
                      {"width", m.width},
                      {"height", m.height}});
    }
    styles_ = coloured_styles(dir_.path());
    for (const ColouredStyle& s : styles_) {
      movies.append(QJsonObject{{"name", QString::fromStdString(s.name)},
                                {"file", QString::fromStdString(s.file.string())},
                                {"width", s.width},
                                {"height", s.height}});
    }
    const QJsonObject manifest{
        {"ruffle",
         QString::fromStdString((testsupport::source_dir() / "node_modules/@ruffle-rs/ruffle").string())},
        {"movies", movies}};
    testsupport::write_bytes(dir_.file("manifest.json"), QJsonDocument(manifest).toJson().toStdString());
    status_ = testsupport::run(
        "node " +
        testsupport::quote((testsupport::source_dir() / "tests/datagen/ruffle_movies.mjs").string()) + " " +
        testsupport::quote(dir_.file("manifest.json")) + " " + testsupport::quote(dir_.file("shots")));
    results_ = QJsonDocument::fromJson(
                   QByteArray::fromStdString(testsupport::read_bytes(dir_.file("shots/results.json"))))
                   .object();
  }

  int status() const { return status_; }
  const std::vector<ColouredStyle>& styles() const { return styles_; }

  // Loaded with nothing in the player's log; returns the screenshot.
  QImage played(const std::string& name) const {
    const QJsonObject r = results_.value(QString::fromStdString(name)).toObject();
    EXPECT_TRUE(r.value("loaded").toBool()) << name << " did not load";
    for (const auto& line : r.value("log").toArray())
      ADD_FAILURE() << name << ": " << line.toString().toStdString();
    return QImage(QString::fromStdString(dir_.file("shots/" + name + ".png")))
        .convertToFormat(QImage::Format_RGB32);
  }

 private:
  testsupport::TempDir dir_;
  std::vector<ColouredStyle> styles_;
  int status_ = -1;
  QJsonObject results_;
};

TEST(Ruffle, InstalledMoviesLoadCleanlyShowTheirTextsAndTheColoursAtTheirPositions) {
  const RuffleRun run;
  ASSERT_EQ(run.status(), 0);

  // Page movies: texts where the pages leave room for them.
  for (const PageMovie& m : page_movies()) {
    const std::string name = fs::path(m.file).stem().string();
    SCOPED_TRACE(name);
    const QImage shot = run.played(name);
    ASSERT_FALSE(shot.isNull());
    for (const TextPlace& t : m.texts) {
      const int ink = count_pixels(shot, t.box, [&](QRgb p) {
        return t.light ? (qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) > 200)
                       : (qRed(p) + qGreen(p) + qBlue(p) < 300);
      });
      EXPECT_GT(ink, 100) << "no text at " << t.box.x0 << "," << t.box.y0;
    }
  }

  // Styles: the background and every button colour written at the table positions show.
  for (const ColouredStyle& s : run.styles()) {
    SCOPED_TRACE(s.name);
    const QImage shot = run.played(s.name);
    ASSERT_FALSE(shot.isNull());
    const Box all{0, 0, shot.width(), shot.height()};
    for (QRgb colour : s.colours) {
      EXPECT_GT(count_pixels(shot, all, [&](QRgb p) { return near(p, colour); }), 60)
          << "colour " << std::hex << colour << " not painted";
    }
  }
}

}  // namespace
