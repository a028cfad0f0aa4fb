#pragma once

#include "webcode/page_code.h"

namespace pagetest {

/// The page parameters as the floating step-5 page sets them on a visit (wide player, top-left
/// corner, gliding by default), with no code delivered yet.
inline void set_parameters(const char* width = "200", const char* height = "73", const char* target_x = "0;",
                           const char* step = "0.07;") {
  Module33::html_parts.fill("");
  Module33::html_parts[18] = Module33::html_parts[59] = width;
  Module33::html_parts[23] = Module33::html_parts[64] = height;
  Module33::target_x_text = target_x;
  Module33::target_y_text = "0;";
  Module33::step_x_text = Module33::step_y_text = step;
  Module33::html_code.clear();
}

}  // namespace pagetest
