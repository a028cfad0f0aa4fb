#pragma once

// The finish page: the emblem, the finished movie, the three paths with their captions and
// the buttons over the backdrop. The browser control stays hidden.

#include "wizard/tables/page_table.h"

namespace wizard::tables {

inline constexpr Control kFinish[] = {
    {"Picture1", Kind::Emblem, "", 0, 0, 1455, 1695},
    {"ShockwaveFlash2", Kind::Flash, "", 6960, 2160, 3000, 1350},
    {"Label1", Kind::Label, "Button(SWF) generated at following Location", 600, 1920, 5775, 255},
    {"Text1", Kind::TextArea, "", 600, 2220, 5775, 615, 1},
    {"Label2", Kind::Label, "Sample WebPage(test.htm)  Path", 600, 3000, 5775, 255},
    {"Text2", Kind::TextBox, "", 600, 3300, 5775, 375, 2},
    {"Label3", Kind::Label, "HTML code file(in txt form)  path", 600, 3840, 5775, 255},
    {"Text3", Kind::TextBox, "", 600, 4140, 5775, 375, 3},
    {"Label4", Kind::Label, "Sample WebPage with Sound", 6960, 1800, 3000, 255},
    {"WebBrowser1", Kind::Browser, "", 600, 4680, 9375, 1455},
    {"Command1", Kind::Button, "< Back", 2400, 6360, 1815, 495, 4},
    {"Command2", Kind::Button, "Finish", 4440, 6360, 1815, 495, 5},
    {"ShockwaveFlash1", Kind::Flash, "", 0, 0, 0, 0},
};

}  // namespace wizard::tables
