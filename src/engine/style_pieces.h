#pragma once

// The installed style template tree: where each style's three pieces live, where their colour
// bytes stand, and the working pieces and preview movie that a composition writes.

#include <cstdint>
#include <optional>
#include <string>

namespace engine::style {

/// Family codes: a player whose buttons share one colour, one whose buttons are coloured
/// one at a time, and the single Play/Stop button.
inline constexpr std::int16_t kSam = 0;
inline constexpr std::int16_t kInd = 1;
inline constexpr std::int16_t kSin = 2;

/// Full paths of one style's tp, middle and bottom pieces.
struct Pieces {
  std::string tp;
  std::string middle;
  std::string bottom;
};

/// Plain pieces of style (or ind shape) k of a family; nullopt outside 1..6 or the families.
std::optional<Pieces> plain_pieces(std::int16_t family, std::int16_t k);
/// Autoplay pieces of sam or sin style n; nullopt for ind or outside 1..6.
std::optional<Pieces> autoplay_pieces(std::int16_t family, std::int16_t n);

/// 1-based position of the button colour in the plain tp piece; for ind, of colour target
/// 1..3. 0 outside the table.
std::int32_t button_position(std::int16_t family, std::int16_t k, std::int16_t target);
/// 1-based position of the SetBackgroundColor RGB in the plain tp piece; 0 outside the table.
std::int32_t back_gnd_position(std::int16_t family, std::int16_t k);
/// The same two positions of the autoplay pieces (the button colour lies in the bottom piece).
std::int32_t autoplay_button_position(std::int16_t family, std::int16_t n);
std::int32_t autoplay_back_gnd_position(std::int16_t family, std::int16_t n);

/// Writes the colour text RRGGBB (either case) as three bytes at the 1-based position of an
/// existing piece, in place. An empty colour writes nothing. A piece that is missing or too
/// short for the three bytes, or a text that is no colour, raises an error and leaves the
/// piece untouched: a template must never grow or be created by a colour write.
void write_color_in_place(const std::string& path, const std::string& color, std::int32_t position);

/// Writes a 32-bit little-endian value at the 1-based position of an existing file, in
/// place, with the same checks as write_color_in_place.
void write_u32_in_place(const std::string& path, std::uint32_t value, std::int32_t position);

/// Checks that the pieces join into one uncompressed movie whose records run whole from the
/// header to an End record on its last byte, the pieces meeting at record boundaries and the
/// middle piece being one DefineSprite record with the long header. Throws core::VbError 321
/// naming the first piece where the records break (a piece cut short, a wrong length).
void check_pieces(const Pieces& paths, const std::string& tp, const std::string& middle,
                  const std::string& bottom);

/// Deletes the preview movie and the three working pieces, in that order.
void kill_working_pieces();

/// Writes the three working pieces from the given bytes, then the preview movie joined from
/// tp, `preview_middle` and bottom with its FileLength set. If any write fails, every one of
/// the four files is deleted again before the error goes on, so no half-written set is left.
void write_working_pieces(const std::string& tp, const std::string& middle, const std::string& bottom,
                          const std::string& preview_middle);

/// Writes tp & middle & bottom as the preview movie with its FileLength set.
void write_preview_movie(const std::string& tp, const std::string& middle, const std::string& bottom);

/// Writes the preview movie again from the working pieces when it no longer begins with the
/// SWF signature (the gallery's colour modes write over its head). A preview that reads as a
/// movie is left as it is. Throws core::VbError when a working piece cannot be read.
void restore_preview_movie();

/// Paths of the working files under the data folder.
std::string working_tp();
std::string working_middle();
std::string working_bottom();
std::string preview_movie();
std::string blank_movie();

}  // namespace engine::style
