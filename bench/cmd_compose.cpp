// mellix-bench compose: picks a style and applies colours in an application folder exactly as
// the gallery's style picture, its swatches and the encode pages' autoplay box do, and leaves
// the working pieces and temp.swf in APPDIR/spd.

#include <cctype>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "command.h"
#include "core/paths.h"
#include "core/shared_state.h"
#include "engine/autoplay.h"
#include "engine/style_composer.h"
#include "engine/style_preview.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "APPDIR FAMILY STYLE [--target T] [--button RRGGBB] [--background RRGGBB] [--autoplay]\n"
    "      FAMILY sam, ind or sin; STYLE 1-6; T 1-3 (ind only)";

// Stands in for the gallery's preview control: reports what the control was asked to do.
class PrintingPreview : public engine::StylePreview {
 public:
  void load_movie(int layer, const std::string& path) override {
    std::cout << "preview: load layer " << layer << ' ' << path << '\n';
  }
  void play() override { std::cout << "preview: play\n"; }
  void set_bg_color(const std::string& color) override {
    std::cout << "preview: background " << color << '\n';
  }
};

bool is_color(const std::string& text) {
  if (text.size() != 6) return false;
  for (const char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

int usage_error(const std::string& message) {
  std::cerr << "compose: " << message << "\nusage: mellix-bench compose " << kUsage << '\n';
  return 2;
}

int compose(const std::vector<std::string>& args) {
  if (args.size() < 3) return usage_error("missing arguments");
  const fs::path app_dir = args[0];
  const std::string family = args[1];
  const std::string style_text = args[2];
  if (!fs::is_directory(app_dir / "spd")) return usage_error("no spd folder in " + app_dir.string());
  if (family != "sam" && family != "ind" && family != "sin") return usage_error("unknown family " + family);
  if (style_text.size() != 1 || style_text[0] < '1' || style_text[0] > '6') {
    return usage_error("style must be 1-6, not " + style_text);
  }
  const std::int16_t style = static_cast<std::int16_t>(style_text[0] - '0');

  std::int16_t target = 1;
  std::string button;
  std::string background;
  bool autoplay = false;
  for (std::size_t i = 3; i < args.size(); ++i) {
    const std::string& option = args[i];
    const bool has_value = i + 1 < args.size();
    if (option == "--autoplay") {
      autoplay = true;
    } else if (option == "--target" && has_value) {
      const std::string t = args[++i];
      if (family != "ind") return usage_error("--target applies to the ind family only");
      if (t.size() != 1 || t[0] < '1' || t[0] > '3') return usage_error("target must be 1-3, not " + t);
      target = static_cast<std::int16_t>(t[0] - '0');
    } else if ((option == "--button" || option == "--background") && has_value) {
      const std::string color = args[++i];
      if (!is_color(color)) return usage_error(option + " needs a colour RRGGBB, not " + color);
      (option == "--button" ? button : background) = color;
    } else {
      return usage_error("unknown or incomplete option " + option);
    }
  }

  core::set_app_dir(app_dir);
  PrintingPreview preview;
  engine::set_style_preview(&preview);
  const auto start = std::chrono::steady_clock::now();

  // The gallery as it loads: nothing picked, white background.
  core::sam_selected.fill(false);
  core::sin_selected.fill(false);
  core::ind_selected.fill(false);
  core::back_gnd_color = "FFFFFF";

  // The style picture's pick: flag, background composition, preview.
  if (family == "sam") {
    core::sam_selected[style - 1] = true;
    core::button_type = 1;
    Module5::apply_back_gnd_color(core::back_gnd_color, style, 0, 0);
    Module7::preview_style(style_text);
  } else if (family == "ind") {
    core::ind_selected[3 * (style - 1) + target - 1] = true;
    Module5::apply_back_gnd_color(core::back_gnd_color, style, target, 1);
    Module7::preview_style(style_text + "_mod");
  } else {
    core::sin_selected[style - 1] = true;
    core::button_type = 2;
    Module5::apply_back_gnd_color(core::back_gnd_color, style, 0, 2);
  }
  core::button_selected = true;

  // The swatch clicks: the button colour in the family's mode, then the background.
  if (!button.empty()) Module3::apply_color(family == "sam" ? 1 : family == "ind" ? 2 : 5, button);
  if (!background.empty()) Module3::apply_color(3, background);

  if (autoplay) Module53::compose_autoplay_style();

  const auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start);
  engine::set_style_preview(nullptr);
  for (const char* name : {"tp.spd", "middle.spd", "bottom.spd", "temp.swf"}) {
    const std::string path = core::spd_path(name);
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    std::cout << name << ": " << (ec ? std::string("missing") : std::to_string(size) + " bytes") << '\n';
  }
  std::cout << "composed in " << elapsed.count() << " ms\n";
  return 0;
}

const bench::Registrar reg("compose", kUsage, compose);

}  // namespace
