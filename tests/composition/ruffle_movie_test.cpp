// Every style of every family, composed with a chosen button and background colour and built
// into a finished movie around a short test tone, played in Ruffle inside headless Chromium:
// it loads without a Ruffle error or warning, shows the colours where the pristine movie has
// its own button and background, and sounds as a button must (a plain movie silent until
// Play, then the tone until Stop; an autoplay movie the tone at once).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/paths.h"
#include "core/shared_state.h"
#include "engine/autoplay.h"
#include "engine/style_composer.h"
#include "style_tree_fixture.h"
#include "support/test_support.h"

#if __has_include("support/swf_reader.h")
#include "support/swf_reader.h"
#define MELLIX_HAVE_SWF_READER 1
#endif

#if __has_include("engine/final_movie.h")
#include "engine/final_movie.h"
#define MELLIX_HAVE_FINAL_MOVIE 1
#endif

namespace composition_test {
namespace {

namespace fs = std::filesystem;
using testsupport::quote;

#ifdef MELLIX_HAVE_FINAL_MOVIE

struct Family {
  const char* name;
  std::int16_t code;
  int styles;  // ind: 18 (6 shapes x 3 colour targets)
};

// Button colour positions in the plain tp pieces and, for sam and sin, the autoplay
// positions (button in the bottom piece, background in the tp piece).
constexpr int kSam[6] = {965, 966, 1301, 966, 1633, 1898};
constexpr int kInd[6][3] = {{965, 1718, 1481}, {966, 1485, 1332},  {1301, 2425, 2831},
                            {971, 1604, 1789}, {3045, 1634, 5549}, {2704, 1899, 3901}};
constexpr int kSin[6] = {778, 780, 1107, 850, 1423, 1590};
constexpr int kSamPla[6][2] = {{889, 22}, {889, 23}, {1224, 23}, {890, 23}, {1556, 23}, {1821, 23}};
constexpr int kSinPla[6][2] = {{677, 22}, {677, 22}, {1017, 28}, {755, 22}, {1333, 28}, {1500, 28}};

const std::string kButton = "C23D65";
const std::string kBackground = "1099A4";
// Colours that no design uses, for the reference movies.
const std::string kButtonMarker = "0A7B3C";
const std::string kBackgroundMarker = "5C0D8E";

std::string color_at(const std::string& file, int position) {
  const std::string bytes = testsupport::read_bytes(file);
  static const char* digits = "0123456789ABCDEF";
  std::string hex;
  for (int i = 0; i < 3; ++i) {
    const auto b = static_cast<unsigned char>(bytes.at(position - 1 + i));
    hex += digits[b >> 4];
    hex += digits[b & 15];
  }
  return hex;
}

struct Movie {
  std::string id;
  std::string path;
  bool autoplay = false;
  std::string button;              // the colour composed into the button
  std::vector<std::string> click;  // colours of the buttons that may be Play or Stop
  std::string reference;           // the reference movie with the marker colours
};

class RuffleMovies : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path build = testsupport::build_dir();
    if (!fs::exists(build / "spd/sam/1/tp1.spd") ||
        !fs::exists(build / "spd_back/sin_pla/6_sin_pla/tp6.spd")) {
      GTEST_SKIP()
          << "build/spd and build/spd_back hold no style templates yet (the data generator has not run)";
    }
    ruffle_ = testsupport::source_dir() / "node_modules/@ruffle-rs/ruffle";
    if (!fs::exists(ruffle_ / "ruffle.js") ||
        !fs::exists(testsupport::source_dir() / "node_modules/playwright-core")) {
      GTEST_SKIP() << "node_modules lacks @ruffle-rs/ruffle or playwright-core (run npm ci)";
    }
    if (!fs::exists("/usr/bin/chromium")) GTEST_SKIP() << "/usr/bin/chromium is not installed";

    app_ = std::make_unique<testsupport::TempAppDir>();
    out_ = app_->path() / "movies";
    fs::create_directories(out_);
    // An 8-second 440 Hz tone (longer than any search for Stop), MP3 at 44100 Hz with an ID3v1 tag (the build
    // leaves out the last 128 bytes of the source). Without the bit reservoir: a frame that refers back to an
    // earlier one cannot be decoded when Play resumes the stream there, and Ruffle's decoder warns about it;
    // the first Play after Stop would then count as a warning.
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

