#include "platform/flash/twips_control.h"

#include <cmath>

namespace platform::flash {

int to_pixels(int twips) { return static_cast<int>(std::lround(twips / double(kTwipsPerPixel))); }

void TwipsControl::Left(int twips) {
  left_ = twips;
  move(to_pixels(left_), to_pixels(top_));
}

void TwipsControl::Top(int twips) {
  top_ = twips;
  move(to_pixels(left_), to_pixels(top_));
}

void TwipsControl::Width(int twips) {
  width_ = twips;
  resize(to_pixels(width_), to_pixels(height_));
}

void TwipsControl::Height(int twips) {
  height_ = twips;
  resize(to_pixels(width_), to_pixels(height_));
}

}  // namespace platform::flash
