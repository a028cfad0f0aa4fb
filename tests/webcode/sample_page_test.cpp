#include "webcode/sample_page.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/hooks.h"
#include "support/test_support.h"
#include "webcode/page_code.h"

namespace {

namespace fs = std::filesystem;
using testsupport::read_bytes;
using webcode::PageKind;

const std::string kFloatingHead = "<HTML><HEAD></HEAD><BODY><H1>Web Audio with Floating Buttons </H1>";
const std::string kFixedHead = "<HTML><HEAD></HEAD><BODY><H1>Web Audio with Fixed Buttons </H1>";
const std::string kFloatingFiller = "Web Audio with Floating Buttons <BR>";
const std::string kFixedFiller = "Web Audio with Fixed Buttons <BR>";

std::size_t count_of(const std::string& text, const std::string& piece) {
  std::size_t count = 0;
  for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size())) ++count;
  return count;
}

std::string repeated(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

class SamplePage : public ::testing::Test {
 protected:
  void SetUp() override {
    Module33::html_parts.fill("");
    Module33::html_parts[18] = Module33::html_parts[59] = "200";
    Module33::html_parts[23] = Module33::html_parts[64] = "73";
    Module33::target_x_text = Module33::target_y_text = "0;";
    Module33::step_x_text = Module33::step_y_text = "0.07;";
    Module33::html_code.clear();
    Module33::sample_page.clear();
    Module33::code_target = 0;
    fs::create_directories(app_.spd("web"));
  }

  static std::string floating_code(const std::string& movie) {
    Module33::movie_path = movie;
    Module33::code_target = 2;
    Module33::make_floating_code();
    return Module33::html_code;
  }

  testsupport::TempAppDir app_;
};

TEST_F(SamplePage, FloatingPageIsHeadingCodeFillerEnd) {
  const std::string code = floating_code("/srv/a.swf");
  webcode::build_sample_page(PageKind::floating);
  const std::string& page = Module33::sample_page;

  EXPECT_EQ(page, kFloatingHead + code + repeated(kFloatingFiller, 101) + "</body></html>");
  // The code's three CR LF sit between the script's end and the first filler line.
  EXPECT_NE(page.find(kFloatingHead + "<div id=\"floatdiv\" style=\"\r\n"), std::string::npos);
  EXPECT_NE(page.find("//--></script>\r\n\r\n\r\n" + kFloatingFiller), std::string::npos);
  EXPECT_EQ(count_of(page, kFloatingFiller), 101u);
  EXPECT_TRUE(page.ends_with(kFloatingFiller + "</body></html>"));
  EXPECT_EQ(count_of(page, "Web Audio with Fixed Buttons"), 0u);
}

TEST_F(SamplePage, FixedPageIsHeadingCodeFillerEnd) {
  Module33::movie_path = "/srv/a.swf";
  Module41::make_fixed_code();
  const std::string code = Module33::html_code;
  webcode::build_sample_page(PageKind::fixed);
  const std::string& page = Module33::sample_page;

  EXPECT_EQ(page, kFixedHead + code + repeated(kFixedFiller, 101) + "</body></html>");
  EXPECT_NE(page.find(kFixedHead + "<object classid="), std::string::npos);
  EXPECT_NE(page.find("</embed>\r\n</object>\r\n" + kFixedFiller), std::string::npos);
  EXPECT_EQ(count_of(page, kFixedFiller), 101u);
  EXPECT_EQ(count_of(page, "Floating"), 0u);
}

TEST_F(SamplePage, EmptyCodeLeavesHeadingDirectlyBeforeFiller) {
  webcode::build_sample_page(PageKind::floating);
  EXPECT_EQ(Module33::sample_page, kFloatingHead + repeated(kFloatingFiller, 101) + "</body></html>");
  webcode::build_sample_page(PageKind::fixed);
  EXPECT_EQ(Module33::sample_page, kFixedHead + repeated(kFixedFiller, 101) + "</body></html>");
}

TEST_F(SamplePage, FloatingSampleForTheSavedMovie) {
  const std::string movie = "/home/ünïcode/Mellix Player.swf";  // UTF-8 bytes, kept as they are
  const std::string code = floating_code(movie);
  Module33::html_code = "stale";
  Module33::code_target = 1;

  ASSERT_TRUE(webcode::write_floating_sample(movie));
  const std::string page_file = app_.spd("web/test.htm");
  EXPECT_EQ(webcode::sample_page_file(PageKind::floating), page_file);
  EXPECT_EQ(webcode::sample_text_copy(PageKind::floating), app_.spd("web/test.txt"));

  const std::string bytes = read_bytes(page_file);
  EXPECT_EQ(bytes, kFloatingHead + code + repeated(kFloatingFiller, 101) + "</body></html>\r\n");
  EXPECT_NE(bytes.find("<embed src=\"/home/\xC3\xBCn\xC3\xAF"
                       "code/Mellix Player.swf\"\r\n"),
            std::string::npos);
  EXPECT_EQ(read_bytes(app_.spd("web/test.txt")), bytes);
  EXPECT_EQ(Module33::sample_page + "\r\n", bytes);
  EXPECT_EQ(Module33::html_code, "");
  EXPECT_EQ(Module33::movie_path, movie);
  EXPECT_EQ(Module33::code_target, 2);
  EXPECT_FALSE(fs::exists(app_.spd("web/test_fixed.htm")));
}

TEST_F(SamplePage, FixedSampleForTheSavedMovie) {
  Module33::movie_path = "/srv/b.swf";
  Module41::make_fixed_code();
  const std::string code = Module33::html_code;
  // A longer leftover page must not leave its tail behind.
  testsupport::write_bytes(app_.spd("web/test_fixed.htm"), std::string(20000, 'x'));
  testsupport::write_bytes(app_.spd("web/test_fixed.txt"), std::string(20000, 'y'));
  Module33::movie_path.clear();

  ASSERT_TRUE(webcode::write_fixed_sample("/srv/b.swf"));
  const std::string bytes = read_bytes(app_.spd("web/test_fixed.htm"));
  EXPECT_EQ(bytes, kFixedHead + code + repeated(kFixedFiller, 101) + "</body></html>\r\n");
  EXPECT_EQ(read_bytes(app_.spd("web/test_fixed.txt")), bytes);
  EXPECT_EQ(Module33::html_code, "");
  EXPECT_FALSE(fs::exists(app_.spd("web/test.htm")));
}

TEST_F(SamplePage, PreviewOverwritesAndKeepsTheCode) {
  const std::string code = floating_code("/app/spd/temp.swf");
  Module33::html_code = "stale";
  Module33::code_target = 1;
  testsupport::TempDir other;
  testsupport::write_bytes(other.file("test.htm"), std::string(50000, 'z'));
  testsupport::write_bytes(other.file("test.txt"), std::string(50000, 'z'));

  ASSERT_TRUE(webcode::write_floating_preview("/app/spd/temp.swf", other.path().string()));
  const std::string page = kFloatingHead + code + repeated(kFloatingFiller, 101) + "</body></html>";
  EXPECT_EQ(Module33::sample_page, page);
  EXPECT_EQ(read_bytes(other.file("test.htm")), page + "\r\n");
  EXPECT_EQ(read_bytes(other.file("test.txt")), page + "\r\n");
  EXPECT_EQ(Module33::html_code, code);  // kept for showing the page text
  EXPECT_EQ(Module33::code_target, 2);

  // Showing the page text later rebuilds it from that code without writing anything.
  Module33::sample_page.clear();
  webcode::build_sample_page(PageKind::floating);
  EXPECT_EQ(Module33::sample_page, page);
}

TEST_F(SamplePage, UnwritablePageFileIsSkippedAndTheCopyStillWritten) {
  fs::create_directory(app_.spd("web/test.htm"));  // a folder where the page file should be
  EXPECT_FALSE(webcode::write_floating_sample("/srv/a.swf"));
  EXPECT_TRUE(fs::is_directory(app_.spd("web/test.htm")));
  EXPECT_EQ(read_bytes(app_.spd("web/test.txt")), Module33::sample_page + "\r\n");
  EXPECT_EQ(Module33::html_code, "");

  EXPECT_FALSE(webcode::write_fixed_sample("/srv/a.swf", app_.spd("no/such/folder")));
  EXPECT_EQ(Module33::html_code, "");
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

TEST_F(SamplePage, BenchCommandsWriteWhatTheLibraryWrites) {
  const std::string bench = (testsupport::build_dir() / "mellix-bench").string();
  testsupport::TempDir out;

  // page-code floating: the code as make_floating_code delivers it.
  Module33::target_x_text = "-200;";
  Module33::step_x_text = Module33::step_y_text = "0.3;";
  const std::string floating = floating_code("/srv/x y.swf");
  EXPECT_EQ(
      testsupport::capture(bench + " page-code floating '/srv/x y.swf' 200 73 '-200;' '0;' '0.3;' '0.3;'"),
      floating);

  // sample-page floating into a folder.
  ASSERT_EQ(
      testsupport::run(bench + " sample-page floating '/srv/x y.swf' 200 73 '-200;' '0;' '0.3;' '0.3;' " +
                       testsupport::quote(out.path().string())),
      0);
  const std::string floating_page =
      kFloatingHead + floating + repeated(kFloatingFiller, 101) + "</body></html>\r\n";
  EXPECT_EQ(read_bytes(out.file("test.htm")), floating_page);
  EXPECT_EQ(read_bytes(out.file("test.txt")), floating_page);

  // page-code fixed and sample-page fixed, for a square button.
  Module33::html_parts[18] = Module33::html_parts[59] = "90";
  Module33::html_parts[23] = Module33::html_parts[64] = "90";
  Module33::movie_path = "/srv/sq.swf";
  Module41::make_fixed_code();
  const std::string fixed = Module33::html_code;
  EXPECT_EQ(testsupport::capture(bench + " page-code fixed /srv/sq.swf 90 90"), fixed);
  ASSERT_EQ(testsupport::run(bench + " sample-page fixed /srv/sq.swf 90 90 " +
                             testsupport::quote(out.path().string())),
            0);
  const std::string fixed_page = kFixedHead + fixed + repeated(kFixedFiller, 101) + "</body></html>\r\n";
  EXPECT_EQ(read_bytes(out.file("test_fixed.htm")), fixed_page);
  EXPECT_EQ(read_bytes(out.file("test_fixed.txt")), fixed_page);

  // Wrong use and an unwritable folder are reported, not crashed on.
  EXPECT_EQ(testsupport::run(bench + " page-code sideways a 1 2 2>/dev/null"), 2);
  EXPECT_EQ(testsupport::run(bench + " sample-page fixed /a.swf 1 2 /no/such/folder 2>/dev/null"), 1);
}

}  // namespace
