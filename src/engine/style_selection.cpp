#include "engine/style_selection.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "core/errors.h"
#include "core/hooks.h"
#include "core/paths.h"
#include "core/shared_state.h"
#include "engine/files.h"
#include "engine/style_pieces.h"

namespace engine::style {

namespace {

FrameCanvas* current_canvas = nullptr;

constexpr int kWhite = 15;  // palette index the wiping draws in

// Frame colour of the sam styles 3 to 6: red, which stands out on all four thumbnails.
constexpr int kSamFrame = 12;

}  // namespace

// Columns: picture, group, family, style, target, flag, style id, line width, colour, dx, dy.
// clang-format off
const std::array<StylePicture, 30> kStylePictures = {{
    {100, 1, kSam, 1, 0, 1, "1", 6, 5, 0, 0},
    {101, 1, kSam, 2, 0, 2, "2", 6, 3, 0, 0},
    {102, 1, kSam, 3, 0, 3, "3", 6, kSamFrame, 0, 0},
    {103, 1, kSam, 4, 0, 4, "4", 6, kSamFrame, 0, 0},
    {104, 1, kSam, 5, 0, 5, "5", 6, kSamFrame, 0, 0},
    {105, 1, kSam, 6, 0, 6, "6", 6, kSamFrame, 0, 0},
    {107, 2, kInd, 1, 1, 1, "1_mod", 6, 9, 0, 0},
    {108, 2, kInd, 1, 2, 2, "1_mod", 6, 13, 0, 0},
    {109, 2, kInd, 2, 1, 4, "2_mod", 6, 13, 0, 0},
    {110, 2, kInd, 2, 2, 5, "2_mod", 6, 13, 0, 0},
    {111, 2, kInd, 1, 3, 3, "1_mod", 6, 13, 0, 0},
    {112, 2, kInd, 4, 1, 10, "4_mod", 6, 13, 0, 0},
    {113, 2, kInd, 4, 2, 11, "4_mod", 6, 13, 0, 0},
    {114, 2, kInd, 4, 3, 12, "4_mod", 6, 13, 0, 0},
    {115, 2, kInd, 2, 3, 6, "2_mod", 6, 13, 0, 0},
    {116, 2, kInd, 3, 1, 7, "3_mod", 6, 13, 0, 0},
    {117, 2, kInd, 3, 2, 8, "3_mod", 6, 13, 0, 0},
    {118, 2, kInd, 3, 3, 9, "3_mod", 6, 13, 0, 0},
    {119, 2, kInd, 5, 1, 13, "5_mod", 6, 13, 0, 0},
    {120, 2, kInd, 5, 2, 14, "5_mod", 6, 13, 0, 0},
    {121, 2, kInd, 5, 3, 15, "5_mod", 6, 13, 0, 0},
    {122, 2, kInd, 6, 1, 16, "6_mod", 6, 13, 0, 0},
    {123, 2, kInd, 6, 2, 17, "6_mod", 6, 13, 0, 0},
    {124, 2, kInd, 6, 3, 18, "6_mod", 6, 13, 0, 0},
    {126, 3, kSin, 1, 0, 1, "", 3, 12, 180, 100},
    {127, 3, kSin, 2, 0, 2, "", 3, 12, 120, 90},
    {128, 3, kSin, 3, 0, 3, "", 3, 12, 160, 80},
    {129, 3, kSin, 4, 0, 4, "", 3, 12, 140, 80},
    {130, 3, kSin, 5, 0, 5, "", 3, 12, 160, 80},
    {131, 3, kSin, 6, 0, 6, "", 3, 12, 160, 80},
}};
// clang-format on

const StylePicture* style_picture(int number) {
  const auto* found = std::find_if(kStylePictures.begin(), kStylePictures.end(),
                                   [number](const StylePicture& p) { return p.number == number; });
  return found == kStylePictures.end() ? nullptr : found;
}

std::string thumbnail_name(const StylePicture& picture) {
  static constexpr const char* kFamilies[] = {"sam", "ind", "sin"};
  return kFamilies[picture.family] + std::to_string(picture.flag) + ".png";
}

void set_frame_canvas(FrameCanvas* canvas) { current_canvas = canvas; }

void draw_style_frame(const StylePicture& picture, int colour) {
  if (!current_canvas) return;
  // Twips are whole numbers here, so the corner needs no rounding.
  const int x2 = current_canvas->picture_width(picture.number) - picture.dx;
  const int y2 = current_canvas->picture_height(picture.number) - picture.dy;
  current_canvas->draw_box(picture.number, 0, 3, x2, y2, picture.line_width, colour);
}

void write_preview_head() {
  const std::string path = preview_movie();
  try {
    Module16::write_hex_at(path, "3233", 1);  // "23"
  } catch (const core::VbError& error) {
    throw core::VbError(error.number(), error.source(), error.description() + ": " + path);
  }
}

std::string restore_templates() {
  namespace fs = std::filesystem;
  const fs::path from = core::spd_back_path();
  const fs::path to = core::spd_path();
  std::error_code ec;
  if (!fs::is_directory(from, ec)) return "the folder " + from.string() + " is missing";

  // Every pristine file is first copied beside its namesake; any failure takes the copies away.
  std::vector<std::pair<fs::path, fs::path>> staged;  // (copy, target)
  auto drop_staged = [&staged] {
    std::error_code ignored;
    for (const auto& [copy, target] : staged) fs::remove(copy, ignored);
  };
  for (fs::recursive_directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    const fs::path target = to / fs::relative(it->path(), from, ec);
    const fs::path copy = target.string() + ".restoring";
    if (!ec) fs::create_directories(target.parent_path(), ec);
    if (!ec) fs::copy_file(it->path(), copy, fs::copy_options::overwrite_existing, ec);
    if (ec) {
      drop_staged();
      return "cannot copy " + it->path().string() + ": " + ec.message();
    }
    staged.emplace_back(copy, target);
  }
  if (ec) {
    drop_staged();
    return "cannot read " + from.string() + ": " + ec.message();
  }
  for (std::size_t i = 0; i < staged.size(); ++i) {
    fs::rename(staged[i].first, staged[i].second, ec);
    if (ec) {
      const std::string failure = "cannot replace " + staged[i].second.string() + ": " + ec.message();
      staged.erase(staged.begin(), staged.begin() + static_cast<std::ptrdiff_t>(i));
      drop_staged();
      return failure;
    }
  }
  return {};
}

}  // namespace engine::style

