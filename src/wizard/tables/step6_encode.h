#pragma once

// Step 6 of a floating button: autoplay, the save path, the code box and the buttons over the
// backdrop, placed as on the fixed step 5, whose floating counterpart it is.

#include "wizard/tables/page_table.h"

namespace wizard::tables {

inline constexpr Control kStep6[] = {
    {"Picture1", Kind::Emblem, "", 0, 0, 1455, 1695},
    {"Check1", Kind::CheckBox, "Autoplay Audio", 2160, 1800, 2895, 375, 1},
    {"Text1", Kind::TextBox, "", 2160, 2520, 5175, 375, 2},
    {"Command1", Kind::Button, "Change ..", 7440, 2460, 1335, 495, 3},
    {"Text2", Kind::TextArea, "", 2160, 3120, 6615, 3000, 4},
    {"Command6", Kind::Button, "Copy  Code", 8880, 3120, 1335, 495, 5},
    {"Command3", Kind::Button, "Encode", 4440, 6360, 1815, 495, 7},
    {"Command2", Kind::Button, "< Back", 2400, 6360, 1815, 495, 6},
    {"Command4", Kind::Button, "Cancel", 6480, 6360, 1815, 495, 8},
    {"ShockwaveFlash1", Kind::Flash, "", 0, 0, 0, 0},
};

}  // namespace wizard::tables
