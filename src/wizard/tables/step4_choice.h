#pragma once

// Step 4: the emblem, the two placement options and the buttons over the backdrop.

#include "wizard/tables/page_table.h"

namespace wizard::tables {

inline constexpr Control kChoice[] = {
    {"Picture1", Kind::Emblem, "", 0, 0, 1455, 1695},
    {"Option1", Kind::Option, "Fixed Button", 3720, 2640, 3495, 495, 1},
    {"Option2", Kind::Option, "Floating Button", 3720, 3480, 3495, 495, 2},
    {"Command2", Kind::Button, "Next >", 4440, 6360, 1815, 495, 4},
    {"Command1", Kind::Button, "< Back", 2400, 6360, 1815, 495, 3},
    {"Command3", Kind::Button, "Cancel", 6480, 6360, 1815, 495, 5},
    {"ShockwaveFlash1", Kind::Flash, "", 0, 0, 0, 0},
};

}  // namespace wizard::tables
