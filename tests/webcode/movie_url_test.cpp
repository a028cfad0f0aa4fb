// The sample page's code names the saved movie by URL: in Chromium with Ruffle the page asks for
// that very file and plays it, also when its name holds what a browser reads otherwise.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/ruffle.h"
#include "support/test_support.h"
#include "webcode/page_env.h"
#include "webcode/sample_page.h"

namespace {

namespace fs = std::filesystem;

TEST(SamplePageInChromium, PageLoadsTheMovieWhateverItsName) {
  if (const std::string missing = testsupport::ruffle_missing(); !missing.empty()) GTEST_SKIP() << missing;
  const fs::path blank = testsupport::build_dir() / "spd/blank.swf";
  if (!fs::exists(blank)) GTEST_SKIP() << "the data generator has not run";

  testsupport::TempDir dir;
  // A fragment, an escape and a query in the file and folder names, and names ending in spaces.
  const std::string names[] = {"Track #1 at 100%.swf", "dir #2 /what?%41.swf ", "Mellix Player.swf"};
  std::string command =
      "node " + testsupport::quote((testsupport::source_dir() / "tests/webcode/movie_request.mjs").string()) +
      " " + testsupport::quote((testsupport::source_dir() / "node_modules/@ruffle-rs/ruffle").string());
  std::string expected;
  for (std::size_t i = 0; i < std::size(names); ++i) {
    const fs::path movie = dir.path() / names[i], folder = dir.path() / ("web" + std::to_string(i));
    fs::create_directories(movie.parent_path());
    fs::create_directory(folder);
    fs::copy_file(blank, movie);
    pagetest::set_parameters("200", "73");
    ASSERT_TRUE(webcode::write_fixed_sample(movie.string(), folder.string()));
    const std::string page = webcode::sample_page_file(webcode::PageKind::fixed, folder.string());
    command += " " + testsupport::quote(page);
    expected += "page " + page + "\nmovie " + movie.string() + " 200\nloaded 1\n";
  }
  EXPECT_EQ(testsupport::capture(command), expected);
}

}  // namespace