  void TearDown() override { app_.reset(); }

  std::string back(const std::string& relative) const {
    return (app_->path() / "spd_back" / relative).string();
  }

  // Puts the pristine pieces back, so each style is composed from its installed state.
  void restore(const std::vector<std::string>& pieces) {
    for (const auto& p : pieces) fs::copy_file(back(p), app_->spd(p), fs::copy_options::overwrite_existing);
  }

  // The preview and the finished movie parse tag by tag, with the right FileLength and the
  // composed background in their SetBackgroundColor at the table position.
  static void expect_well_formed(const std::string& file, const std::string& background,
                                 int background_position) {
#ifdef MELLIX_HAVE_SWF_READER
    SCOPED_TRACE(file);
    const std::string bytes = testsupport::read_bytes(file);
    try {
      const auto movie = testsupport::swf::read_movie(bytes);
      EXPECT_EQ(movie.header.file_length, bytes.size());
      ASSERT_FALSE(movie.tags.empty());
      EXPECT_EQ(movie.tags.back().code, testsupport::swf::kEnd);
      EXPECT_EQ(movie.tags.back().end(), bytes.size());
      bool found = false;
      for (const auto& tag : movie.tags) {
        if (tag.code != testsupport::swf::kSetBackgroundColor) continue;
        found = true;
        EXPECT_EQ(tag.offset + tag.header_length + 1, static_cast<std::size_t>(background_position));
        EXPECT_EQ(tag.body, rgb(background));
      }
      EXPECT_TRUE(found) << "no SetBackgroundColor";
    } catch (const std::exception& e) {
      ADD_FAILURE() << "malformed movie: " << e.what();
    }
#else
    (void)file;
    (void)background;
    (void)background_position;
#endif
  }

  // Builds the finished movie from the working pieces and keeps it as <name>.swf.
  std::string build_movie(const std::string& name) {
    Module12::make_final_swf();
    const fs::path kept = out_ / (name + ".swf");
    fs::copy_file(app_->spd("final.swf"), kept, fs::copy_options::overwrite_existing);
    return kept.string();
  }

  // The reference movie: the installed pieces around the same tone, with marker colours
  // written by the test at the button and background positions. Where it shows the markers
  // is where the composed movie must show the user's colours.
  std::string build_reference(const std::string& name, const std::string& tp, const std::string& middle,
                              const std::string& bottom, bool button_in_bottom, int button_position,
                              int background_position) {
    std::string tp_bytes = testsupport::read_bytes(back(tp));
    std::string bottom_bytes = testsupport::read_bytes(back(bottom));
    (button_in_bottom ? bottom_bytes : tp_bytes).replace(button_position - 1, 3, rgb(kButtonMarker));
    tp_bytes.replace(background_position - 1, 3, rgb(kBackgroundMarker));
    testsupport::write_bytes(app_->spd("tp.spd"), tp_bytes);
    testsupport::write_bytes(app_->spd("bottom.spd"), bottom_bytes);
    fs::copy_file(back(middle), app_->spd("middle.spd"), fs::copy_options::overwrite_existing);
    return build_movie(name + "-reference");
  }

  // The gallery's style pick: flags, background composition, preview.
  void pick(const std::string& family, int k, int target) {
    core::sam_selected.fill(false);
    core::sin_selected.fill(false);
    core::ind_selected.fill(false);
    core::back_gnd_color = "FFFFFF";
    core::button_color.clear();
    if (family == "sam") {
      core::sam_selected[k - 1] = true;
      Module5::apply_back_gnd_color(core::back_gnd_color, k, 0, 0);
      Module7::preview_style(std::to_string(k));
    } else if (family == "ind") {
      core::ind_selected[3 * (k - 1) + target - 1] = true;
      Module5::apply_back_gnd_color(core::back_gnd_color, k, target, 1);
      Module7::preview_style(std::to_string(k) + "_mod");
    } else {
      core::sin_selected[k - 1] = true;
      Module5::apply_back_gnd_color(core::back_gnd_color, k, 0, 2);
    }
  }