namespace Module2 {

void reset_style_flags() {
  core::yield();
  core::sam_selected.fill(false);
  core::sin_selected.fill(false);
  core::ind_selected.fill(false);
}

void set_style_flag(std::int16_t picture, std::int16_t group) {
  core::yield();
  const auto* p = engine::style::style_picture(picture);
  if (!p || p->group != group) return;
  const auto index = static_cast<std::size_t>(p->flag - 1);
  switch (group) {
    case 1:
      core::sam_selected.fill(false);
      core::sin_selected.fill(false);
      core::sam_selected[index] = true;
      break;
    case 2:
      core::ind_selected.fill(false);
      core::ind_selected[index] = true;
      break;
    case 3:
      core::sin_selected.fill(false);
      core::sam_selected.fill(false);
      core::sin_selected[index] = true;
      break;
  }
}

}  // namespace Module2

namespace Module1 {

void clear_style_frames(std::int32_t picture, std::int16_t group) {
  core::yield();
  for (const auto& p : engine::style::kStylePictures) {
    if (p.group == group && p.number != picture) erase_style_frame(static_cast<std::int16_t>(p.number));
  }
}

void erase_style_frame(std::int16_t number) {
  if (const auto* p = engine::style::style_picture(number))
    engine::style::draw_style_frame(*p, engine::style::kWhite);
}

}  // namespace Module1
