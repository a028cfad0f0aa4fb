// Every style of every family, composed with a chosen button and background colour and built into
// a finished movie around a short test tone, played in Ruffle inside headless Chromium: it loads
// without a Ruffle error or warning, shows the colours where the pristine movie has its own button
// and background, and sounds as a button must (plain: silent until Play, then the tone until Stop;
// autoplay: the tone at once).

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "core/hex.h"
#include "core/shared_state.h"
#include "engine/autoplay.h"
#include "engine/final_movie.h"
#include "engine/style_composer.h"
#include "style_tree_fixture.h"
#include "support/swf_reader.h"
#include "support/test_support.h"

namespace composition_test {
namespace {

using testsupport::quote;

const std::string kButton = "C23D65";
const std::string kBackground = "1099A4";
// Colours that no design uses, for the reference movies.
const std::string kButtonMarker = "0A7B3C";
const std::string kBackgroundMarker = "5C0D8E";

struct Movie {
  std::string id;
  bool autoplay = false;
  std::string path{}, reference{};   // reference: the pristine design with the marker colours
  std::vector<std::string> click{};  // colours of the buttons that may be Play or Stop
};

class RuffleMovies : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path build = testsupport::build_dir();
    if (!fs::exists(build / "spd/sam/1/tp1.spd") || !fs::exists(build / "spd_back/sin_pla/6_sin_pla/tp6.spd"))
      GTEST_SKIP() << "build/spd and build/spd_back hold no style templates (the data generator has not run)";
    ruffle_ = testsupport::source_dir() / "node_modules/@ruffle-rs/ruffle";
    if (!fs::exists(ruffle_ / "ruffle.js") ||
        !fs::exists(testsupport::source_dir() / "node_modules/playwright-core"))
      GTEST_SKIP() << "node_modules lacks @ruffle-rs/ruffle or playwright-core (run npm ci)";
    if (!fs::exists("/usr/bin/chromium")) GTEST_SKIP() << "/usr/bin/chromium is not installed";

    app_ = std::make_unique<testsupport::TempAppDir>();
    fs::create_directories(app_->path() / "movies");
    // An 8-second 440 Hz tone (longer than any search for Stop) with an ID3v1 tag (the build leaves
    // out the last 128 bytes). No bit reservoir: a frame referring back to an earlier one cannot be
    // decoded when Play resumes the stream there, and Ruffle's decoder would warn.
    const std::string wav = (app_->path() / "tone.wav").string();
    const std::string mp3 = (app_->path() / "tone.mp3").string();
    ASSERT_EQ(testsupport::run("sox -n -r 44100 -c 2 -b 16 " + quote(wav) + " synth 8 sine 440 vol 0.5"), 0);
    ASSERT_EQ(testsupport::run("lame --quiet -b 128 --nores --id3v1-only --tt tone " + quote(wav) + " " +
                               quote(mp3)),
              0);
    core::source_filename = mp3;
    core::source_type = "mp3";
    core::save_path = (app_->path() / "home/MellixPlayer.swf").string();
  }

  std::string back(const std::string& relative) const {
    return (app_->path() / "spd_back" / relative).string();
  }

  // The preview and the finished movie parse tag by tag, with the right FileLength and the
  // composed background in their SetBackgroundColor at the table position.
  static void expect_well_formed(const std::string& file, int background_at) {
    SCOPED_TRACE(file);
    const std::string bytes = testsupport::read_bytes(file);
    try {
      const auto movie = testsupport::swf::read_movie(bytes);
      EXPECT_EQ(movie.header.file_length, bytes.size());
      ASSERT_FALSE(movie.tags.empty());
      EXPECT_EQ(movie.tags.back().code, testsupport::swf::kEnd);
      EXPECT_EQ(movie.tags.back().end(), bytes.size());
      int found = 0;
      for (const auto& tag : movie.tags) {
        if (tag.code != testsupport::swf::kSetBackgroundColor) continue;
        ++found;
        EXPECT_EQ(tag.offset + tag.header_length + 1, static_cast<std::size_t>(background_at));
        EXPECT_EQ(tag.body, rgb(kBackground));
      }
      EXPECT_GT(found, 0) << "no SetBackgroundColor";
    } catch (const std::exception& e) {
      ADD_FAILURE() << "malformed movie: " << e.what();
    }
  }

  // Builds the finished movie from the working pieces and keeps it as <name>.swf.
  std::string build_movie(const std::string& name) {
    Module12::make_final_swf();
    const fs::path kept = app_->path() / "movies" / (name + ".swf");
    fs::copy_file(app_->spd("final.swf"), kept, fs::copy_options::overwrite_existing);
    return kept.string();
  }

