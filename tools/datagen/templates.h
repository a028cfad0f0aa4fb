#pragma once

// The style template pieces: every style of every family as a tp, middle and bottom piece
// that join into one movie whose button and background colours stand at the byte positions
// the style composer patches.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "art.h"

namespace datagen {

struct Pieces {
  std::string tp;
  std::string middle;
  std::string bottom;
};

/// Where a style's colours must stand (1-based byte positions).
struct ColourPlan {
  std::size_t background = 0;        // in the tp piece
  std::vector<std::size_t> buttons;  // one per body shape, in the order of the design's buttons
  bool buttons_in_bottom = false;    // autoplay styles keep the button colour in the bottom piece
};

/// Builds the pieces of one style; `autoplay` makes the sound start at once.
Pieces build_pieces(const Design& design, const ColourPlan& plan, bool autoplay);

/// Colour plans of the installed styles.
ColourPlan sam_plan(int style);
ColourPlan ind_plan(int shape);
ColourPlan sin_plan(int style);
ColourPlan sam_pla_plan(int style);
ColourPlan sin_pla_plan(int style);

/// Writes the template tree of all five families under `spd`.
void write_templates(const std::filesystem::path& spd);

}  // namespace datagen
