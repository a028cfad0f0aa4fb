#pragma once

// The floating step-5 page: corner and speed options, the size boxes, the hidden offset boxes,
// the live sample page in the browser (or its text in Text5) and the buttons over the backdrop.
// The option buttons are narrow: the backdrop carries the texts beside them.

#include "wizard/tables/page_table.h"

namespace wizard::tables {

inline constexpr Control kFloatingStep5[] = {
    {"Picture1", Kind::Emblem, "", 0, 0, 1455, 1695},
    {"Option4", Kind::Option, "Option4", 360, 2190, 240, 300, 1},
    {"Option5", Kind::Option, "Option5", 360, 2550, 240, 300, 2},
    {"Option1", Kind::Option, "Option1", 360, 3360, 240, 300, 3},
    {"Option2", Kind::Option, "Option2", 360, 3720, 240, 300, 4},
    {"Option3", Kind::Option, "Option3", 360, 4080, 240, 300, 5},
    {"Text3", Kind::TextBox, "", 1200, 4890, 840, 330, 6},
    {"Text4", Kind::TextBox, "", 1200, 5310, 840, 330, 7},
    {"Command6", Kind::Button, "Accept", 2160, 4890, 960, 750, 8},
    {"Text1", Kind::TextBox, "", 1200, 5760, 420, 330},
    {"Text2", Kind::TextBox, "", 1680, 5760, 420, 330},
    {"Command4", Kind::Button, "Accept X,Y", 2160, 5760, 960, 330},
    {"Command2", Kind::Button, "Refresh View/Show", 240, 6180, 2940, 495, 9},
    {"Command7", Kind::Button, "View Code for This sample WebPage", 240, 7050, 3750, 495, 10},
    {"WebBrowser1", Kind::Browser, "", 3480, 1260, 7230, 5520},
    {"Text5", Kind::TextArea, "", 3480, 1260, 7230, 5520},
    {"Command3", Kind::Button, "< back", 4350, 7050, 1815, 495, 11},
    {"Command5", Kind::Button, "Next >", 6390, 7050, 1815, 495, 12},
    {"Command8", Kind::Button, "Cancel", 8430, 7050, 1815, 495, 13},
    {"ShockwaveFlash1", Kind::Flash, "", 0, 0, 0, 0},
};

}  // namespace wizard::tables
