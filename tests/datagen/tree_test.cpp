// The installed tree around the templates: page movies, empty movies, folders, the pristine
// copy, the pictures, and the generator's determinism.

#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <map>

#include "installed.h"
#include "support/swf_reader.h"

namespace {

using namespace datagen_test;
namespace swf = testsupport::swf;

fs::path spd() { return testsupport::build_dir() / "spd"; }

TEST(Tree, MoviesAreWellFormedAtTwelveFrames) {
  std::vector<PageMovie> movies = page_movies();
  movies.push_back({"blank.swf", 0, 0, {}});
  movies.push_back({"SWF/blank2.swf", 0, 0, {}});
  for (const PageMovie& page : movies) {
    SCOPED_TRACE(page.file);
    const std::string bytes = testsupport::read_bytes((spd() / page.file).string());
    swf::Movie m;
    ASSERT_NO_THROW(m = swf::read_movie(bytes));
    EXPECT_EQ(m.header.file_length, bytes.size());
    ASSERT_EQ(m.tags.back().code, swf::kEnd);
    EXPECT_EQ(m.tags.back().end(), bytes.size());
    std::vector<swf::Tag> frames;
    std::copy_if(m.tags.begin(), m.tags.end(), std::back_inserter(frames),
                 [](const swf::Tag& t) { return t.code == swf::kShowFrame; });
    if (page.width == 0) {  // the empty movies: one empty frame
      EXPECT_EQ(m.tags.size(), 2u);
      EXPECT_EQ(frames.size(), 1u);
      continue;
    }
    // Six frames a second: enough for the decoration to look alive, a quarter of the drawing of 24.
    EXPECT_EQ(m.header.frame_rate, 6u << 8);
    EXPECT_EQ(m.header.frame_size.x_max, page.width * 20);
    EXPECT_EQ(m.header.frame_size.y_max, page.height * 20);
    EXPECT_GT(m.header.frame_count, 1u) << "a page movie moves";
    EXPECT_EQ(frames.size(), m.header.frame_count);
  }
}

TEST(Tree, WorkingFoldersAndSamplePageExist) {
  EXPECT_TRUE(fs::is_directory(spd() / "twav"));
  EXPECT_TRUE(fs::is_directory(spd() / "wvtemp"));
  const std::string page = testsupport::read_bytes((spd() / "web/t.htm").string());
  EXPECT_NE(page.find("<html>"), std::string::npos);
  EXPECT_NE(page.find("</html>"), std::string::npos);
}

std::map<std::string, std::string> tree(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    files[fs::relative(entry.path(), root).string()] =
        entry.is_directory() ? "<dir>" : testsupport::read_bytes(entry.path().string());
  return files;
}

TEST(Tree, PristineCopyEqualsTheDataTree) {
  const auto data = tree(spd());
  EXPECT_GT(data.size(), 150u);
  EXPECT_TRUE(data == tree(testsupport::build_dir() / "spd_back"));
}

TEST(Tree, GeneratorWritesTheSameBytesEveryTimeAndNeedsItsOutputFolder) {
  EXPECT_NE(testsupport::run(std::string(MELLIX_DATAGEN) + " 2>/dev/null"), 0);
  testsupport::TempDir first, second;
  for (const auto* out : {&first, &second})
    ASSERT_EQ(testsupport::run(std::string("QT_QPA_PLATFORM=offscreen ") + MELLIX_DATAGEN + " " +
                               testsupport::quote(out->path().string())),
              0);
  for (const char* dir : {"spd", "spd_back", "pictures"}) {
    SCOPED_TRACE(dir);
    const auto a = tree(first.path() / dir);
    EXPECT_FALSE(a.empty());
    EXPECT_TRUE(a == tree(second.path() / dir));
  }
}

QImage picture(const std::string& name) {
  return QImage(QString::fromStdString((testsupport::build_dir() / "pictures" / (name + ".png")).string()));
}

TEST(Tree, StylePicturesShowTheirStyles) {
  std::vector<std::string> names = {"emblem"};
  for (const char* family : {"sam", "sin"})
    for (int k = 1; k <= 6; ++k) names.push_back(family + std::to_string(k));
  for (int k = 1; k <= 18; ++k) names.push_back("ind" + std::to_string(k));
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const QImage image = picture(name);
    ASSERT_FALSE(image.isNull());
    // Of the gallery's size: the lowest box is 41 pixels high (the gallery's test holds each
    // picture to its own box).
    EXPECT_GE(std::min(image.width(), image.height()), 41) << "a picture of the gallery's size";
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) ink += image.pixel(x, y) != qRgb(255, 255, 255);
    EXPECT_GT(ink, image.width() * image.height() / 8) << "a picture shows its style";
  }
  // The three ind pictures of one shape show its three colour targets.
  for (int first = 1; first <= 16; first += 3) {
    SCOPED_TRACE(first);
    const QImage a = picture("ind" + std::to_string(first)), b = picture("ind" + std::to_string(first + 1)),
                 c = picture("ind" + std::to_string(first + 2));
    const QRect common(QPoint(), a.size().boundedTo(b.size()).boundedTo(c.size()));
    EXPECT_NE(a.copy(common), b.copy(common));
    EXPECT_NE(b.copy(common), c.copy(common));
  }
}

}  // namespace
