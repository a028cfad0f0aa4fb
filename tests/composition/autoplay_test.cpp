#include "engine/autoplay.h"

#include <gtest/gtest.h>

#include "core/shared_state.h"
#include "engine/style_composer.h"
#include "style_tree_fixture.h"

namespace composition_test {
namespace {

using Calls = std::vector<std::string>;

// Autoplay positions: button (in the bottom piece) and background (in the tp piece).
constexpr int kSamPla[6][2] = {{889, 22}, {889, 23}, {1224, 23}, {890, 23}, {1556, 23}, {1821, 23}};
constexpr int kSinPla[6][2] = {{677, 22}, {677, 22}, {1017, 28}, {755, 22}, {1333, 28}, {1500, 28}};

using Autoplay = StyleTree;

// The middle piece with its DefineSprite length (piece length less 6) at bytes 3-6.
std::string sized(std::string middle) {
  middle.replace(2, 4, le32(static_cast<std::uint32_t>(middle.size() - 6)));
  return middle;
}

TEST_F(Autoplay, ColoursLandAtTheAutoplayPositionsOfEveryStyle) {
  for (const std::string family : {"sam", "sin"}) {
    for (int n = 1; n <= 6; ++n) {
      SetUp();
      (family == "sam" ? core::sam_selected : core::sin_selected)[n - 1] = true;
      core::button_color = "CBE31C";
      core::back_gnd_color = "4666A0";
      EXPECT_EQ(Module53::compose_autoplay_style(), 0);

      const auto& row = family == "sam" ? kSamPla[n - 1] : kSinPla[n - 1];
      const auto p = autoplay_paths(family, n);
      const std::string tp = pristine_with(p.tp, "4666A0", row[1]);
      const std::string bottom = pristine_with(p.bottom, "CBE31C", row[0]);
      const std::string middle = pristine_.at(p.middle);
      EXPECT_TRUE(same_bytes(bytes(p.tp), tp)) << family << ' ' << n;
      EXPECT_TRUE(same_bytes(bytes(p.bottom), bottom)) << family << ' ' << n;
      EXPECT_TRUE(same_bytes(bytes(p.middle), sized(middle))) << family << ' ' << n;
      // The working middle piece is the template as it was read; the preview has the length.
      EXPECT_TRUE(same_bytes(bytes("tp.spd"), tp));
      EXPECT_TRUE(same_bytes(bytes("middle.spd"), middle));
      EXPECT_TRUE(same_bytes(bytes("bottom.spd"), bottom));
      EXPECT_TRUE(same_bytes(bytes("temp.swf"), movie_of(tp, sized(middle), bottom)));
      std::vector<std::string> expected{"bottom.spd", p.bottom,   p.middle, p.tp,
                                        "middle.spd", "temp.swf", "tp.spd"};
      std::sort(expected.begin(), expected.end());
      EXPECT_EQ(changed_files(), expected);
      EXPECT_TRUE(preview_.calls.empty());  // the autoplay route updates no preview
      EXPECT_EQ(core::button_color, "CBE31C");
      EXPECT_EQ(core::back_gnd_color, "4666A0");
      TearDown();
    }
  }
}

TEST_F(Autoplay, SinStyle3WritesByte28OfTpAndByte1017OfBottom) {
  core::sin_selected[2] = true;
  core::button_color = "99007F";
  core::back_gnd_color = "FF997E";
  Module53::compose_autoplay_style();
  EXPECT_TRUE(same_bytes(bytes("sin_pla/3_sin_pla/tp3.spd").substr(27, 3), rgb("FF997E")));
  EXPECT_TRUE(same_bytes(bytes("sin_pla/3_sin_pla/bottom3.spd").substr(1016, 3), rgb("99007F")));
}

TEST_F(Autoplay, EmptyButtonColourCopiesTheBottomUnchangedAndEmptyBackgroundIsWhite) {
  core::sam_selected[4] = true;
  core::button_color = "";
  core::back_gnd_color = "";
  Module53::compose_autoplay_style();
  const auto p = autoplay_paths("sam", 5);
  EXPECT_TRUE(same_bytes(bytes(p.bottom), pristine_.at(p.bottom)));
  EXPECT_TRUE(same_bytes(bytes("bottom.spd"), pristine_.at(p.bottom)));
  EXPECT_TRUE(same_bytes(bytes(p.tp), pristine_with(p.tp, "FFFFFF", 23)));
  EXPECT_TRUE(same_bytes(bytes("tp.spd").substr(22, 3), std::string("\xFF\xFF\xFF", 3)));
  EXPECT_EQ(core::back_gnd_color, "");
}

TEST_F(Autoplay, MiddleOf1000BytesGetsLength994AndTheSecondCompositionCopiesIt) {
  core::sin_selected[0] = true;
  Module53::compose_autoplay_style();
  const std::string piece = bytes("sin_pla/middle/middle1.spd");
  ASSERT_EQ(piece.size(), 1000u);
  EXPECT_EQ(piece.substr(2, 4), std::string("\xE2\x03\x00\x00", 4));
  EXPECT_TRUE(same_bytes(bytes("temp.swf").substr(kTpSize + 2, 4), std::string("\xE2\x03\x00\x00", 4)));
  EXPECT_TRUE(same_bytes(bytes("middle.spd"), pristine_.at("sin_pla/middle/middle1.spd")));

  Module53::compose_autoplay_style();
  EXPECT_TRUE(same_bytes(bytes("middle.spd"), piece));
  const std::string movie = bytes("temp.swf");
  EXPECT_EQ(movie.size(), kTpSize + kMiddleSize + kBottomSize);
  EXPECT_EQ(movie.substr(4, 4), le32(static_cast<std::uint32_t>(movie.size())));
}

TEST_F(Autoplay, IndStyleOrNoStyleLeavesEveryFileAsItWas) {
  core::ind_selected[4] = true;
  core::button_color = "AA0010";
  Module3::apply_color(2, "AA0010");
  const auto before = snapshot();
  preview_.calls.clear();
  EXPECT_EQ(Module53::compose_autoplay_style(), 0);
  EXPECT_EQ(snapshot(), before);
  EXPECT_EQ(Module54::compose_plain_style(), 0);
  EXPECT_EQ(snapshot(), before);
  EXPECT_TRUE(preview_.calls.empty());

  core::ind_selected.fill(false);
  Module53::compose_autoplay_style();
  Module54::compose_plain_style();
  EXPECT_EQ(snapshot(), before);
}

TEST_F(Autoplay, SamIsFoundBeforeSin) {
  core::sin_selected[1] = true;
  core::sam_selected[3] = true;
  Module53::compose_autoplay_style();
  EXPECT_TRUE(same_bytes(bytes("tp.spd"), pristine_with(autoplay_paths("sam", 4).tp, "FFFFFF", 23)));
}

TEST_F(Autoplay, PlainRouteComposesBackgroundThenButtonFromThePlainPieces) {
  core::sam_selected[5] = true;
  core::button_color = "FFAA9A";
  core::back_gnd_color = "2FCCA5";
  EXPECT_EQ(Module54::compose_plain_style(), 0);
  const auto p = plain_paths("sam", 6);
  std::string tp = pristine_with(p.tp, "2FCCA5", 23);
  tp.replace(1897, 3, rgb("FFAA9A"));
  EXPECT_TRUE(same_bytes(bytes(p.tp), tp));
  expect_working_set(tp, pristine_.at(p.middle), pristine_.at(p.bottom));
  EXPECT_EQ(preview_.calls, (Calls{"bg 2FCCA5", "load 0 blank.swf", "load 0 temp.swf", "load 0 blank.swf",
                                   "load 0 temp.swf", "play"}));
  EXPECT_EQ(core::button_color, "FFAA9A");
  EXPECT_EQ(core::back_gnd_color, "2FCCA5");
}

TEST_F(Autoplay, PlainRouteWithEmptyColoursWritesNoColour) {
  core::sin_selected[3] = true;
  core::button_color = "";
  core::back_gnd_color = "";
  Module54::compose_plain_style();
  const auto p = plain_paths("sin", 4);
  EXPECT_TRUE(same_bytes(bytes(p.tp), pristine_.at(p.tp)));
  expect_working_set(pristine_.at(p.tp), pristine_.at(p.middle), pristine_.at(p.bottom));
}

TEST_F(Autoplay, TickUntickTickAlternatesTheWorkingSetsAndKeepsTheTemplateColours) {
  core::sin_selected[4] = true;
  core::button_color = "FF0095";
  core::back_gnd_color = "CCFF90";
  const auto pla = autoplay_paths("sin", 5);
  const auto plain = plain_paths("sin", 5);
  const std::string pla_tp = pristine_with(pla.tp, "CCFF90", 28);
  const std::string pla_bottom = pristine_with(pla.bottom, "FF0095", 1333);
  std::string plain_tp = pristine_with(plain.tp, "CCFF90", 22);
  plain_tp.replace(1422, 3, rgb("FF0095"));

  const std::string pla_middle = sized(pristine_.at(pla.middle));
  Module53::compose_autoplay_style();
  expect_working_set(pla_tp, pristine_.at(pla.middle), pla_bottom, &pla_middle);

  Module54::compose_plain_style();
  expect_working_set(plain_tp, pristine_.at(plain.middle), pristine_.at(plain.bottom));

  Module53::compose_autoplay_style();
  // The second autoplay composition copies the middle piece that now carries its length.
  expect_working_set(pla_tp, pla_middle, pla_bottom);
  EXPECT_TRUE(same_bytes(bytes(pla.tp), pla_tp));
  EXPECT_TRUE(same_bytes(bytes(pla.bottom), pla_bottom));
  EXPECT_TRUE(same_bytes(bytes(plain.tp), plain_tp));
  for (const auto& f : {pla.tp, pla.middle, pla.bottom, plain.tp})
    EXPECT_EQ(bytes(f).size(), pristine_.at(f).size());
}

TEST_F(Autoplay, MissingAutoplayPieceSilentlyLeavesTheWorkingPiecesDeleted) {
  core::sam_selected[1] = true;
  Module3::apply_color(1, "663399");
  fs::remove(spd("sam_pla/2_sam_pla/bottom2.spd"));
  core::button_color = "663399";
  EXPECT_NO_THROW(Module53::compose_autoplay_style());
  expect_no_working_set();
  EXPECT_FALSE(exists("sam_pla/2_sam_pla/bottom2.spd"));
  // Every piece is read before anything is written: the other templates keep their bytes.
  EXPECT_TRUE(same_bytes(bytes("sam_pla/middle/middle2.spd"), pristine_.at("sam_pla/middle/middle2.spd")));
  EXPECT_TRUE(same_bytes(bytes("sam_pla/2_sam_pla/tp2.spd"), pristine_.at("sam_pla/2_sam_pla/tp2.spd")));
}

TEST_F(Autoplay, BuildPlaPreviewIgnoresFamiliesWithoutAutoplayPieces) {
  core::sam_selected[0] = true;
  Module3::apply_color(1, "663399");
  Module53::build_pla_preview("663399", 1, 0, 1);
  expect_no_working_set();
  Module53::build_pla_preview("663399", 7, 0, 0);
  expect_no_working_set();
  Module53::build_pla_preview("663399", 1, 0, 0);
  EXPECT_TRUE(same_bytes(bytes("bottom.spd"), pristine_with(autoplay_paths("sam", 1).bottom, "663399", 889)));
}

}  // namespace
}  // namespace composition_test
