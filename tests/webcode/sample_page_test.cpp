#include "webcode/sample_page.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/test_support.h"
#include "webcode/page_env.h"

namespace {

namespace fs = std::filesystem;
using testsupport::read_bytes;
using webcode::PageKind;

class SamplePage : public ::testing::Test {
 protected:
  void SetUp() override {
    pagetest::set_parameters();
    Module33::sample_page.clear();
    Module33::code_target = 0;
    fs::create_directories(app_.spd("web"));
  }

  // The code of the given kind for a movie, as its page generator delivers it.
  static std::string code_for(PageKind kind, const std::string& movie) {
    Module33::movie_path = movie;
    Module33::code_target = 2;
    if (kind == PageKind::floating)
      Module33::make_floating_code();
    else
      Module41::make_fixed_code();
    return Module33::html_code;
  }

  testsupport::TempAppDir app_;
};

TEST_F(SamplePage, SampleAndPreviewReplaceLeftoverFiles) {
  const std::string movie =
      "/home/\xC3\xBCn\xC3\xAF"
      "code/Mellix Player.swf";  // UTF-8 bytes, kept as they are
  struct Row {
    PageKind kind;
    const char *htm, *txt, *other;
    bool (*write)(const std::string&, const std::string&);
    bool keeps_code;  // for showing the page text later
  };
  for (const Row& row : {Row{PageKind::floating, "web/test.htm", "web/test.txt", "web/test_fixed.htm",
                             webcode::write_floating_sample, false},
                         Row{PageKind::fixed, "web/test_fixed.htm", "web/test_fixed.txt", "web/test.htm",
                             webcode::write_fixed_sample, false},
                         Row{PageKind::floating, "web/test.htm", "web/test.txt", "web/test_fixed.htm",
                             webcode::write_floating_preview, true}}) {
    SCOPED_TRACE(std::string(row.htm) + (row.keeps_code ? " preview" : " sample"));
    fs::remove(app_.spd(row.other));
    const std::string code = code_for(row.kind, movie);
    // A longer leftover page must not leave its tail behind.
    testsupport::write_bytes(app_.spd(row.htm), std::string(20000, 'x'));
    testsupport::write_bytes(app_.spd(row.txt), std::string(20000, 'y'));
    Module33::html_code = "stale";
    Module33::movie_path.clear();
    Module33::code_target = 1;

    ASSERT_TRUE(row.write(movie, {}));
    EXPECT_EQ(webcode::sample_page_file(row.kind), app_.spd(row.htm));
    EXPECT_EQ(webcode::sample_text_copy(row.kind), app_.spd(row.txt));
    const std::string bytes = read_bytes(app_.spd(row.htm));
    EXPECT_TRUE(bytes.starts_with("<HTML>") && bytes.ends_with("</body></html>\r\n"));
    EXPECT_NE(bytes.find("</H1>" + code), std::string::npos) << "the code under the heading";
    EXPECT_NE(bytes.find("<embed src=\"" + movie + "\"\r\n"), std::string::npos);
    EXPECT_EQ(read_bytes(app_.spd(row.txt)), bytes);
    EXPECT_EQ(Module33::sample_page + "\r\n", bytes);
    EXPECT_EQ(Module33::html_code, row.keeps_code ? code : "");
    EXPECT_EQ(Module33::movie_path, movie);
    EXPECT_EQ(Module33::code_target, row.kind == PageKind::floating ? 2 : 1);  // fixed: not touched
    EXPECT_FALSE(fs::exists(app_.spd(row.other)));
  }
}

TEST_F(SamplePage, UnwritablePageFileIsSkippedAndTheCopyStillWritten) {
  fs::create_directory(app_.spd("web/test.htm"));  // a folder where the page file should be
  EXPECT_FALSE(webcode::write_floating_sample("/srv/a.swf"));
  EXPECT_TRUE(fs::is_directory(app_.spd("web/test.htm")));
  EXPECT_EQ(read_bytes(app_.spd("web/test.txt")), Module33::sample_page + "\r\n");
  EXPECT_EQ(Module33::html_code, "");

  EXPECT_FALSE(webcode::write_fixed_sample("/srv/a.swf", app_.spd("no/such/folder")));
}

TEST_F(SamplePage, StepFivePagesClearAllFourFiles) {
  for (const char* name : {"test.htm", "test.txt", "test_fixed.htm", "test_fixed.txt", "t.htm"})
    testsupport::write_bytes(app_.spd(std::string("web/") + name), "old");
  webcode::delete_sample_files();
  for (const char* name : {"test.htm", "test.txt", "test_fixed.htm", "test_fixed.txt"})
    EXPECT_FALSE(fs::exists(app_.spd(std::string("web/") + name))) << name;
  EXPECT_TRUE(fs::exists(app_.spd("web/t.htm")));  // the installed placeholder stays
  webcode::delete_sample_files();                  // nothing left to delete: no error
}

}  // namespace
