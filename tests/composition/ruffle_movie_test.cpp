// Every style of every family, composed with a chosen button and background colour and built into
// a finished movie around a short test tone, played in Ruffle inside headless Chromium: it loads
// without a Ruffle error or warning, shows both colours, and sounds as a button must (plain:
// silent until Play, then the tone until Stop; autoplay: the tone at once).

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "core/hex.h"
#include "core/shared_state.h"
#include "engine/autoplay.h"
#include "engine/final_movie.h"
#include "engine/style_composer.h"
#include "style_tree_fixture.h"
#include "support/audio_files.h"
#include "support/ruffle.h"
#include "support/swf_reader.h"

namespace composition_test {
namespace {

using testsupport::quote;

const std::string kButton = "C23D65";
const std::string kBackground = "1099A4";

class RuffleMovies : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path build = testsupport::build_dir();
    if (!fs::exists(build / "spd/sam/1/tp1.spd") || !fs::exists(build / "spd_back/sin_pla/6_sin_pla/tp6.spd"))
      GTEST_SKIP() << "build/spd and build/spd_back hold no style templates (the data generator has not run)";
    if (const std::string missing = testsupport::ruffle_missing(); !missing.empty()) GTEST_SKIP() << missing;
    app_ = std::make_unique<testsupport::TempAppDir>();
    fs::create_directories(app_->path() / "movies");
    // An 8-second 440 Hz tone (longer than any search for Stop) with an ID3v1 tag (the build leaves
    // out the last 128 bytes). No bit reservoir: a frame referring back to an earlier one cannot be
    // decoded when Play resumes the stream there, and Ruffle's decoder would warn.
    const std::string wav = testsupport::sox_tone(app_->path() / "tone.wav", 44100, 2, 16, 8, "sine 440");
    const std::string mp3 = (app_->path() / "tone.mp3").string();
    testsupport::must_run("lame --quiet -b 128 --nores --id3v1-only --tt tone " + quote(wav) + " " +
                          quote(mp3));
    core::source_filename = mp3;
    core::source_type = "mp3";
    core::save_path = (app_->path() / "home/MellixPlayer.swf").string();
  }

  // The preview and the finished movie parse tag by tag, with the right FileLength and the
  // composed background in their SetBackgroundColor; the finished movie is kept as <id>.swf.
  std::string check_and_build(const std::string& id) {
    Module12::make_final_swf();
    const fs::path kept = app_->path() / "movies" / (id + ".swf");
    fs::copy_file(app_->spd("final.swf"), kept);
    for (const std::string& file : {app_->spd("temp.swf"), kept.string()}) {
      SCOPED_TRACE(file);
      const std::string bytes = testsupport::read_bytes(file);
      try {
        const auto movie = testsupport::swf::read_movie(bytes);
        EXPECT_EQ(movie.header.file_length, bytes.size());
        EXPECT_EQ(movie.tags.back().end(), bytes.size());
        bool background = false;
        for (const auto& tag : movie.tags)
          background |= tag.code == testsupport::swf::kSetBackgroundColor && tag.body == rgb(kBackground);
        EXPECT_TRUE(background) << "no SetBackgroundColor of the composed colour";
      } catch (const std::exception& e) {
        ADD_FAILURE() << "malformed movie: " << e.what();
      }
    }
    return kept.string();
  }

  // The gallery's style pick (flags, background composition, preview), then the two swatches.
  static void pick_and_colour(const Style& s) {
    core::sam_selected.fill(false);
    core::sin_selected.fill(false);
    core::ind_selected.fill(false);
    core::back_gnd_color = "FFFFFF";
    core::button_color.clear();
    s.select();
    const auto family = static_cast<std::int16_t>(s.mode() == 1 ? 0 : s.mode() == 2 ? 1 : 2);
    Module5::apply_back_gnd_color(core::back_gnd_color, s.k, s.target, family);
    if (family < 2) Module7::preview_style(std::to_string(s.k) + (family ? "_mod" : ""));
    Module3::apply_color(s.mode(), kButton);
    Module3::apply_color(3, kBackground);
  }

  std::unique_ptr<testsupport::TempAppDir> app_;
};

TEST_F(RuffleMovies, EveryStyleLooksAndSoundsAsComposed) {
  testsupport::MessageBoxRecorder boxes;
  std::vector<testsupport::RuffleMovie> movies;
  for (const Style& s : plain_styles()) {  // the style picture, then the swatches
    SCOPED_TRACE(s.name());
    pick_and_colour(s);
    testsupport::RuffleMovie m{s.name(), check_and_build(s.name()), 4, "", {kButton, kBackground}, {kButton},
                               "plain"};
    if (s.target) {  // all three buttons of the shape, one of them in the user's colour
      const std::string tp = testsupport::read_bytes(app_->spd("tp.spd"));
      m.click.clear();
      for (std::int16_t t = 1; t <= 3; ++t)
        m.click.push_back(
            Module19::bytes_to_hex(tp.substr(engine::style::button_position(1, s.k, t) - 1, 4)).substr(0, 6));
    }
    movies.push_back(m);
  }
  for (const std::string family : {"sam", "sin"}) {  // the same, then the autoplay box ticked
    for (int k = 1; k <= 6; ++k) {
      const std::string id = family + "_pla" + std::to_string(k);
      SCOPED_TRACE(id);
      pick_and_colour({family, k});
      Module53::compose_autoplay_style();
      movies.push_back({id, check_and_build(id), 4, "", {kButton, kBackground}, {kButton}, "autoplay"});
    }
  }
  EXPECT_TRUE(boxes.texts().empty()) << boxes.texts().front();

  testsupport::TempDir dir;
  const auto results = testsupport::play_in_ruffle(movies, dir);
  for (const auto& m : movies) {
    ASSERT_TRUE(results.count(m.id)) << "no result for " << m.id << " from the browser:\n" << results.at("");
    EXPECT_NE(results.at(m.id).find(" problems=none "), std::string::npos) << results.at(m.id);
  }
  if (HasFailure()) std::cerr << "Browser report:\n" << results.at("");
}

}  // namespace
}  // namespace composition_test
