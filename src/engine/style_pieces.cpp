#include "engine/style_pieces.h"

#include <array>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "core/errors.h"
#include "core/hex.h"
#include "core/paths.h"
#include "engine/files.h"
#include "engine/swf_records.h"

namespace engine::style {

namespace {

bool in_styles(std::int16_t k) { return k >= 1 && k <= 6; }

Pieces pieces_at(const std::string& family_folder, const std::string& style_folder,
                 const std::string& middle_folder, std::int16_t k) {
  const std::string n = std::to_string(k);
  const std::string folder = family_folder + "/" + n + style_folder + "/";
  return Pieces{core::spd_path(folder + "tp" + n + ".spd"),
                core::spd_path(family_folder + "/" + middle_folder + "/middle" + n + ".spd"),
                core::spd_path(folder + "bottom" + n + ".spd")};
}

// A colour text is six hex digits, either case.
bool is_color(const std::string& color) {
  if (color.size() != 6) return false;
  for (const char c : color) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

void check_in_place(const std::string& path, std::int32_t position, std::uintmax_t count) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || !std::filesystem::is_regular_file(path, ec)) {
    throw core::VbError(53, core::exe_name() + ".write_color", "File not found: " + path);
  }
  if (position < 1 || static_cast<std::uintmax_t>(position) - 1 + count > size) {
    throw core::VbError(63, core::exe_name() + ".write_color",
                        "Bad record number: byte " + std::to_string(position) + " of " + path);
  }
}

}  // namespace

std::optional<Pieces> plain_pieces(std::int16_t family, std::int16_t k) {
  if (!in_styles(k)) return std::nullopt;
  switch (family) {
    case kSam:
      return pieces_at("sam", "", "middle", k);
    case kInd:
      return pieces_at("ind", "_mod", "middle_mod", k);
    case kSin:
      return pieces_at("sin", "_sin", "middle", k);
    default:
      return std::nullopt;
  }
}

std::optional<Pieces> autoplay_pieces(std::int16_t family, std::int16_t n) {
  if (!in_styles(n)) return std::nullopt;
  switch (family) {
    case kSam:
      return pieces_at("sam_pla", "_sam_pla", "middle", n);
    case kSin:
      return pieces_at("sin_pla", "_sin_pla", "middle", n);
    default:
      return std::nullopt;
  }
}

std::int32_t button_position(std::int16_t family, std::int16_t k, std::int16_t target) {
  // One row per style or shape: sam, ind targets 1-3, sin.
  static constexpr std::array<std::array<std::int32_t, 5>, 6> color_offset_table{{
      {965, 965, 1718, 1481, 778},
      {966, 966, 1485, 1332, 780},
      {1301, 1301, 2425, 2831, 1107},
      {966, 971, 1604, 1789, 850},
      {1633, 3045, 1634, 5549, 1423},
      {1898, 2704, 1899, 3901, 1590},
  }};
  if (!in_styles(k)) return 0;
  const auto& row = color_offset_table[k - 1];
  switch (family) {
    case kSam:
      return row[0];
    case kInd:
      return target >= 1 && target <= 3 ? row[target] : 0;
    case kSin:
      return row[4];
    default:
      return 0;
  }
}

std::int32_t back_gnd_position(std::int16_t family, std::int16_t k) {
  // Style 1 of sam and ind has the short (7-byte) frame rectangle, so its
  // SetBackgroundColor RGB starts one byte earlier.
  if (!in_styles(k)) return 0;
  switch (family) {
    case kSam:
    case kInd:
      return k == 1 ? 22 : 23;
    case kSin:
      return 22;
    default:
      return 0;
  }
}

std::int32_t autoplay_button_position(std::int16_t family, std::int16_t n) {
  static constexpr std::array<std::int32_t, 6> sam_pla{889, 889, 1224, 890, 1556, 1821};
  static constexpr std::array<std::int32_t, 6> sin_pla{677, 677, 1017, 755, 1333, 1500};
  if (!in_styles(n)) return 0;
  if (family == kSam) return sam_pla[n - 1];
  if (family == kSin) return sin_pla[n - 1];
  return 0;
}

std::int32_t autoplay_back_gnd_position(std::int16_t family, std::int16_t n) {
  static constexpr std::array<std::int32_t, 6> sam_pla{22, 23, 23, 23, 23, 23};
  static constexpr std::array<std::int32_t, 6> sin_pla{22, 22, 28, 22, 28, 28};
  if (!in_styles(n)) return 0;
  if (family == kSam) return sam_pla[n - 1];
  if (family == kSin) return sin_pla[n - 1];
  return 0;
}

