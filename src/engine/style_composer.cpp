#include "engine/style_composer.h"

#include <array>
#include <memory>
#include <optional>

#include "core/hooks.h"
#include "core/shared_state.h"
#include "engine/compose_queue.h"
#include "engine/files.h"
#include "engine/style_pieces.h"
#include "engine/style_preview.h"

namespace engine::style {

namespace {

// First set flag of a family, 1-based; 0 when none is set.
template <std::size_t N>
int first_selected(const std::array<bool, N>& flags) {
  for (std::size_t i = 0; i < N; ++i) {
    if (flags[i]) return static_cast<int>(i) + 1;
  }
  return 0;
}

std::int16_t selected_ind() {
  core::yield();
  const int s = first_selected(core::ind_selected);
  return static_cast<std::int16_t>(s == 0 ? 99 : s);
}

std::int16_t selected_sam() {
  core::yield();
  const int k = first_selected(core::sam_selected);
  return static_cast<std::int16_t>(k == 0 ? 90 : 20 + k);
}

std::int16_t selected_sin() {
  core::yield();
  const int k = first_selected(core::sin_selected);
  return static_cast<std::int16_t>(k == 0 ? 0 : 26 + k);
}

// Colours the tp piece and writes the working pieces and temp.swf. The pieces are read and
// checked before anything is written, so a missing or damaged piece stops the composition
// with no colour written and no working piece left.
void compose_pieces(const std::string& tp_path, const std::string& middle_path,
                    const std::string& bottom_path, const std::string& color, std::int32_t position) {
  const std::string middle = engine::read_file(middle_path);
  const std::string bottom = engine::read_file(bottom_path);
  check_pieces({tp_path, middle_path, bottom_path}, engine::read_file(tp_path), middle, bottom);
  write_color_in_place(tp_path, color, position);
  const std::string tp = engine::read_file(tp_path);
  write_working_pieces(tp, middle, bottom, middle);
}

void build_color_preview_now(const std::string& tp_path, const std::string& middle_path,
                             const std::string& bottom_path, const std::string& color,
                             std::int32_t position) {
  compose_pieces(tp_path, middle_path, bottom_path, color, position);
  if (auto* preview = engine::style_preview()) {
    // Through the empty movie, so that the control really reloads the rewritten file.
    preview->load_movie(0, blank_movie());
    preview->load_movie(0, preview_movie());
    preview->play();
  }
}

void build_back_gnd_preview_now(const std::string& tp_path, const std::string& middle_path,
                                const std::string& bottom_path, const std::string& color,
                                std::int32_t position) {
  compose_pieces(tp_path, middle_path, bottom_path, color, position);
  if (auto* preview = engine::style_preview()) {
    preview->set_bg_color(color);
    preview->load_movie(0, blank_movie());
    preview->load_movie(0, preview_movie());
  }
}

std::int16_t apply_color_now(std::int16_t mode, const std::string& color) {
  core::yield();
  if (mode == 2) {
    const std::int16_t s = selected_ind();
    if (s >= 1 && s <= 18) {
      apply_button_color_now(color, static_cast<std::int16_t>((s - 1) / 3 + 1),
                             static_cast<std::int16_t>((s - 1) % 3 + 1), kInd);
      return s;
    }
  }
  if (mode == 1) {
    const std::int16_t c = selected_sam();
    if (c >= 21 && c <= 26) apply_button_color_now(color, static_cast<std::int16_t>(c - 20), 0, kSam);
  }
  if (mode == 5) {
    const std::int16_t c = selected_sin();
    if (c >= 27 && c <= 32) apply_button_color_now(color, static_cast<std::int16_t>(c - 26), 0, kSin);
  }
  if (mode == 3) {
    // The background goes to the selected ind style first, else to sam, else to sin.
    std::int16_t c = selected_ind();
    if (c == 99) c = selected_sam();
    if (c == 90) c = selected_sin();
    if (c >= 1 && c <= 18) {
      apply_back_gnd_color_now(color, static_cast<std::int16_t>((c - 1) / 3 + 1),
                               static_cast<std::int16_t>((c - 1) % 3 + 1), kInd);
      return c;
    }
    if (c >= 21 && c <= 26) apply_back_gnd_color_now(color, static_cast<std::int16_t>(c - 20), 0, kSam);
    if (c >= 27 && c <= 32) apply_back_gnd_color_now(color, static_cast<std::int16_t>(c - 26), 0, kSin);
  }
  return 0;
}

void preview_style_now(const std::string& style_id) {
  core::yield();
  std::optional<Pieces> pieces;
  for (std::int16_t k = 1; k <= 6 && !pieces; ++k) {
    if (style_id == std::to_string(k)) pieces = plain_pieces(kSam, k);
    if (style_id == std::to_string(k) + "_mod") pieces = plain_pieces(kInd, k);
  }
  if (!pieces) return;
  const std::string tp = engine::read_file(pieces->tp);
  const std::string bottom = engine::read_file(pieces->bottom);
  const std::string middle = engine::read_file(pieces->middle);
  check_pieces(*pieces, tp, middle, bottom);
  write_preview_movie(tp, middle, bottom);
  if (auto* preview = engine::style_preview()) {
    preview->set_bg_color(core::back_gnd_color);
    preview->load_movie(0, blank_movie());
    preview->load_movie(0, preview_movie());
  }
}

}  // namespace

void apply_button_color_now(const std::string& color, std::int16_t style, std::int16_t target,
                            std::int16_t family) {
  core::yield();
  kill_working_pieces();
  core::button_color = color;
  const auto pieces = plain_pieces(family, style);
  const std::int32_t position = button_position(family, style, target);
  if (!pieces || position == 0) return;
  build_color_preview_now(pieces->tp, pieces->middle, pieces->bottom, color, position);
}

void apply_back_gnd_color_now(const std::string& color, std::int16_t style, std::int16_t target,
                              std::int16_t family) {
  core::yield();
  kill_working_pieces();
  core::back_gnd_color = color;
  const auto pieces = plain_pieces(family, style);
  if (!pieces) return;
  // The ind colour targets share their shape's background, but the target must exist.
  if (family == kInd && (target < 1 || target > 3)) return;
  build_back_gnd_preview_now(pieces->tp, pieces->middle, pieces->bottom, color,
                             back_gnd_position(family, style));
}

}  // namespace engine::style

