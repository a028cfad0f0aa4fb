#pragma once

// The style gallery (step 3): the preview, the three galleries of style pictures, the two
// boxes of colour swatches, the four mode options and the buttons over the backdrop. The style
// pictures and the swatches are the control array "Picture", indexed by their number.

#include <array>

#include "wizard/tables/page_table.h"

namespace wizard::tables {

/// A colour swatch: its number and its colour text RRGGBB as the palette gives it.
struct Swatch {
  int number;
  const char* colour;
};

/// The swatches of the container Picture1 and of Picture2, by row and column.
// clang-format off
inline constexpr Swatch kSwatches1[6][8] = {
    {{47, "FF00FF"}, {46, "00FFFF"}, {3, "0000FF"}, {4, "009933"}, {5, "006633"}, {6, "00FF99"}, {7, "99FF33"}, {8, "99CC33"}},
    {{9, "FF552C"}, {10, "FFF0CC"}, {11, "FF0060"}, {12, "FF305F"}, {13, "663366"}, {14, "666666"}, {15, "663399"}, {16, "33FFCC"}},
    {{17, "CCFF99"}, {18, "CC9999"}, {19, "CC3399"}, {20, "99CCFF"}, {21, "9900FF"}, {22, "990099"}, {23, "999999"}, {24, "000719"}},
    {{25, "660099"}, {26, "FFFF66"}, {27, "005533"}, {28, "006533"}, {29, "008033"}, {30, "009933"}, {31, "00AA33"}, {32, "00BB33"}},
    {{33, "000044"}, {34, "002077"}, {35, "007077"}, {36, "550010"}, {37, "AA0010"}, {38, "6050FF"}, {39, "5000F0"}, {40, "665535"}},
    {{41, "FFFF33"}, {42, "FFFF7C"}, {43, "FF9966"}, {44, "9900FF"}, {45, "CCFF10"}, {48, "FF0010"}, {49, "466610"}, {50, "FFCCCC"}},
};
inline constexpr Swatch kSwatches2[6][8] = {
    {{95, "F9F959"}, {94, "FFFF10"}, {93, "FF997E"}, {92, "99007F"}, {91, "CCFF90"}, {90, "FF0095"}, {89, "4666A0"}, {88, "FFCCA5"}},
    {{87, "F2BBBB"}, {86, "22116F"}, {85, "FFC97E"}, {84, "9900AF"}, {83, "8C9996"}, {82, "FF6B9B"}, {81, "76FF61"}, {80, "2FCCA5"}},
    {{79, "66FFFb"}, {78, "FCB219"}, {77, "009988"}, {76, "1099A4"}, {75, "776625"}, {74, "141312"}, {73, "20FF19"}, {72, "800012"}},
    {{71, "8DD1AF"}, {70, "DAB695"}, {69, "95ADCA"}, {68, "F9D866"}, {67, "F4AF6A"}, {66, "B9CF8F"}, {65, "FB6B6C"}, {64, "425719"}},
    {{63, "1113BD"}, {62, "00FF19"}, {61, "FFFFFF"}, {60, "FFAA9A"}, {59, "1322D1"}, {58, "773332"}, {57, "115577"}, {56, "2112BF"}},
    {{55, "06F912"}, {54, "C23D65"}, {53, "9F6080"}, {52, "6A956C"}, {51, "C95336"}, {96, "CBE31C"}, {97, "CA9235"}, {98, "88B649"}},
};
// clang-format on

/// Place of a style picture inside its gallery, in twips.
struct PicturePlace {
  int number;
  int left, top, width, height;
};

inline constexpr PicturePlace kSamPictures[] = {
    {100, 240, 240, 2175, 975},  {101, 240, 1440, 2175, 735},  {102, 240, 2400, 2655, 855},
    {103, 3840, 240, 2175, 735}, {104, 3840, 1200, 2415, 855}, {105, 3960, 2280, 2655, 735},
};
inline constexpr PicturePlace kIndPictures[] = {
    {107, 120, 360, 975, 855},   {108, 1080, 360, 975, 855},   {111, 2160, 360, 975, 855},
    {109, 360, 1560, 855, 615},  {110, 1200, 1560, 735, 735},  {115, 2160, 1560, 735, 735},
    {116, 240, 2640, 975, 855},  {117, 1320, 2640, 975, 855},  {118, 2280, 2640, 855, 855},
    {112, 4800, 240, 855, 855},  {113, 5880, 360, 735, 735},   {114, 6840, 360, 855, 735},
    {119, 4680, 1440, 975, 975}, {120, 5880, 1440, 855, 855},  {121, 6960, 1320, 855, 1095},
    {122, 4680, 2640, 975, 735}, {123, 5760, 2640, 1095, 735}, {124, 6960, 2640, 975, 735},
};
inline constexpr PicturePlace kSinPictures[] = {
    {126, 360, 120, 975, 855},  {127, 360, 1080, 735, 735},  {128, 360, 2040, 975, 855},
    {129, 1920, 120, 855, 735}, {130, 1920, 1080, 975, 855}, {131, 1920, 2040, 975, 735},
};

inline constexpr std::array<Control, 141> kGallery = [] {
  std::array<Control, 141> rows{};
  std::size_t n = 0;
  auto add = [&](const Control& row) { rows[n++] = row; };
  auto pictures = [&](const auto& places, const char* gallery) {
    for (const PicturePlace& p : places)
      add({"Picture", Kind::Picture, "", p.left, p.top, p.width, p.height, 0, p.number, gallery});
  };
  auto swatches = [&](const Swatch(&grid)[6][8], const char* box) {
    for (int r = 0; r < 6; ++r)
      for (int c = 0; c < 8; ++c)
        add({"Picture", Kind::Picture, "", 300 * c, 300 * r, 250, 250, 0, grid[r][c].number, box});
  };
  add({"ShockwaveFlash1", Kind::Flash, "", 9000, 5520, 2295, 2295});
  add({"Picture132", Kind::Emblem, "", 0, 0, 1455, 1575});
  add({"Picture99", Kind::Picture, "", 2640, 960, 6735, 3495});
  pictures(kSamPictures, "Picture99");
  add({"Picture106", Kind::Picture, "", 240, 5400, 2055, 1215});
  pictures(kIndPictures, "Picture106");
  add({"Picture125", Kind::Picture, "", 7320, 240, 4455, 3495});
  pictures(kSinPictures, "Picture125");
  add({"Picture1", Kind::Picture, "", 2880, 5880, 2415, 1815});
  swatches(kSwatches1, "Picture1");
  add({"Picture2", Kind::Picture, "", 5400, 5880, 2415, 1815});
  swatches(kSwatches2, "Picture2");
  add({"Option1", Kind::Option, "Choose Individual button color", 240, 7920, 1935, 735, 4});
  add({"Option2", Kind::Option, "Choose all button  color", 2760, 4560, 255, 375, 1});
  add({"Option4", Kind::Option, "Single Play/Stop button", 2760, 4920, 255, 375, 2});
  add({"Option3", Kind::Option, "Choose Background color", 2760, 5280, 255, 375, 3});
  add({"Command1", Kind::Button, "< Back", 2160, 7800, 1883, 495, 5});
  add({"Command2", Kind::Button, "Next >", 4200, 7800, 1883, 495, 6});
  add({"Command3", Kind::Button, "Cancel", 6240, 7800, 1883, 495, 7});
  add({"ShockwaveFlash2", Kind::Flash, "", 0, 0, 0, 0});
  if (n != rows.size()) throw "the gallery's rows do not fill its table";
  return rows;
}();

}  // namespace wizard::tables