void check_pieces(const Pieces& paths, const std::string& tp, const std::string& middle,
                  const std::string& bottom) {
  const std::string movie = tp + middle + bottom;
  const std::size_t middle_end = tp.size() + middle.size();
  const auto damaged = [&](std::size_t at) {
    const std::string& path = at < tp.size() ? paths.tp : at < middle_end ? paths.middle : paths.bottom;
    throw core::VbError(
        321, core::exe_name() + ".check_pieces",
        "Invalid file format: " + path + " is cut short or damaged; it is no whole style piece");
  };

  // Header: signature, version, FileLength, the frame RECT (5 bits of field size, four
  // fields), frame rate and frame count.
  if (tp.size() < 9 || tp.compare(0, 3, "FWS") != 0) damaged(0);
  const std::size_t rect_bits = 5 + 4 * (static_cast<unsigned char>(tp[8]) >> 3);
  std::size_t at = 8 + (rect_bits + 7) / 8 + 4;
  if (at > tp.size()) damaged(0);

  // Records: a 16-bit code and length (length 0x3F: a 32-bit length follows), then the body.
  while (at + 2 <= movie.size()) {
    const auto record = swf::read_record_header(movie, at);
    if (!record) damaged(at);
    const int code = record->code;
    const std::size_t head = record->head;
    const std::uint64_t end = at + head + record->length;
    if (end > movie.size()) damaged(at);
    if (at < tp.size() && end > tp.size()) damaged(at);
    // The sprite is the middle piece, whole: the movie assembly writes its length there.
    if (at == tp.size() && (code != swf::kDefineSprite || head != swf::kLongHeaderSize || end != middle_end))
      damaged(at);
    if (at < middle_end && end > middle_end) damaged(at);
    if (code == swf::kEnd) {
      if (at < middle_end || end != movie.size()) damaged(at);  // the bottom piece closes the movie
      return;
    }
    at = static_cast<std::size_t>(end);
  }
  damaged(movie.empty() ? 0 : movie.size() - 1);
}

void write_color_in_place(const std::string& path, const std::string& color, std::int32_t position) {
  if (color.empty()) return;
  if (!is_color(color)) {
    throw core::VbError(380, core::exe_name() + ".write_color",
                        "Invalid property value: colour \"" + color + "\"");
  }
  check_in_place(path, position, 3);
  Module16::write_hex_at(path, color, position);
}

void write_u32_in_place(const std::string& path, std::uint32_t value, std::int32_t position) {
  check_in_place(path, position, 4);
  Module16::write_hex_at(path, Module6::to_lit_endian(core::to_hex(value), 1), position);
}

std::string working_tp() { return core::spd_path("tp.spd"); }
std::string working_middle() { return core::spd_path("middle.spd"); }
std::string working_bottom() { return core::spd_path("bottom.spd"); }
std::string preview_movie() { return core::spd_path("temp.swf"); }
std::string blank_movie() { return core::spd_path("blank.swf"); }

void kill_working_pieces() {
  Module5::kill_file(preview_movie());
  Module5::kill_file(working_tp());
  Module5::kill_file(working_middle());
  Module5::kill_file(working_bottom());
}

void write_preview_movie(const std::string& tp, const std::string& middle, const std::string& bottom) {
  const std::string movie = tp + middle + bottom;
  const std::string path = preview_movie();
  engine::write_file(path, movie);
  // FileLength, bytes 5-8 of the SWF header.
  write_u32_in_place(path, static_cast<std::uint32_t>(movie.size()), 5);
}

void restore_preview_movie() {
  try {
    if (engine::read_file(preview_movie()).starts_with("FWS")) return;
  } catch (const core::VbError&) {
    // No preview file at all: made from the pieces as well.
  }
  const std::string tp = engine::read_file(working_tp());
  const std::string middle = engine::read_file(working_middle());
  const std::string bottom = engine::read_file(working_bottom());
  write_preview_movie(tp, middle, bottom);
}

void write_working_pieces(const std::string& tp, const std::string& middle, const std::string& bottom,
                          const std::string& preview_middle) {
  try {
    engine::write_file(working_tp(), tp);
    engine::write_file(working_bottom(), bottom);
    engine::write_file(working_middle(), middle);
    write_preview_movie(tp, preview_middle, bottom);
  } catch (...) {
    kill_working_pieces();
    throw;
  }
}

}  // namespace engine::style
