// The installed page movies in Ruffle (headless Chromium): each loads with no error or warning
// from the player and shows its texts where the pages leave room for them. The style templates
// are played, composed, by the composition tests.

#include "support/ruffle.h"

#include <gtest/gtest.h>

#include <QImage>

#include "installed.h"

namespace {

using namespace datagen_test;

int ink(const QImage& image, const TextPlace& t) {
  int count = 0;
  for (int y = std::max(0, t.box.y0); y < std::min(image.height(), t.box.y1); ++y)
    for (int x = std::max(0, t.box.x0); x < std::min(image.width(), t.box.x1); ++x) {
      const QRgb p = image.pixel(x, y);
      count += t.light ? (qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) > 200)
                       : (qRed(p) + qGreen(p) + qBlue(p) < 300);
    }
  return count;
}

TEST(Ruffle, PageMoviesLoadCleanlyAndShowTheirTexts) {
  if (const std::string missing = testsupport::ruffle_missing(); !missing.empty()) GTEST_SKIP() << missing;
  testsupport::TempDir dir;
  std::vector<testsupport::RuffleMovie> movies;
  for (const PageMovie& m : page_movies())
    movies.push_back(
        {m.name(), (testsupport::build_dir() / "spd" / m.file).string(), 1, dir.file(m.name() + ".png")});
  const auto results = testsupport::play_in_ruffle(movies, dir);

  for (const PageMovie& m : page_movies()) {
    SCOPED_TRACE(m.name());
    ASSERT_TRUE(results.count(m.name())) << results.at("");
    EXPECT_NE(results.at(m.name()).find(" problems=none "), std::string::npos) << results.at("");
    const QImage shot =
        QImage(QString::fromStdString(dir.file(m.name() + ".png"))).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), QSize(m.width, m.height));
    for (const TextPlace& t : m.texts)
      EXPECT_GT(ink(shot, t), 100) << "no text at " << t.box.x0 << "," << t.box.y0;
  }
}

}  // namespace