namespace Module3 {

std::int16_t apply_color(std::int16_t mode, const std::string& color) {
  auto result = std::make_shared<std::int16_t>(0);
  engine::run_composition([=] { *result = engine::style::apply_color_now(mode, color); });
  return *result;
}

std::int16_t selected_ind_style() { return engine::style::selected_ind(); }
std::int16_t selected_sam_style() { return engine::style::selected_sam(); }
std::int16_t selected_sin_style() { return engine::style::selected_sin(); }

}  // namespace Module3

namespace Module4 {

void apply_button_color(const std::string& color, std::int16_t style, std::int16_t target,
                        std::int16_t family) {
  engine::run_composition([=] { engine::style::apply_button_color_now(color, style, target, family); });
}

void build_color_preview(const std::string& tp_path, const std::string& middle_path,
                         const std::string& bottom_path, const std::string& color, std::int32_t position) {
  engine::run_composition(
      [=] { engine::style::build_color_preview_now(tp_path, middle_path, bottom_path, color, position); });
}

}  // namespace Module4

namespace Module5 {

void apply_back_gnd_color(const std::string& color, std::int16_t style, std::int16_t target,
                          std::int16_t family) {
  engine::run_composition([=] { engine::style::apply_back_gnd_color_now(color, style, target, family); });
}

}  // namespace Module5

namespace Module7 {

void build_back_gnd_preview(const std::string& tp_path, const std::string& middle_path,
                            const std::string& bottom_path, const std::string& color, std::int32_t position) {
  engine::run_composition(
      [=] { engine::style::build_back_gnd_preview_now(tp_path, middle_path, bottom_path, color, position); });
}

void preview_style(const std::string& style_id) {
  engine::run_composition([=] { engine::style::preview_style_now(style_id); });
}

}  // namespace Module7
