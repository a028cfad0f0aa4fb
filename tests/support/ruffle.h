#pragma once

// Movies played in Ruffle inside headless Chromium by support/ruffle_movies.mjs, one browser for
// a whole list: what loads, what shows, what sounds and answers the buttons.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/swf_reader.h"
#include "support/test_support.h"

namespace testsupport {

struct RuffleMovie {
  std::string id, path;
  int scale = 1;                       // player pixels per stage pixel
  std::string shot{};                  // where to save a PNG of the player after a second
  std::vector<std::string> colours{};  // RRGGBB each covering 1% of the player
  std::vector<std::string> click{};    // colours of the buttons that may be Play or Stop
  std::string sound{};                 // "plain", "autoplay" or none
};

/// Why the browser checks cannot run here (Ruffle, playwright or Chromium missing), or "".
inline std::string ruffle_missing() {
  const auto modules = source_dir() / "node_modules";
  if (!std::filesystem::exists(modules / "@ruffle-rs/ruffle/ruffle.js") ||
      !std::filesystem::exists(modules / "playwright-core"))
    return "node_modules lacks @ruffle-rs/ruffle or playwright-core (run npm ci)";
  if (!std::filesystem::exists("/usr/bin/chromium")) return "/usr/bin/chromium is not installed";
  return {};
}

/// Plays the movies; returns each one's "RESULT <id> problems=... key=value ..." line by id (none
/// for a movie the browser never reported) and the browser's whole output under "".
inline std::map<std::string, std::string> play_in_ruffle(const std::vector<RuffleMovie>& movies,
                                                         const TempDir& dir) {
  const auto text = [](const std::string& s) {
    std::string out = "\"";
    for (char c : s) out += c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
    return out + "\"";
  };
  const auto list = [&](const std::vector<std::string>& items) {
    std::string out = "[";
    for (const auto& item : items) out += (out.size() > 1 ? ", " : "") + text(item);
    return out + "]";
  };
  std::string manifest =
      "{\"ruffle\": " + text((source_dir() / "node_modules/@ruffle-rs/ruffle").string()) + ", \"movies\": [";
  for (const auto& m : movies) {
    const auto stage = swf::read_header(read_bytes(m.path)).frame_size;
    manifest += std::string(&m == &movies.front() ? "\n" : ",\n") + "{\"id\": " + text(m.id) +
                ", \"path\": " + text(m.path) +
                ", \"width\": " + std::to_string((stage.x_max - stage.x_min) / 20) +
                ", \"height\": " + std::to_string((stage.y_max - stage.y_min) / 20) +
                ", \"scale\": " + std::to_string(m.scale) + ", \"shot\": " + text(m.shot) +
                ", \"colours\": " + list(m.colours) + ", \"click\": " + list(m.click) +
                ", \"sound\": " + text(m.sound) + "}";
  }
  write_bytes(dir.file("manifest.json"), manifest + "]}\n");
  std::map<std::string, std::string> results;
  results[""] = capture("node " + quote((source_dir() / "tests/support/ruffle_movies.mjs").string()) + " " +
                        quote(dir.file("manifest.json")) + " 2>&1");
  const std::string& out = results[""];
  for (std::size_t at = out.find("RESULT "); at != std::string::npos; at = out.find("RESULT ", at + 1)) {
    const std::string line = out.substr(at, out.find('\n', at) - at);
    results[line.substr(7, line.find(' ', 7) - 7)] = line;
  }
  return results;
}

}  // namespace testsupport
