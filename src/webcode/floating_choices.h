#pragma once

// The choices of the floating step-5 page as parameters of the floating code: the corner the
// button floats to and how fast it follows the scrolling.

namespace webcode {

enum class Corner { top_left, top_right };
enum class Speed { at_once, quick, gliding };  // factors 1, 0.3 and 0.07 of the distance a tick

/// The parameters a visit to the floating step-5 page starts from: every entry of the page-code
/// table emptied, no delivery, the top-left corner, the gliding speed and the default size of
/// `button_type` in the size entries.
void reset_floating_parameters(int button_type);

/// Sets the target offsets for `corner`: top right is one movie width from the right edge
/// (-200 for the wide player, -90 for the square button). A button type without a width leaves
/// the offsets as they are; returns whether they were set.
bool choose_corner(Corner corner, int button_type);

/// Sets both speed factors.
void choose_speed(Speed speed);

}  // namespace webcode
