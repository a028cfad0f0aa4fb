#pragma once

// The microphone page: the emblem, the recorder and player buttons, the status movie above
// them and the backdrop.

#include "wizard/tables/page_table.h"

namespace wizard::tables {

inline constexpr Control kMicrophoneSource[] = {
    {"Picture1", Kind::Emblem, "", 0, 0, 1455, 1695},
    {"Command12", Kind::Button, "Cancel", 6480, 6360, 1815, 495, 11},
    {"Command11", Kind::Button, "Next >", 4440, 6360, 1815, 495, 10},
    {"Command10", Kind::Button, "< Back", 2400, 6360, 1815, 495, 9},
    {"Command8", Kind::Button, "Resume", 8880, 5040, 1455, 495, 5},
    {"ShockwaveFlash2", Kind::Flash, "", 2880, 2040, 4815, 1215},
    {"Command1", Kind::Button, "Start Recording", 3000, 3480, 1455, 975, 1},
    {"Command2", Kind::Button, "Stop Recording", 4440, 3480, 1335, 975, 2},
    {"Command3", Kind::Button, "Play", 3000, 4680, 1455, 495, 3},
    {"Command4", Kind::Button, "Pause", 4440, 4680, 1335, 495, 4},
    {"Command5", Kind::Button, "Stop", 5760, 4680, 1215, 495, 6},
    {"Command6", Kind::Button, "GoTo Begining", 3000, 5160, 1455, 495, 7},
    {"Command7", Kind::Button, "Clear", 4440, 5160, 1335, 495, 8},
    {"ShockwaveFlash1", Kind::Flash, "", 0, 0, 0, 0},
};

}  // namespace wizard::tables
