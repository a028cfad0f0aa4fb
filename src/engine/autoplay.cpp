#include "engine/autoplay.h"

#include <array>
#include <optional>
#include <utility>

#include "core/errors.h"
#include "core/hex.h"
#include "core/hooks.h"
#include "core/shared_state.h"
#include "engine/compose_queue.h"
#include "engine/files.h"
#include "engine/style_composer.h"
#include "engine/style_pieces.h"

namespace {

using engine::style::kSam;
using engine::style::kSin;

// The selected style as (style, family): the first sam flag, else the first sin flag.
std::optional<std::pair<std::int16_t, std::int16_t>> selected_sam_or_sin() {
  for (std::int16_t n = 1; n <= 6; ++n) {
    if (core::sam_selected[n - 1]) return std::pair{n, kSam};
  }
  for (std::int16_t n = 1; n <= 6; ++n) {
    if (core::sin_selected[n - 1]) return std::pair{n, kSin};
  }
  return std::nullopt;
}

void assemble_now(const std::string& tp_path, const std::string& middle_path, const std::string& bottom_path,
                  const std::string& color, std::int32_t button_position) {
  namespace style = engine::style;
  const std::string back_gnd = core::back_gnd_color.empty() ? std::string("FFFFFF") : core::back_gnd_color;

  // Read and check every piece before writing anything, so a missing or damaged piece leaves
  // every template as it was. The middle piece is checked with the length it is given below.
  const std::string middle = engine::read_file(middle_path);
  if (middle.size() < 6) {
    throw core::VbError(63, core::exe_name() + ".assemble_pla_swf", "Bad record number: " + middle_path);
  }
  std::string sized = middle.substr(0, 2);
  core::put_u32le(sized, static_cast<std::uint32_t>(middle.size() - 6));
  style::check_pieces({tp_path, middle_path, bottom_path}, engine::read_file(tp_path),
                      sized + middle.substr(6), engine::read_file(bottom_path));
  style::write_color_in_place(tp_path, back_gnd, Module53::bg_color_pos);
  const std::string tp = engine::read_file(tp_path);
  style::write_color_in_place(bottom_path, color, button_position);
  const std::string bottom = engine::read_file(bottom_path);

  // The working middle piece is the template as it was read; the template itself, and with
  // it the preview, gets the DefineSprite length (piece length less the 6-byte tag header).
  style::write_u32_in_place(middle_path, static_cast<std::uint32_t>(middle.size() - 6), 3);
  const std::string sized_middle = engine::read_file(middle_path);
  style::write_working_pieces(tp, middle, bottom, sized_middle);
}

void build_pla_preview_now(const std::string& color, std::int16_t n, std::int16_t family) {
  namespace style = engine::style;
  core::yield();
  core::ignore_errors([] { style::kill_working_pieces(); });
  const auto pieces = style::autoplay_pieces(family, n);
  if (!pieces) return;
  Module53::bg_color_pos = style::autoplay_back_gnd_position(family, n);
  // A missing or damaged piece is reported like the plain composers' (the working set is
  // gone by then).
  assemble_now(pieces->tp, pieces->middle, pieces->bottom, color, style::autoplay_button_position(family, n));
}

}  // namespace

namespace Module53 {

std::int16_t compose_autoplay_style() {
  engine::run_composition([] {
    const auto selected = selected_sam_or_sin();
    if (!selected) return;
    build_pla_preview_now(core::button_color, selected->first, selected->second);
  });
  return 0;
}

void build_pla_preview(const std::string& color, std::int16_t n, std::int16_t /*unused*/,
                       std::int16_t family) {
  engine::run_composition([=] { build_pla_preview_now(color, n, family); });
}

void assemble_pla_swf(const std::string& tp_path, const std::string& middle_path,
                      const std::string& bottom_path, const std::string& color,
                      std::int32_t button_position) {
  engine::run_composition([=] { assemble_now(tp_path, middle_path, bottom_path, color, button_position); });
}

}  // namespace Module53

namespace Module54 {

std::int16_t compose_plain_style() {
  engine::run_composition([] {
    const auto selected = selected_sam_or_sin();
    if (!selected) return;
    const auto [n, family] = *selected;
    // The button colour composition reads the tp piece that the background composition has
    // just coloured, so the working pieces carry both colours.
    engine::style::apply_back_gnd_color_now(core::back_gnd_color, n, 0, family);
    engine::style::apply_button_color_now(core::button_color, n, 0, family);
  });
  return 0;
}

}  // namespace Module54
