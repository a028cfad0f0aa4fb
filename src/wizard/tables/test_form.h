#pragma once

// The hidden test form: two text boxes, four buttons and 96 small picture boxes.

#include <array>

#include "wizard/tables/page_table.h"

namespace wizard::tables {

inline constexpr std::array<Control, 102> kTestForm = [] {
  std::array<Control, 102> rows = {{
      {"Text1", Kind::TextBox, "Text1", 240, 240, 2895, 375, 1},
      {"Text2", Kind::TextBox, "Text2", 240, 720, 2895, 375, 2},
      {"Command1", Kind::Button, "Command1", 3360, 240, 1575, 375, 3},
      {"Command2", Kind::Button, "Time format", 3360, 720, 1575, 375, 4},
      {"Command3", Kind::Button, "File Size format", 3360, 1200, 1575, 375, 5},
      {"Command4", Kind::Button, "Command4", 3360, 1680, 1575, 375, 6},
  }};
  // Small picture boxes in rows of twelve below the controls.
  for (int i = 0; i < 96; ++i)
    rows[6 + i] = {"Picture", Kind::Picture, "", 240 + i % 12 * 600, 2400 + i / 12 * 600, 495, 495, 0, i + 1};
  return rows;
}();
}  // namespace wizard::tables
