#pragma once

// Colour composition of a button style: a swatch or a style pick writes a colour into the
// style's installed tp piece, copies the three pieces to the working pieces tp.spd,
// middle.spd and bottom.spd, joins them into the preview movie temp.swf and shows it in the
// gallery's preview (engine/style_preview.h). Requests that arrive while a composition runs
// wait for it (engine/compose_queue.h).

#include <cstdint>
#include <string>

namespace Module3 {
/// Swatch dispatcher. Mode 1 colours all buttons of the selected sam style, 2 the colour
/// target of the selected ind style, 3 the background of the selected style (ind first, then
/// sam, then sin), 5 the selected sin button; other modes do nothing. Returns the ind style
/// number (1..18) when an ind style was composed, else 0.
std::int16_t apply_color(std::int16_t mode, const std::string& color);
/// 1..18 for the first selected ind style, else 99.
std::int16_t selected_ind_style();
/// 21..26 (20 + style) for the first selected sam style, else 90.
std::int16_t selected_sam_style();
/// 27..32 (26 + style) for the first selected sin style, else 0.
std::int16_t selected_sin_style();
}  // namespace Module3

namespace Module4 {
/// Writes a button colour into style (or ind shape) `style` of `family` (0 sam, 1 ind,
/// 2 sin; `target` 1..3 is the ind colour target), then composes and plays the preview.
/// Always deletes the working pieces and stores the colour in `button_color` first.
void apply_button_color(const std::string& color, std::int16_t style, std::int16_t target,
                        std::int16_t family);
/// Writes the colour at `position` of the tp piece, copies the pieces to the working pieces,
/// writes temp.swf and loads and plays it in the preview.
void build_color_preview(const std::string& tp_path, const std::string& middle_path,
                         const std::string& bottom_path, const std::string& color, std::int32_t position);
}  // namespace Module4

namespace Module5 {
/// As Module4::apply_button_color for the background colour, stored in `back_gnd_color`.
void apply_back_gnd_color(const std::string& color, std::int16_t style, std::int16_t target,
                          std::int16_t family);
}  // namespace Module5

namespace Module7 {
/// As Module4::build_color_preview, then sets the preview's background colour and loads the
/// movie without playing it.
void build_back_gnd_preview(const std::string& tp_path, const std::string& middle_path,
                            const std::string& bottom_path, const std::string& color, std::int32_t position);
/// Rebuilds temp.swf from the pieces of sam style "1".."6" or ind shape "1_mod".."6_mod" as
/// they stand (no colour written, no working piece copied) and shows it on the background
/// `back_gnd_color`. Any other id does nothing.
void preview_style(const std::string& style_id);
}  // namespace Module7

namespace engine::style {
/// The bodies of the routines above, for composers that already run inside a composing
/// request (the autoplay box recomposes the plain pieces through them).
void apply_button_color_now(const std::string& color, std::int16_t style, std::int16_t target,
                            std::int16_t family);
void apply_back_gnd_color_now(const std::string& color, std::int16_t style, std::int16_t target,
                              std::int16_t family);
}  // namespace engine::style
