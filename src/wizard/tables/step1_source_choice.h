#pragma once

// Step 1: the emblem, the buttons and the three source options over the backdrop.

#include "wizard/tables/page_table.h"

namespace wizard::tables {

inline constexpr Control kStepOne[] = {
    {"Picture1", Kind::Emblem, "", 0, 0, 1455, 1695},
    {"Command2", Kind::Button, "Cancel", 5040, 6480, 1815, 495, 5},
    {"Command1", Kind::Button, "Next >", 3000, 6480, 1815, 495, 4},
    {"Option3", Kind::Option, "", 3240, 3840, 255, 735, 3},
    {"Option2", Kind::Option, "", 3240, 3120, 255, 735, 2},
    {"Option1", Kind::Option, "", 3240, 2520, 255, 615, 1},
    {"ShockwaveFlash1", Kind::Flash, "", 0, 0, 0, 0},
};

}  // namespace wizard::tables
