// The sample page names the saved movie by URL: Chromium with Ruffle plays that very file, also
// when its name holds what a browser reads otherwise.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/ruffle.h"
#include "support/test_movies.h"
#include "webcode/page_env.h"
#include "webcode/sample_page.h"

namespace {

namespace fs = std::filesystem;
using testsupport::quote;

TEST(SamplePageInChromium, PageLoadsTheMovieWhateverItsName) {
  if (const std::string missing = testsupport::ruffle_missing(); !missing.empty()) GTEST_SKIP() << missing;
  testsupport::TempDir dir;
  // A fragment, an escape and a query in the file and folder names, and names ending in spaces.
  for (const std::string name : {"Track #1 at 100%.swf", "dir #2 /what?%41.swf "}) {
    SCOPED_TRACE(name);
    const fs::path movie = dir.path() / name;
    fs::create_directories(movie.parent_path());
    testsupport::write_bytes(movie.string(), test_movies::tone_movie(24, 0));
    pagetest::set_parameters();
    ASSERT_TRUE(webcode::write_fixed_sample(movie.string(), dir.path().string()));
    const std::string heard = testsupport::capture(
        "node " + quote((testsupport::source_dir() / "tests/road/sample_page.mjs").string()) + " " +
        quote((testsupport::source_dir() / "node_modules/@ruffle-rs/ruffle").string()) + " " +
        quote(webcode::sample_page_file(webcode::PageKind::fixed, dir.path().string())));
    const std::size_t hz = heard.find("hz ");  // the movie's tone, heard only once it loaded
    EXPECT_NEAR(hz == std::string::npos ? 0 : std::stod(heard.substr(hz + 3)), 440, 9) << heard;
  }
}

}  // namespace
