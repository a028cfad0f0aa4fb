// The installed movies in Ruffle (headless Chromium): every page movie and every style
// template loads with no error or warning from the player, the pages show their texts where
// they belong, and colours written at the composer's positions are what the player paints.

#include <gtest/gtest.h>

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <array>
#include <functional>

#include "installed.h"

namespace {

using namespace datagen_test;

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
  std::vector<ColouredStyle> styles;
  for (const StyleSet& s : style_sets()) {
    std::string tp = testsupport::read_bytes(s.tp.string()),
                bottom = testsupport::read_bytes(s.bottom.string());
    put_colour(tp, s.background, kBackground);
    ColouredStyle style{
        s.name(), dir / (s.name() + ".swf"), s.wide ? 400 : 200, s.wide ? 146 : 200, {kBackground}};
    for (std::size_t i = 0; i < s.buttons.size(); ++i) {
      put_colour(s.autoplay ? bottom : tp, s.buttons[i], kButtons[i]);
      style.colours.push_back(kButtons[i]);
    }
    testsupport::write_bytes(style.file.string(), tp + testsupport::read_bytes(s.middle.string()) + bottom);
    styles.push_back(style);
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
          QJsonObject{{"name", QString::fromStdString(m.name())},
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
    SCOPED_TRACE(m.name());
    const QImage shot = run.played(m.name());
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