  std::unique_ptr<testsupport::TempAppDir> app_;
  fs::path out_;
  fs::path ruffle_;
};

std::map<std::string, std::map<std::string, std::string>> parse_results(
    const std::string& output, std::map<std::string, std::string>& logs) {
  std::map<std::string, std::map<std::string, std::string>> results;
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string kind, id;
    words >> kind >> id;
    if (kind == "LOG") {
      std::string rest;
      std::getline(words, rest);
      logs[id] += rest + "\n";
    } else if (kind == "RESULT") {
      logs[id + " result"] = line;
      std::string pair;
      while (words >> pair) {
        const auto eq = pair.find('=');
        if (eq != std::string::npos) results[id][pair.substr(0, eq)] = pair.substr(eq + 1);
      }
    }
  }
  return results;
}

double num(const std::map<std::string, std::string>& r, const std::string& key) {
  const auto it = r.find(key);
  return it == r.end() ? -1 : std::stod(it->second);
}

TEST_F(RuffleMovies, EveryStyleLooksAndSoundsAsComposed) {
  testsupport::MessageBoxRecorder boxes;
  std::vector<Movie> movies;

  // Plain movies: the style picture, then the swatches for the button and the background.
  for (const std::string family : {"sam", "ind", "sin"}) {
    const int styles = family == "ind" ? 18 : 6;
    for (int s = 1; s <= styles; ++s) {
      const int k = family == "ind" ? (s - 1) / 3 + 1 : s;
      const int target = family == "ind" ? (s - 1) % 3 + 1 : 0;
      const std::string n = std::to_string(k);
      const std::string folder =
          family == "sam" ? family + "/" + n : family + "/" + n + (family == "ind" ? "_mod" : "_sin");
      const std::string tp = folder + "/tp" + n + ".spd";
      const std::string middle =
          family + (family == "ind" ? "/middle_mod" : "/middle") + "/middle" + n + ".spd";
      const std::string bottom = folder + "/bottom" + n + ".spd";
      const int position = family == "sam"   ? kSam[k - 1]
                           : family == "ind" ? kInd[k - 1][target - 1]
                                             : kSin[k - 1];
      const std::string id = family + std::to_string(s);
      SCOPED_TRACE(id);

      const int background_position = family == "sin" || k == 1 ? 22 : 23;
      Movie movie;
      movie.id = id;
      movie.reference = build_reference(id, tp, middle, bottom, false, position, background_position);

      restore({tp, middle, bottom});
      pick(family, k, target);
      Module3::apply_color(family == "sam" ? 1 : family == "ind" ? 2 : 5, kButton);
      Module3::apply_color(3, kBackground);
      expect_well_formed(app_->spd("temp.swf"), kBackground, background_position);
      movie.path = build_movie(id);
      expect_well_formed(movie.path, kBackground, background_position);
      movie.button = kButton;
      if (family == "ind") {
        for (int t = 1; t <= 3; ++t) movie.click.push_back(color_at(app_->spd("tp.spd"), kInd[k - 1][t - 1]));
      } else {
        movie.click = {kButton};
      }
      movies.push_back(movie);
    }
  }

  // Autoplay movies: the same, then the autoplay box ticked.
  for (const std::string family : {"sam", "sin"}) {
    for (int k = 1; k <= 6; ++k) {
      const std::string n = std::to_string(k);
      const std::string f = family + "_pla";
      const std::string tp = f + "/" + n + "_" + f + "/tp" + n + ".spd";
      const std::string middle = f + "/middle/middle" + n + ".spd";
      const std::string bottom = f + "/" + n + "_" + f + "/bottom" + n + ".spd";
      const auto& row = family == "sam" ? kSamPla[k - 1] : kSinPla[k - 1];
      const std::string id = family + "_pla" + n;
      SCOPED_TRACE(id);

      Movie movie;
      movie.id = id;
      movie.autoplay = true;
      movie.reference = build_reference(id, tp, middle, bottom, true, row[0], row[1]);

      restore({tp, middle, bottom});
      pick(family, k, 0);
      Module3::apply_color(family == "sam" ? 1 : 5, kButton);
      Module3::apply_color(3, kBackground);
      Module53::compose_autoplay_style();
      expect_well_formed(app_->spd("temp.swf"), kBackground, row[1]);
      movie.path = build_movie(id);
      expect_well_formed(movie.path, kBackground, row[1]);
      movie.button = kButton;
      movie.click = {kButton};
      movies.push_back(movie);
    }
  }
  EXPECT_TRUE(boxes.texts().empty()) << boxes.texts().front();

  // One browser for all movies.
  std::ostringstream manifest;
  manifest << "{\"ruffle\": \"" << ruffle_.string()
           << "\", \"chromium\": \"/usr/bin/chromium\", \"concurrency\": 4,"
           << " \"movies\": [";
  for (std::size_t i = 0; i < movies.size(); ++i) {
    const auto& m = movies[i];
    manifest << (i ? ",\n" : "\n") << "{\"id\": \"" << m.id << "\", \"path\": \"" << m.path
             << "\", \"autoplay\": " << (m.autoplay ? "true" : "false") << ", \"button\": \"" << m.button
             << "\", \"background\": \"" << kBackground << "\", \"click\": [";
    for (std::size_t c = 0; c < m.click.size(); ++c) manifest << (c ? ", " : "") << '"' << m.click[c] << '"';
    manifest << "], \"reference\": {\"path\": \"" << m.reference << "\", \"button\": \"" << kButtonMarker
             << "\", \"background\": \"" << kBackgroundMarker << "\"}}";
  }
  manifest << "]}\n";
  const std::string manifest_path = (app_->path() / "manifest.json").string();
  testsupport::write_bytes(manifest_path, manifest.str());
  const std::string script =
      (testsupport::source_dir() / "tests/composition/ruffle/check_movies.mjs").string();
  const std::string output =
      testsupport::capture("node " + quote(script) + " " + quote(manifest_path) + " 2>&1");

  if (const char* keep = std::getenv("MELLIX_KEEP_RUFFLE_MOVIES")) {
    // For a look at the movies after a failure: the movies and the browser's report.
    fs::copy(out_, keep, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    fs::copy_file(manifest_path, fs::path(keep) / "manifest.json", fs::copy_options::overwrite_existing);
    testsupport::write_bytes((fs::path(keep) / "report.txt").string(), output);
  }

  std::map<std::string, std::string> logs;
  const auto results = parse_results(output, logs);
  for (const auto& m : movies) {
    SCOPED_TRACE(m.id);
    const auto it = results.find(m.id);
    ASSERT_NE(it, results.end()) << "no result from the browser:\n" << output;
    const auto& r = it->second;
    SCOPED_TRACE(logs[m.id + " result"]);
    EXPECT_EQ(num(r, "errors"), 0) << logs[m.id];

    // Colours where the pristine movie has its button and its background.
    const double pixels = num(r, "pixels");
    EXPECT_GT(num(r, "button_pixels"), pixels * 0.01);
    EXPECT_GE(num(r, "button_inside"), 0.95);
    EXPECT_GE(num(r, "button_cover"), 0.95);
    EXPECT_GT(num(r, "background_pixels"), pixels * 0.01);
    EXPECT_GE(num(r, "background_inside"), 0.95);
    EXPECT_GE(num(r, "background_cover"), 0.95);

    // Sound.
    EXPECT_GT(num(r, "first_buffers"), 0) << "no audio output at all";
    if (m.autoplay) {
      EXPECT_GT(num(r, "first_peak"), 0.1) << "autoplay movie silent";
      EXPECT_NEAR(num(r, "first_hz"), 440, 20);
    } else {
      EXPECT_LT(num(r, "first_peak"), 0.01) << "plain movie sounds before Play";
      EXPECT_GE(num(r, "play_region"), 0) << "no button starts the sound";
      EXPECT_GT(num(r, "play_peak"), 0.1);
      EXPECT_NEAR(num(r, "play_hz"), 440, 20);
      EXPECT_GE(num(r, "stop_region"), 0) << "no button silences the sound";
    }
  }
}

#else

TEST(RuffleMovies, EveryStyleLooksAndSoundsAsComposed) {
  GTEST_SKIP() << "the movie assembly (Module12::make_final_swf, engine/final_movie.h) is not built yet";
}

#endif

}  // namespace
}  // namespace composition_test
