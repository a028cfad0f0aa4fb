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

TEST(Tree, MoviesAreWellFormedAtTwentyFourFrames) {
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
    EXPECT_EQ(m.header.frame_rate, 0x1800u);
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

TEST(Tree, StylePicturesHaveTheGallerySizesAndShowTheirStyles) {
  const std::map<std::string, std::pair<int, int>> sizes = {
      {"sam1", {150, 65}}, {"sam2", {150, 50}}, {"sam3", {168, 68}},   {"sam4", {150, 58}},
      {"sam5", {160, 60}}, {"sam6", {173, 55}}, {"ind1", {55, 53}},    {"ind2", {60, 56}},
      {"ind3", {60, 59}},  {"ind4", {50, 50}},  {"ind5", {50, 50}},    {"ind6", {50, 50}},
      {"ind7", {55, 51}},  {"ind8", {55, 53}},  {"ind9", {59, 52}},    {"ind10", {50, 53}},
      {"ind11", {50, 50}}, {"ind12", {50, 50}}, {"ind13", {59, 63}},   {"ind14", {60, 72}},
      {"ind15", {66, 69}}, {"ind16", {59, 59}}, {"ind17", {100, 60}},  {"ind18", {62, 60}},
      {"sin1", {51, 51}},  {"sin2", {51, 51}},  {"sin3", {58, 54}},    {"sin4", {51, 51}},
      {"sin5", {58, 59}},  {"sin6", {56, 51}},  {"emblem", {100, 100}}};
  for (const auto& [name, size] : sizes) {
    SCOPED_TRACE(name);
    const QImage image = picture(name);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(size.first, size.second));
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
