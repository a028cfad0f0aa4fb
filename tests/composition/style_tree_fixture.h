#pragma once

// A temporary application folder holding a complete style template tree of synthetic pieces,
// each byte following a pattern of its own piece, so any byte changed or copied from the wrong
// piece shows. Paths and colour positions are the engine's: the installed templates are checked
// against them (tests/datagen) and played composed (ruffle_movie_test).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/hex.h"
#include "core/hooks.h"
#include "core/paths.h"
#include "core/shared_state.h"
#include "engine/style_pieces.h"
#include "engine/style_preview.h"
#include "support/test_support.h"

namespace composition_test {

namespace fs = std::filesystem;

// The tp pieces hold every plain position (furthest 5549 + 2), bottom pieces every autoplay one.
inline constexpr std::size_t kTpSize = 6000;
inline constexpr std::size_t kMiddleSize = 1000;
inline constexpr std::size_t kBottomSize = 2000;

/// One plain style: family, style (ind: shape) 1-6 and, for ind, the colour target 1-3.
struct Style {
  std::string family;
  int k;
  int target = 0;
  std::string name() const { return family + std::to_string(target ? ind_number() : k); }  // ind: 1-18
  int mode() const { return family == "sam" ? 1 : family == "ind" ? 2 : 5; }  // the swatch's mode
  int ind_number() const { return target ? 3 * (k - 1) + target : 0; }
  std::int16_t code() const { return static_cast<std::int16_t>(mode() == 1 ? 0 : mode() == 2 ? 1 : 2); }
  int button_at() const { return engine::style::button_position(code(), k, target); }
  int background_at() const { return engine::style::back_gnd_position(code(), k); }
  void select() const {
    if (family == "sam") core::sam_selected[k - 1] = true;
    if (family == "ind") core::ind_selected[ind_number() - 1] = true;
    if (family == "sin") core::sin_selected[k - 1] = true;
  }
};
inline std::vector<Style> plain_styles() {
  std::vector<Style> styles;
  for (const std::string family : {"sam", "ind", "sin"}) {
    const int targets = family == "ind" ? 3 : 0;  // ind: three colour targets per shape
    for (int k = 1; k <= 6; ++k)
      for (int t = targets ? 1 : 0; t <= targets; ++t) styles.push_back({family, k, t});
  }
  return styles;
}

/// The preview control of the gallery: every call in order, and each loaded movie's bytes then.
class RecordingPreview : public engine::StylePreview {
 public:
  void load_movie(int layer, const std::string& path) override {
    calls.push_back("load " + std::to_string(layer) + " " + fs::path(path).filename().string());
    loaded.push_back(testsupport::read_bytes(path));
  }
  void play() override { calls.push_back("play"); }
  void set_bg_color(const std::string& color) override { calls.push_back("bg " + color); }

