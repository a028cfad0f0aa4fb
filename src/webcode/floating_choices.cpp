#include "webcode/floating_choices.h"

#include "webcode/movie_size.h"
#include "webcode/page_code.h"

namespace webcode {

void reset_floating_parameters(int button_type) {
  Module33::code_target = 0;
  Module33::html_parts.fill("");
  Module33::target_x_text = Module33::target_y_text = "0;";
  Module33::step_x_text = Module33::step_y_text = "0.07;";
  set_size_parts(default_size(button_type));
}

bool choose_corner(Corner corner, int button_type) {
  if (corner == Corner::top_left) {
    Module33::target_x_text = Module33::target_y_text = "0;";
    return true;
  }
  // The script measures a negative offset from the right edge.
  const char* from_right = button_type == 1 ? "-200;" : button_type == 2 ? "-90;" : nullptr;
  if (!from_right) return false;
  Module33::target_x_text = from_right;
  Module33::target_y_text = "0;";
  return true;
}

void choose_speed(Speed speed) {
  const char* factor = speed == Speed::at_once ? "1;" : speed == Speed::quick ? "0.3;" : "0.07;";
  Module33::step_x_text = Module33::step_y_text = factor;
}

}  // namespace webcode
