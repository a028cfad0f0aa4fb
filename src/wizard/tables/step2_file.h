#pragma once

// The file page: the emblem, the information box and the buttons over the backdrop.

#include "wizard/tables/page_table.h"

namespace wizard::tables {

inline constexpr Control kFileSource[] = {
    {"Picture1", Kind::Emblem, "", 0, 0, 1455, 1695},
    {"Text1", Kind::TextArea, "", 3840, 2880, 2535, 1335, 2},
    {"Command4", Kind::Button, "< Back", 2400, 6360, 1815, 495, 3},
    {"Command3", Kind::Button, "Cancel", 6480, 6360, 1815, 495, 5},
    {"Command2", Kind::Button, "Next >", 4440, 6360, 1815, 495, 4},
    {"Command1", Kind::Button, "Open File", 3720, 2040, 2655, 615, 1},
    {"ShockwaveFlash1", Kind::Flash, "", 0, 0, 0, 0},
};

}  // namespace wizard::tables