  std::vector<std::string> calls;
  std::vector<std::string> loaded;
};

inline std::string pattern(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<char>((seed * 131u + i * 7u + (i >> 8)) & 0xFF);
  return bytes;
}

/// A record with the long header: code, length, then `body`.
inline std::string long_record(int code, const std::string& body) {
  std::string r{static_cast<char>(code << 6 | 0x3F), static_cast<char>(code >> 2)};
  core::put_u32le(r, static_cast<std::uint32_t>(body.size()));
  return r + body;
}

/// Pieces of `size` bytes whose records join into a whole movie, each record a pattern: tp the header
/// and one, middle a DefineSprite (`sprite_length` in place of its length), bottom one and End.
inline std::string tp_piece(std::size_t size, unsigned seed) {
  return std::string("FWS\x0A\0\0\0\0\0\0\x18\x01\0", 13) + long_record(0x3FE, pattern(size - 19, seed));
}
inline std::string middle_piece(std::size_t size, unsigned seed, const std::string& sprite_length = {}) {
  return long_record(39, pattern(size - 6, seed)).replace(2, sprite_length.size(), sprite_length);
}
inline std::string bottom_piece(std::size_t size, unsigned seed) {
  return long_record(0x3FE, pattern(size - 8, seed)) + std::string(2, '\0');
}

inline std::string rgb(const std::string& hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

/// Byte strings compared with a short report: the sizes and the first differing offset.
inline ::testing::AssertionResult same_bytes(const std::string& actual, const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  std::size_t i = 0;
  while (i < actual.size() && i < expected.size() && actual[i] == expected[i]) ++i;
  return ::testing::AssertionFailure()
         << "sizes " << actual.size() << " and " << expected.size() << ", first difference at offset " << i;
}

/// What temp.swf must hold for the three pieces: their join with FileLength at bytes 5-8.
inline std::string movie_of(const std::string& tp, const std::string& middle, const std::string& bottom) {
  std::string movie = tp + middle + bottom;
  for (int i = 0; i < 4; ++i) movie[4 + i] = static_cast<char>(movie.size() >> (8 * i));
  return movie;
}

/// Paths (from spd/) of one style's pieces.
struct PiecePaths {
  std::string tp, middle, bottom;
};
inline PiecePaths piece_paths(const std::string& family, int k, bool autoplay = false) {
  const auto f = static_cast<std::int16_t>(family == "sam" ? 0 : family == "ind" ? 1 : 2);
  const auto n = static_cast<std::int16_t>(k);
  const auto p = autoplay ? *engine::style::autoplay_pieces(f, n) : *engine::style::plain_pieces(f, n);
  const std::size_t root = core::spd_path("x").size() - 1;  // the length of ".../spd/"
  const auto relative = [&](const std::string& path) { return path.substr(root); };
  return {relative(p.tp), relative(p.middle), relative(p.bottom)};
}

class StyleTree : public ::testing::Test {
 protected:
  void SetUp() override {
    core::set_app_dir(dir_.path());
    fs::remove_all(dir_.path() / "spd");
    preview_ = RecordingPreview{};
    unsigned seed = 1;
    for (const bool autoplay : {false, true}) {
      for (const std::string family : {"sam", "ind", "sin"}) {
        if (autoplay && family == "ind") continue;
        for (int k = 1; k <= 6; ++k) {
          const auto p = piece_paths(family, k, autoplay);
          put(p.tp, tp_piece(kTpSize, seed++));  // an autoplay middle piece gets its length composed
          put(p.middle, middle_piece(kMiddleSize, seed++, autoplay ? std::string(4, '\0') : ""));
          put(p.bottom, bottom_piece(kBottomSize, seed++));
        }
      }
    }
    put("blank.swf", std::string("FWS\x08\x15\x00\x00\x00", 8) + pattern(13, 999));
    core::sam_selected.fill(false);
    core::sin_selected.fill(false);
    core::ind_selected.fill(false);
    core::button_color.clear();
    core::back_gnd_color = "FFFFFF";
    engine::set_style_preview(&preview_);
    pristine_ = snapshot();
  }

  void TearDown() override {
    engine::set_style_preview(nullptr);
    core::set_yield_hook({});
    core::set_app_dir({});
  }

  std::string spd(const std::string& relative) const { return (dir_.path() / "spd" / relative).string(); }
  std::string bytes(const std::string& relative) const { return testsupport::read_bytes(spd(relative)); }
  bool exists(const std::string& relative) const { return fs::exists(spd(relative)); }
  void put(const std::string& relative, const std::string& content) {
    fs::create_directories(fs::path(spd(relative)).parent_path());
    testsupport::write_bytes(spd(relative), content);
  }

  /// Every file under spd/ with its bytes.
  std::map<std::string, std::string> snapshot() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir_.path() / "spd"))
      if (entry.is_regular_file())
        files[fs::relative(entry.path(), dir_.path() / "spd").generic_string()] =
            testsupport::read_bytes(entry.path());
    return files;
  }

  /// Files of the tree that differ from the pristine tree (new, gone or changed), sorted.
  std::vector<std::string> changed_files() const {
    std::vector<std::string> changed;
    const auto now = snapshot();
    for (const auto& [path, content] : now)
      if (!pristine_.count(path) || pristine_.at(path) != content) changed.push_back(path);
    for (const auto& [path, content] : pristine_)
      if (!now.count(path)) changed.push_back(path);
    std::sort(changed.begin(), changed.end());
    return changed;
  }

  /// The pristine piece with `color` written at the 1-based position.
  std::string pristine_with(const std::string& relative, const std::string& color,
                            std::size_t position) const {
    std::string expected = pristine_.at(relative);
    expected.replace(position - 1, 3, rgb(color));
    return expected;
  }

  /// The working pieces and the preview movie (made with `preview_middle` if given) hold these pieces.
  void expect_working_set(const std::string& tp, const std::string& middle, const std::string& bottom,
                          const std::string* preview_middle = nullptr) const {
    EXPECT_TRUE(same_bytes(bytes("tp.spd"), tp)) << "tp.spd";
    EXPECT_TRUE(same_bytes(bytes("middle.spd"), middle)) << "middle.spd";
    EXPECT_TRUE(same_bytes(bytes("bottom.spd"), bottom)) << "bottom.spd";
    EXPECT_TRUE(
        same_bytes(bytes("temp.swf"), movie_of(tp, preview_middle ? *preview_middle : middle, bottom)))
        << "temp.swf";
  }

  /// The same for the pieces of `p` with the tp piece `tp`.
  void expect_working_set(const PiecePaths& p, const std::string& tp) const {
    expect_working_set(tp, pristine_.at(p.middle), pristine_.at(p.bottom));
  }

  void expect_no_working_set() const {
    for (const char* f : {"tp.spd", "middle.spd", "bottom.spd", "temp.swf"}) EXPECT_FALSE(exists(f)) << f;
  }

  testsupport::TempDir dir_;
  RecordingPreview preview_;
  std::map<std::string, std::string> pristine_;
};

}  // namespace composition_test
