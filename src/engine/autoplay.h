#pragma once

// The autoplay box of the encode pages: ticked, the working pieces are rebuilt from the
// autoplay variant of the selected sam or sin style; cleared, from its plain pieces. The ind
// family has no autoplay variant: with an ind style (or none) selected, nothing happens.

#include <cstdint>
#include <string>

namespace Module53 {
/// Background position of the style being composed, set by build_pla_preview for
/// assemble_pla_swf.
inline std::int32_t bg_color_pos = 0;

/// Composes the autoplay variant of the selected sam or sin style with `button_color` and
/// `back_gnd_color`. Always returns 0.
std::int16_t compose_autoplay_style();
/// Picks the autoplay pieces of style n of family 0 (sam) or 2 (sin) and assembles them;
/// `unused` is not looked at. A missing or damaged piece raises its error with the working
/// pieces deleted and every template as it was.
void build_pla_preview(const std::string& color, std::int16_t n, std::int16_t unused, std::int16_t family);
/// Writes the background (`back_gnd_color`, white when empty) at `bg_color_pos` of the tp
/// piece and the button colour at `button_position` of the bottom piece, sets the middle
/// piece's DefineSprite length, and writes the working pieces and temp.swf.
void assemble_pla_swf(const std::string& tp_path, const std::string& middle_path,
                      const std::string& bottom_path, const std::string& color, std::int32_t button_position);
}  // namespace Module53

namespace Module54 {
/// Recomposes the selected sam or sin style from its plain pieces: the background colour,
/// then the button colour. Always returns 0.
std::int16_t compose_plain_style();
}  // namespace Module54
