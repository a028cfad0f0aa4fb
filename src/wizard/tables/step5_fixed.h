#pragma once

// The fixed-button step 5: autoplay, the size the page code gives the movie, the save path,
// the code box and the buttons over the backdrop. The backdrop names the two size boxes.

#include "wizard/tables/page_table.h"

namespace wizard::tables {

inline constexpr Control kFixedStep5[] = {
    {"Picture1", Kind::Emblem, "", 0, 0, 1455, 1695},
    {"Check1", Kind::CheckBox, "Autoplay audio", 2160, 1800, 2895, 375, 1},
    {"Text3", Kind::TextBox, "200", 2160, 2640, 855, 375, 2},
    {"Text4", Kind::TextBox, "73", 3360, 2640, 855, 375, 3},
    {"Command5", Kind::Button, "Accept", 4440, 2580, 1215, 495, 4},
    {"Label1", Kind::Label, "Save To:", 1080, 3420, 1035, 375},
    {"Text2", Kind::TextBox, "", 2160, 3360, 5175, 375, 5},
    {"Command4", Kind::Button, "Change ...", 7440, 3300, 1335, 495, 6},
    {"Text1", Kind::TextArea, "", 2160, 3960, 6615, 2055, 7},
    {"Command6", Kind::Button, "Copy Code", 8880, 3960, 1335, 495, 8},
    {"Command2", Kind::Button, "Encode", 4440, 6360, 1815, 495, 10},
    {"Command1", Kind::Button, "< Back", 2400, 6360, 1815, 495, 9},
    {"Command3", Kind::Button, "Cancel", 6480, 6360, 1815, 495, 11},
    {"ShockwaveFlash1", Kind::Flash, "", 0, 0, 0, 0},
};

}  // namespace wizard::tables