  // The reference movie: the installed pieces with marker colours written by the test at the
  // button and background positions; where it shows the markers the composed movie must show
  // the user's colours. Then the installed pieces are put back for the composition.
  std::string build_reference(const std::string& name, const PiecePaths& p, bool autoplay, int button_at,
                              int background_at) {
    std::string tp = testsupport::read_bytes(back(p.tp));
    std::string bottom = testsupport::read_bytes(back(p.bottom));
    (autoplay ? bottom : tp).replace(button_at - 1, 3, rgb(kButtonMarker));
    tp.replace(background_at - 1, 3, rgb(kBackgroundMarker));
    testsupport::write_bytes(app_->spd("tp.spd"), tp);
    testsupport::write_bytes(app_->spd("bottom.spd"), bottom);
    fs::copy_file(back(p.middle), app_->spd("middle.spd"), fs::copy_options::overwrite_existing);
    const std::string movie = build_movie(name + "-reference");
    for (const auto& f : {p.tp, p.middle, p.bottom})
      fs::copy_file(back(f), app_->spd(f), fs::copy_options::overwrite_existing);
    return movie;
  }

  // The gallery's style pick (flags, background composition, preview), then the two swatches.
  static void pick_and_colour(const Style& s) {
    core::sam_selected.fill(false);
    core::sin_selected.fill(false);
    core::ind_selected.fill(false);
    core::back_gnd_color = "FFFFFF";
    core::button_color.clear();
    s.select();
    const int family = s.family == "sam" ? 0 : s.family == "ind" ? 1 : 2;
    Module5::apply_back_gnd_color(core::back_gnd_color, s.k, s.target, family);
    if (family < 2) Module7::preview_style(std::to_string(s.k) + (family ? "_mod" : ""));
    Module3::apply_color(s.mode(), kButton);
    Module3::apply_color(3, kBackground);
  }

  std::unique_ptr<testsupport::TempAppDir> app_;
  fs::path ruffle_;
};

TEST_F(RuffleMovies, EveryStyleLooksAndSoundsAsComposed) {
  testsupport::MessageBoxRecorder boxes;
  std::vector<Movie> movies;
  for (const Style& s : plain_styles()) {  // the style picture, then the swatches
    Movie m{s.name()};
    SCOPED_TRACE(m.id);
    m.reference = build_reference(m.id, piece_paths(s.family, s.k), false, s.button_at(), s.background_at());
    pick_and_colour(s);
    expect_well_formed(app_->spd("temp.swf"), s.background_at());
    m.path = build_movie(m.id);
    expect_well_formed(m.path, s.background_at());
    m.click = {kButton};
    if (s.target) {  // all three buttons of the shape, one of them in the user's colour
      const std::string tp = testsupport::read_bytes(app_->spd("tp.spd"));
      m.click.clear();
      for (int t = 1; t <= 3; ++t)
        m.click.push_back(Module19::bytes_to_hex(tp.substr(kButtonAt[s.k - 1][t] - 1, 4)).substr(0, 6));
    }
    movies.push_back(m);
  }
  for (const std::string family : {"sam", "sin"}) {  // the same, then the autoplay box ticked
    for (int k = 1; k <= 6; ++k) {
      const auto& at = kPlaAt[family == "sam" ? 0 : 1][k - 1];
      Movie m{family + "_pla" + std::to_string(k), true};
      SCOPED_TRACE(m.id);
      m.reference = build_reference(m.id, piece_paths(family, k, true), true, at[0], at[1]);
      pick_and_colour({family, k});
      Module53::compose_autoplay_style();
      expect_well_formed(app_->spd("temp.swf"), at[1]);
      m.path = build_movie(m.id);
      expect_well_formed(m.path, at[1]);
      m.click = {kButton};
      movies.push_back(m);
    }
  }
  EXPECT_TRUE(boxes.texts().empty()) << boxes.texts().front();

  // One browser for all movies.
  std::ostringstream manifest;
  manifest << "{\"ruffle\": \"" << ruffle_.string() << "\", \"colours\": [\"" << kButton << "\", \""
           << kBackground << "\"], \"markers\": [\"" << kButtonMarker << "\", \"" << kBackgroundMarker
           << "\"], \"movies\": [";
  for (const auto& m : movies) {
    manifest << (&m == &movies.front() ? "\n" : ",\n") << "{\"id\": \"" << m.id << "\", \"path\": \""
             << m.path << "\", \"reference\": \"" << m.reference << "\", \"autoplay\": " << std::boolalpha
             << m.autoplay << ", \"click\": [";
    for (const auto& c : m.click) manifest << (&c == &m.click.front() ? "\"" : ", \"") << c << '"';
    manifest << "]}";
  }
  manifest << "]}\n";
  const std::string manifest_path = (app_->path() / "manifest.json").string();
  testsupport::write_bytes(manifest_path, manifest.str());
  const std::string script =
      (testsupport::source_dir() / "tests/composition/ruffle/check_movies.mjs").string();
  const std::string output =
      testsupport::capture("node " + quote(script) + " " + quote(manifest_path) + " 2>&1");

  // check_movies.mjs judges each movie (its verdict()) and names the problems it finds.
  for (const auto& m : movies) {
    const auto at = output.find("RESULT " + m.id + " ");
    ASSERT_NE(at, std::string::npos) << "no result for " << m.id << " from the browser:\n" << output;
    const std::string line = output.substr(at, output.find('\n', at) - at);
    EXPECT_NE(line.find(" problems=none "), std::string::npos) << line;
  }
  if (HasFailure()) std::cerr << "Browser report:\n" << output;
}

}  // namespace
}  // namespace composition_test
