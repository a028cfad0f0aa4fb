#pragma once

// The progress page. The animation covers the label while it plays; the picture boxes
// show only without it.

#include "wizard/tables/page_table.h"

namespace wizard::tables {

inline constexpr Control kProgress[] = {
    {"Picture1", Kind::Picture, "", 5760, 480, 495, 255},
    {"Picture2", Kind::Picture, "", 720, 480, 5000, 255},
    {"ShockwaveFlash1", Kind::Flash, "", 0, 0, 0, 0},
    {"Label1", Kind::Label, "Encoding Sound ...", 720, 120, 4335, 375},
};

}  // namespace wizard::tables
