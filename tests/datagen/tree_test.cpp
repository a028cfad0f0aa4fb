// The installed tree around the templates: page movies, empty movies, folders, the pristine
// copy, the pictures, and the generator's determinism.

#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <filesystem>
#include <map>

#include "support/test_support.h"
#include "swf_walker.h"

namespace {

using namespace datagen_test;
namespace fs = std::filesystem;

fs::path spd() { return testsupport::build_dir() / "spd"; }

// Every movie the pages load, with its stage in pixels (the size of the Flash control that
// shows it: the reference page's outer size for backdrops).
const std::map<std::string, std::pair<int, int>>& page_movies() {
  static const std::map<std::string, std::pair<int, int>> movies = {
      {"SWF/form8.swf", {842, 549}},
      {"SWF/form9.swf", {842, 549}},
      {"SWF/form10.swf", {842, 549}},
      {"SWF/form4.swf", {733, 553}},
      {"SWF/form3.swf", {733, 553}},
      {"SWF/form11.swf", {733, 553}},
      {"SWF/form7.swf", {733, 553}},
      {"SWF/form14.swf", {733, 553}},
      {"SWF/form12_a.swf", {733, 553}},
      {"SWF/form2.swf", {812, 620}},
      {"SWF/Sound_Processing.swf", {462, 116}},
      {"SWF/start_recording_background.swf", {321, 81}},
      {"SWF/talking_girl.swf", {321, 81}},
      {"SWF/recording_stopped.swf", {321, 81}},
      {"SWF/playing.swf", {321, 81}},
      {"SWF/paused.swf", {321, 81}},
      {"SWF/resumed.swf", {321, 81}},
      {"SWF/stop.swf", {321, 81}},
      {"SWF/begining_of_recorded_sound.swf", {321, 81}},
      {"SWF/can_record_sound_again.swf", {321, 81}},
      {"SWF/select_voice.swf", {321, 81}},
      {"SWF/default_voice_selected.swf", {321, 81}},
      {"SWF/natural_voice_selected.swf", {321, 81}},
      {"SWF/select_text.swf", {321, 81}},
      {"SWF/start_recording.swf", {321, 81}},
      {"SWF/recording_text_animated.swf", {321, 81}},
      {"SWF/recording_text_complete.swf", {321, 81}},
  };
  return movies;
}

TEST(Tree, PageMoviesAreWellFormedAnimationsAtTwentyFourFrames) {
  for (const auto& [file, size] : page_movies()) {
    SCOPED_TRACE(file);
    const std::string bytes = testsupport::read_bytes((spd() / file).string());
    const Movie m = read_movie(bytes);
    ASSERT_EQ(m.error, "");
    EXPECT_EQ(m.file_length, bytes.size());
    EXPECT_EQ(m.rate, 0x1800u);
    EXPECT_EQ(m.frame.xmax, size.first * 20);
    EXPECT_EQ(m.frame.ymax, size.second * 20);
    EXPECT_GT(m.frames, 1u) << "a page movie moves";
    const auto show_frames =
        std::count_if(m.tags.begin(), m.tags.end(), [](const Tag& t) { return t.code == 1; });
    EXPECT_EQ(static_cast<unsigned>(show_frames), m.frames);
  }
}

TEST(Tree, EmptyMoviesHoldOneEmptyFrame) {
  for (const char* file : {"blank.swf", "SWF/blank2.swf"}) {
    SCOPED_TRACE(file);
    const std::string bytes = testsupport::read_bytes((spd() / file).string());
    const Movie m = read_movie(bytes);
    ASSERT_EQ(m.error, "");
    EXPECT_EQ(m.file_length, bytes.size());
    ASSERT_EQ(m.tags.size(), 2u);
    EXPECT_EQ(m.tags[0].code, 1);  // ShowFrame
    EXPECT_EQ(m.tags[1].code, 0);  // End
  }
}

TEST(Tree, WorkingFoldersAndSamplePageFolderExist) {
  EXPECT_TRUE(fs::is_directory(spd() / "twav"));
  EXPECT_TRUE(fs::is_directory(spd() / "wvtemp"));
  const std::string page = testsupport::read_bytes((spd() / "web/t.htm").string());
  EXPECT_NE(page.find("<html>"), std::string::npos);
  EXPECT_NE(page.find("</html>"), std::string::npos);
}

std::map<std::string, std::string> tree(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string relative = fs::relative(entry.path(), root).string();
    files[relative] = entry.is_directory() ? "<dir>" : testsupport::read_bytes(entry.path().string());
  }
  return files;
}

TEST(Tree, PristineCopyEqualsTheDataTree) {
  const auto data = tree(spd());
  EXPECT_GT(data.size(), 150u);
  EXPECT_TRUE(data == tree(testsupport::build_dir() / "spd_back"));
}

TEST(Tree, GeneratorWritesTheSameBytesEveryTime) {
  testsupport::TempDir first, second;
  ASSERT_EQ(testsupport::run(std::string("QT_QPA_PLATFORM=offscreen ") + MELLIX_DATAGEN + " " +
                             testsupport::quote(first.path().string())),
            0);
  ASSERT_EQ(testsupport::run(std::string("QT_QPA_PLATFORM=offscreen ") + MELLIX_DATAGEN + " " +
                             testsupport::quote(second.path().string())),
            0);
  for (const char* dir : {"spd", "spd_back", "pictures"}) {
    SCOPED_TRACE(dir);
    const auto a = tree(first.path() / dir);
    EXPECT_FALSE(a.empty());
    EXPECT_TRUE(a == tree(second.path() / dir));
  }
}

TEST(Tree, GeneratorRefusesAMissingOutputArgument) {
  EXPECT_NE(testsupport::run(std::string(MELLIX_DATAGEN) + " 2>/dev/null"), 0);
}

int non_white(const QImage& image) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) != qRgb(255, 255, 255)) ++count;
  return count;
}

TEST(Tree, StylePicturesHaveTheGallerySizes) {
  const fs::path dir = testsupport::build_dir() / "pictures";
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
    const QImage image(QString::fromStdString((dir / (name + ".png")).string()));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), size.first);
    EXPECT_EQ(image.height(), size.second);
    EXPECT_GT(non_white(image), image.width() * image.height() / 8) << "a picture shows its style";
  }
}

TEST(Tree, IndPicturesOfOneShapeShowDifferentColourTargets) {
  const fs::path dir = testsupport::build_dir() / "pictures";
  for (int shape = 1; shape <= 6; ++shape) {
    SCOPED_TRACE(shape);
    const int s = 3 * (shape - 1) + 1;
    const QImage a(QString::fromStdString((dir / ("ind" + std::to_string(s) + ".png")).string()));
    const QImage b(QString::fromStdString((dir / ("ind" + std::to_string(s + 1) + ".png")).string()));
    const QImage c(QString::fromStdString((dir / ("ind" + std::to_string(s + 2) + ".png")).string()));
    const QSize common = a.size().boundedTo(b.size()).boundedTo(c.size());
    EXPECT_NE(a.copy(QRect(QPoint(), common)), b.copy(QRect(QPoint(), common)));
    EXPECT_NE(b.copy(QRect(QPoint(), common)), c.copy(QRect(QPoint(), common)));
  }
}

}  // namespace
