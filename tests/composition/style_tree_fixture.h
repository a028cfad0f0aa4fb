#pragma once

// A temporary application folder holding a complete style template tree of synthetic pieces:
// every byte of every piece follows a pattern of its own, so any byte a composition changes,
// and any byte copied from the wrong piece, shows.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/hooks.h"
#include "core/paths.h"
#include "core/shared_state.h"
#include "engine/style_preview.h"
#include "support/test_support.h"

namespace composition_test {

namespace fs = std::filesystem;

// Sizes of the synthetic pieces: the tp pieces hold every plain position (the furthest is
// 5549 + 2), the bottom pieces every autoplay button position (1821 + 2).
inline constexpr std::size_t kTpSize = 6000;
inline constexpr std::size_t kMiddleSize = 1000;
inline constexpr std::size_t kBottomSize = 2000;

/// The preview control of the gallery as the tests see it: every call in order, and the
/// bytes of each movie as they stood when it was loaded.
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

inline std::string rgb(const std::string& hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

inline std::string le32(std::uint32_t v) {
  return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                     static_cast<char>((v >> 16) & 0xFF), static_cast<char>((v >> 24) & 0xFF)};
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
  movie.replace(4, 4, le32(static_cast<std::uint32_t>(movie.size())));
  return movie;
}

/// Relative paths (from spd/) of one style's pieces, spelled out independently of the engine.
struct PiecePaths {
  std::string tp, middle, bottom;
};
inline PiecePaths plain_paths(const std::string& family, int k) {
  const std::string n = std::to_string(k);
  if (family == "sam")
    return {"sam/" + n + "/tp" + n + ".spd", "sam/middle/middle" + n + ".spd",
            "sam/" + n + "/bottom" + n + ".spd"};
  if (family == "ind")
    return {"ind/" + n + "_mod/tp" + n + ".spd", "ind/middle_mod/middle" + n + ".spd",
            "ind/" + n + "_mod/bottom" + n + ".spd"};
  return {"sin/" + n + "_sin/tp" + n + ".spd", "sin/middle/middle" + n + ".spd",
          "sin/" + n + "_sin/bottom" + n + ".spd"};
}
inline PiecePaths autoplay_paths(const std::string& family, int n) {
  const std::string k = std::to_string(n);
  const std::string f = family + "_pla";
  return {f + "/" + k + "_" + f + "/tp" + k + ".spd", f + "/middle/middle" + k + ".spd",
          f + "/" + k + "_" + f + "/bottom" + k + ".spd"};
}

class StyleTree : public ::testing::Test {
 protected:
  void SetUp() override {
    core::set_app_dir(dir_.path());
    fs::remove_all(dir_.path() / "spd");
    preview_ = RecordingPreview{};
    unsigned seed = 1;
    for (const std::string family : {"sam", "ind", "sin"}) {
      for (int k = 1; k <= 6; ++k) {
        const auto p = plain_paths(family, k);
        put(p.tp, pattern(kTpSize, seed++));
        put(p.middle, pattern(kMiddleSize, seed++));
        put(p.bottom, pattern(kBottomSize, seed++));
      }
    }
    for (const std::string family : {"sam", "sin"}) {
      for (int k = 1; k <= 6; ++k) {
        const auto p = autoplay_paths(family, k);
        put(p.tp, pattern(kTpSize, seed++));
        put(p.middle, pattern(kMiddleSize, seed++));
        put(p.bottom, pattern(kBottomSize, seed++));
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
    for (const auto& entry : fs::recursive_directory_iterator(dir_.path() / "spd")) {
      if (entry.is_regular_file())
        files[fs::relative(entry.path(), dir_.path() / "spd").generic_string()] =
            testsupport::read_bytes(entry.path());
    }
    return files;
  }

  /// Files of the tree that differ from the pristine tree (new, gone or changed), sorted.
  std::vector<std::string> changed_files() const {
    std::vector<std::string> changed;
    const auto now = snapshot();
    for (const auto& [path, content] : now) {
      auto it = pristine_.find(path);
      if (it == pristine_.end() || it->second != content) changed.push_back(path);
    }
    for (const auto& [path, content] : pristine_) {
      if (!now.count(path)) changed.push_back(path);
    }
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

  /// The working pieces and the preview movie hold exactly these pieces.
  /// The preview movie is made with `preview_middle` when one is given.
  void expect_working_set(const std::string& tp, const std::string& middle, const std::string& bottom,
                          const std::string* preview_middle = nullptr) const {
    EXPECT_TRUE(same_bytes(bytes("tp.spd"), tp)) << "tp.spd";
    EXPECT_TRUE(same_bytes(bytes("middle.spd"), middle)) << "middle.spd";
    EXPECT_TRUE(same_bytes(bytes("bottom.spd"), bottom)) << "bottom.spd";
    EXPECT_TRUE(
        same_bytes(bytes("temp.swf"), movie_of(tp, preview_middle ? *preview_middle : middle, bottom)))
        << "temp.swf";
  }

  void expect_no_working_set() const {
    for (const char* f : {"tp.spd", "middle.spd", "bottom.spd", "temp.swf"}) EXPECT_FALSE(exists(f)) << f;
  }

  testsupport::TempDir dir_;
  RecordingPreview preview_;
  std::map<std::string, std::string> pristine_;
};

}  // namespace composition_test
