#include "engine/style_composer.h"

#include <gtest/gtest.h>

#include "core/errors.h"
#include "core/hooks.h"
#include "core/shared_state.h"
#include "engine/files.h"
#include "style_tree_fixture.h"

namespace composition_test {
namespace {

using Calls = std::vector<std::string>;
const Calls kPlayedPreview{"load 0 blank.swf", "load 0 temp.swf", "play"};

// Button colour positions in the tp pieces: sam, ind targets 1-3, sin; one row per style.
constexpr int kButtonPositions[6][5] = {
    {965, 965, 1718, 1481, 778}, {966, 966, 1485, 1332, 780},    {1301, 1301, 2425, 2831, 1107},
    {966, 971, 1604, 1789, 850}, {1633, 3045, 1634, 5549, 1423}, {1898, 2704, 1899, 3901, 1590},
};

using StyleComposer = StyleTree;

TEST_F(StyleComposer, SamButtonColourLandsAtItsPositionOfEveryStyle) {
  for (int k = 1; k <= 6; ++k) {
    SetUp();
    core::sam_selected[k - 1] = true;
    EXPECT_EQ(Module3::apply_color(1, "C23D65"), 0);

    const auto p = plain_paths("sam", k);
    const std::string tp = pristine_with(p.tp, "C23D65", kButtonPositions[k - 1][0]);
    EXPECT_TRUE(same_bytes(bytes(p.tp), tp)) << "sam " << k;
    std::vector<std::string> expected{"bottom.spd", "middle.spd", p.tp, "temp.swf", "tp.spd"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(changed_files(), expected);
    expect_working_set(tp, pristine_.at(p.middle), pristine_.at(p.bottom));
    EXPECT_EQ(core::button_color, "C23D65");
    EXPECT_EQ(preview_.calls, kPlayedPreview);
    ASSERT_EQ(preview_.loaded.size(), 2u);
    EXPECT_TRUE(same_bytes(preview_.loaded[1], bytes("temp.swf")));
    TearDown();
  }
}

TEST_F(StyleComposer, IndButtonColourLandsAtThePositionOfItsColourTarget) {
  for (int s = 1; s <= 18; ++s) {
    SetUp();
    const int shape = (s - 1) / 3 + 1;
    const int target = (s - 1) % 3 + 1;
    core::ind_selected[s - 1] = true;
    EXPECT_EQ(Module3::apply_color(2, "1099A4"), s);

    const auto p = plain_paths("ind", shape);
    const std::string tp = pristine_with(p.tp, "1099A4", kButtonPositions[shape - 1][target]);
    EXPECT_TRUE(same_bytes(bytes(p.tp), tp)) << "ind " << s;
    expect_working_set(tp, pristine_.at(p.middle), pristine_.at(p.bottom));
    EXPECT_EQ(changed_files().size(), 5u);
    TearDown();
  }
}

TEST_F(StyleComposer, SinButtonColourLandsAtItsPositionOfEveryStyle) {
  for (int k = 1; k <= 6; ++k) {
    SetUp();
    core::sin_selected[k - 1] = true;
    EXPECT_EQ(Module3::apply_color(5, "F4AF6A"), 0);

    const auto p = plain_paths("sin", k);
    const std::string tp = pristine_with(p.tp, "F4AF6A", kButtonPositions[k - 1][4]);
    EXPECT_TRUE(same_bytes(bytes(p.tp), tp)) << "sin " << k;
    expect_working_set(tp, pristine_.at(p.middle), pristine_.at(p.bottom));
    EXPECT_EQ(changed_files().size(), 5u);
    EXPECT_EQ(preview_.calls, kPlayedPreview);
    TearDown();
  }
}

TEST_F(StyleComposer, BackgroundLandsAfterTheHeaderOfEveryStyle) {
  struct Case {
    const char* family;
    int selected_flag;  // index into the family's flags
    int k;
    int position;
    std::int16_t result;
  };
  const std::vector<Case> cases{
      {"sam", 0, 1, 22, 0}, {"sam", 1, 2, 23, 0}, {"sam", 5, 6, 23, 0},   {"ind", 0, 1, 22, 1},
      {"ind", 2, 1, 22, 3}, {"ind", 3, 2, 23, 4}, {"ind", 17, 6, 23, 18}, {"sin", 0, 1, 22, 0},
      {"sin", 2, 3, 22, 0}, {"sin", 5, 6, 22, 0},
  };
  for (const auto& c : cases) {
    SetUp();
    const std::string family = c.family;
    if (family == "sam") core::sam_selected[c.selected_flag] = true;
    if (family == "ind") core::ind_selected[c.selected_flag] = true;
    if (family == "sin") core::sin_selected[c.selected_flag] = true;
    EXPECT_EQ(Module3::apply_color(3, "8DD1AF"), c.result);

    const auto p = plain_paths(family, c.k);
    const std::string tp = pristine_with(p.tp, "8DD1AF", c.position);
    EXPECT_TRUE(same_bytes(bytes(p.tp), tp)) << family << ' ' << c.k;
    expect_working_set(tp, pristine_.at(p.middle), pristine_.at(p.bottom));
    EXPECT_EQ(core::back_gnd_color, "8DD1AF");
    EXPECT_EQ(preview_.calls, (Calls{"bg 8DD1AF", "load 0 blank.swf", "load 0 temp.swf"}));
    TearDown();
  }
}

TEST_F(StyleComposer, BackgroundSwatchForSamStyle4WritesByte23) {
  core::sam_selected[3] = true;
  Module3::apply_color(3, "1322D1");
  const std::string tp = bytes("sam/4/tp4.spd");
  EXPECT_EQ(tp.substr(22, 3), rgb("1322D1"));
  EXPECT_EQ(tp, pristine_with("sam/4/tp4.spd", "1322D1", 23));
  EXPECT_TRUE(same_bytes(bytes("tp.spd"), tp));
  EXPECT_TRUE(same_bytes(bytes("temp.swf").substr(22, 3), rgb("1322D1")));
  EXPECT_EQ(core::back_gnd_color, "1322D1");
  EXPECT_EQ(preview_.calls.front(), "bg 1322D1");
}

TEST_F(StyleComposer, SecondBackgroundOverwritesTheSameBytesAndKeepsTheLength) {
  core::sam_selected[1] = true;
  Module3::apply_color(3, "FF0060");
  Module3::apply_color(3, "000719");
  EXPECT_TRUE(same_bytes(bytes("sam/2/tp2.spd"), pristine_with("sam/2/tp2.spd", "000719", 23)));
  EXPECT_EQ(bytes("sam/2/tp2.spd").size(), kTpSize);
  EXPECT_EQ(bytes("temp.swf").size(), kTpSize + kMiddleSize + kBottomSize);
}

TEST_F(StyleComposer, ButtonAndBackgroundBothStayInTheTpPiece) {
  core::sam_selected[0] = true;
  Module3::apply_color(1, "6A956C");
  Module3::apply_color(3, "FFCCA5");
  std::string expected = pristine_with("sam/1/tp1.spd", "FFCCA5", 22);
  expected.replace(964, 3, rgb("6A956C"));
  EXPECT_TRUE(same_bytes(bytes("sam/1/tp1.spd"), expected));
  expect_working_set(expected, pristine_.at("sam/middle/middle1.spd"), pristine_.at("sam/1/bottom1.spd"));
}

TEST_F(StyleComposer, LowerCaseDigitIsWrittenAsItsByteAndHandedOnUnchanged) {
  core::sin_selected[0] = true;
  Module3::apply_color(3, "66FFFb");
  EXPECT_TRUE(same_bytes(bytes("sin/1_sin/tp1.spd").substr(21, 3), std::string("\x66\xFF\xFB", 3)));
  EXPECT_EQ(core::back_gnd_color, "66FFFb");
  EXPECT_EQ(preview_.calls.front(), "bg 66FFFb");
}

TEST_F(StyleComposer, PreviewMovieLengthFieldEqualsItsSize) {
  core::sam_selected[4] = true;
  for (const char* color : {"FF00FF", "00FFFF", "0000FF"}) {
    Module3::apply_color(1, color);
    const std::string movie = bytes("temp.swf");
    EXPECT_EQ(movie.substr(4, 4), le32(static_cast<std::uint32_t>(movie.size())));
    Module3::apply_color(3, color);
    EXPECT_TRUE(same_bytes(bytes("temp.swf").substr(4, 4), le32(static_cast<std::uint32_t>(movie.size()))));
  }
}

TEST_F(StyleComposer, IndShape3Target2UsesItsOwnPieceAndPositions) {
  core::ind_selected[7] = true;  // style 8: shape 3, colour target 2
  EXPECT_EQ(Module3::apply_color(2, "F9D866"), 8);
  EXPECT_TRUE(same_bytes(bytes("ind/3_mod/tp3.spd"), pristine_with("ind/3_mod/tp3.spd", "F9D866", 2425)));
  EXPECT_EQ(Module3::apply_color(3, "425719"), 8);
  std::string expected = pristine_with("ind/3_mod/tp3.spd", "F9D866", 2425);
  expected.replace(22, 3, rgb("425719"));
  EXPECT_TRUE(same_bytes(bytes("ind/3_mod/tp3.spd"), expected));
}

TEST_F(StyleComposer, StyleOutsideTheTableDeletesTheWorkingPiecesAndWritesNothingElse) {
  core::sam_selected[0] = true;
  Module3::apply_color(1, "AA0010");
  preview_.calls.clear();
  const auto before = snapshot();

  Module4::apply_button_color("776625", 7, 0, 2);
  expect_no_working_set();
  EXPECT_EQ(core::button_color, "776625");
  auto after = snapshot();
  for (const char* f : {"tp.spd", "middle.spd", "bottom.spd", "temp.swf"}) EXPECT_EQ(after.count(f), 0u);
  for (const auto& [path, content] : after) EXPECT_EQ(before.at(path), content) << path;
  EXPECT_TRUE(preview_.calls.empty());

  Module5::apply_back_gnd_color("776625", 2, 4, 1);  // ind colour target 4 does not exist
  EXPECT_EQ(core::back_gnd_color, "776625");
  Module4::apply_button_color("776625", 1, 0, 3);  // no family 3
  EXPECT_EQ(changed_files(), (std::vector<std::string>{"sam/1/tp1.spd"}));
  EXPECT_TRUE(preview_.calls.empty());
}

TEST_F(StyleComposer, SwatchWithNoMatchingStyleChangesNothing) {
  core::sam_selected[2] = true;
  Module3::apply_color(1, "B9CF8F");
  preview_.calls.clear();
  const auto before = snapshot();
  EXPECT_EQ(Module3::apply_color(5, "FB6B6C"), 0);  // sin mode, no sin style
  EXPECT_EQ(Module3::apply_color(2, "FB6B6C"), 0);  // ind mode, no ind style
  EXPECT_EQ(Module3::apply_color(4, "FB6B6C"), 0);  // no such mode
  EXPECT_EQ(Module3::apply_color(0, "FB6B6C"), 0);
  EXPECT_EQ(snapshot(), before);
  EXPECT_EQ(core::button_color, "B9CF8F");
  EXPECT_TRUE(preview_.calls.empty());

  core::sam_selected.fill(false);
  EXPECT_EQ(Module3::apply_color(3, "FB6B6C"), 0);  // background with nothing selected
  EXPECT_EQ(snapshot(), before);
  EXPECT_EQ(core::back_gnd_color, "FFFFFF");
}

TEST_F(StyleComposer, BackgroundPrefersIndThenSamThenSin) {
  core::sin_selected[4] = true;
  core::sam_selected[1] = true;
  core::ind_selected[12] = true;  // shape 5, target 1
  EXPECT_EQ(Module3::apply_color(3, "95ADCA"), 13);
  EXPECT_EQ(changed_files(), (std::vector<std::string>{"bottom.spd", "ind/5_mod/tp5.spd", "middle.spd",
                                                       "temp.swf", "tp.spd"}));

  SetUp();
  core::sin_selected[4] = true;
  core::sam_selected[1] = true;
  EXPECT_EQ(Module3::apply_color(3, "95ADCA"), 0);
  EXPECT_TRUE(same_bytes(bytes("sam/2/tp2.spd"), pristine_with("sam/2/tp2.spd", "95ADCA", 23)));
  EXPECT_TRUE(same_bytes(bytes("sin/5_sin/tp5.spd"), pristine_.at("sin/5_sin/tp5.spd")));
}

TEST_F(StyleComposer, SelectedStyleQueriesGiveTheFirstFlagOrTheFamilysNoneCode) {
  EXPECT_EQ(Module3::selected_ind_style(), 99);
  EXPECT_EQ(Module3::selected_sam_style(), 90);
  EXPECT_EQ(Module3::selected_sin_style(), 0);
  core::ind_selected[17] = true;
  core::ind_selected[4] = true;
  core::sam_selected[5] = true;
  core::sin_selected[0] = true;
  core::sin_selected[3] = true;
  EXPECT_EQ(Module3::selected_ind_style(), 5);
  EXPECT_EQ(Module3::selected_sam_style(), 26);
  EXPECT_EQ(Module3::selected_sin_style(), 27);
}

TEST_F(StyleComposer, PreviewStyleShowsThePiecesAsTheyStand) {
  core::sam_selected[2] = true;
  Module3::apply_color(1, "DAB695");
  Module3::apply_color(3, "141312");
  preview_.calls.clear();
  const auto working = std::vector<std::string>{bytes("tp.spd"), bytes("middle.spd"), bytes("bottom.spd")};
  Module5::kill_file(spd("tp.spd"));

  Module7::preview_style("3");
  EXPECT_TRUE(
      same_bytes(bytes("temp.swf"), movie_of(bytes("sam/3/tp3.spd"), pristine_.at("sam/middle/middle3.spd"),
                                             pristine_.at("sam/3/bottom3.spd"))));
  EXPECT_TRUE(same_bytes(bytes("sam/3/tp3.spd").substr(1300, 3), rgb("DAB695")));
  EXPECT_FALSE(exists("tp.spd"));  // no working piece is copied
  EXPECT_TRUE(same_bytes(bytes("middle.spd"), working[1]));
  EXPECT_EQ(preview_.calls, (Calls{"bg 141312", "load 0 blank.swf", "load 0 temp.swf"}));

  Module7::preview_style("4_mod");
  EXPECT_TRUE(same_bytes(bytes("temp.swf"), movie_of(pristine_.at("ind/4_mod/tp4.spd"),
                                                     pristine_.at("ind/middle_mod/middle4.spd"),
                                                     pristine_.at("ind/4_mod/bottom4.spd"))));

  preview_.calls.clear();
  const auto before = snapshot();
  for (const char* id : {"7", "0", "", "3_sin", "7_mod", "1_MOD", " 1"}) Module7::preview_style(id);
  EXPECT_EQ(snapshot(), before);
  EXPECT_TRUE(preview_.calls.empty());
}

TEST_F(StyleComposer, MissingPieceStopsTheCompositionWithoutTouchingTheTemplate) {
  core::sam_selected[1] = true;
  Module3::apply_color(1, "C95336");
  fs::remove(spd("sam/2/bottom2.spd"));
  const auto before = snapshot();
  try {
    Module3::apply_color(1, "2112BF");
    ADD_FAILURE() << "no error for a missing piece";
  } catch (const core::VbError& e) {
    EXPECT_EQ(e.number(), 53);
  }
  EXPECT_TRUE(same_bytes(bytes("sam/2/tp2.spd"), before.at("sam/2/tp2.spd")));
  expect_no_working_set();

  // A missing tp piece is an error too, and is never created by the colour write.
  fs::remove(spd("sin/4_sin/tp4.spd"));
  core::sin_selected[3] = true;
  EXPECT_THROW(Module3::apply_color(5, "2112BF"), core::VbError);
  EXPECT_FALSE(exists("sin/4_sin/tp4.spd"));
  expect_no_working_set();
}

TEST_F(StyleComposer, ColourBeyondTheEndOfAShortPieceNeverLengthensIt) {
  put("sam/1/tp1.spd", pattern(966, 77));  // the button's three bytes would end at 967
  core::sam_selected[0] = true;
  try {
    Module3::apply_color(1, "115577");
    ADD_FAILURE() << "no error for a short piece";
  } catch (const core::VbError& e) {
    EXPECT_EQ(e.number(), 63);
  }
  EXPECT_TRUE(same_bytes(bytes("sam/1/tp1.spd"), pattern(966, 77)));
  expect_no_working_set();

  // The background fits and is written.
  Module3::apply_color(3, "115577");
  EXPECT_EQ(bytes("sam/1/tp1.spd").size(), 966u);
  EXPECT_TRUE(same_bytes(bytes("tp.spd").substr(21, 3), rgb("115577")));
}

TEST_F(StyleComposer, TextThatIsNoColourIsRefused) {
  core::sam_selected[0] = true;
  for (const char* text : {"12345", "1234567", "GG0000", "#12345"}) {
    EXPECT_THROW(Module3::apply_color(1, text), core::VbError) << text;
  }
  EXPECT_TRUE(same_bytes(bytes("sam/1/tp1.spd"), pristine_.at("sam/1/tp1.spd")));
}

TEST_F(StyleComposer, EmptyColourWritesNothingButStillComposes) {
  core::sin_selected[5] = true;
  Module3::apply_color(5, "");
  const auto p = plain_paths("sin", 6);
  expect_working_set(pristine_.at(p.tp), pristine_.at(p.middle), pristine_.at(p.bottom));
  EXPECT_EQ(core::button_color, "");
}

// A click handled while a composition yields to the message loop waits for the running
// composition: the working pieces and every movie the preview loaded come from one
// composition each, and the later click still takes effect.
TEST_F(StyleComposer, ClickDuringACompositionWaitsForIt) {
  core::sam_selected[0] = true;
  int yields = 0;
  bool clicked = false;
  core::set_yield_hook([&] {
    if (++yields == 3 && !clicked) {
      clicked = true;
      // The user picks sin style 2 and clicks a swatch while sam style 1 is being composed.
      core::sam_selected.fill(false);
      core::sin_selected[1] = true;
      EXPECT_EQ(Module3::apply_color(5, "00FF19"), 0);
    }
  });
  Module3::apply_color(1, "800012");
  ASSERT_TRUE(clicked);

  const auto sam = plain_paths("sam", 1);
  const auto sin = plain_paths("sin", 2);
  const std::string sam_tp = pristine_with(sam.tp, "800012", 965);
  const std::string sin_tp = pristine_with(sin.tp, "00FF19", 780);
  EXPECT_TRUE(same_bytes(bytes(sam.tp), sam_tp));
  EXPECT_TRUE(same_bytes(bytes(sin.tp), sin_tp));
  expect_working_set(sin_tp, pristine_.at(sin.middle), pristine_.at(sin.bottom));
  EXPECT_EQ(preview_.calls, (Calls{"load 0 blank.swf", "load 0 temp.swf", "play", "load 0 blank.swf",
                                   "load 0 temp.swf", "play"}));
  ASSERT_EQ(preview_.loaded.size(), 4u);
  EXPECT_TRUE(
      same_bytes(preview_.loaded[1], movie_of(sam_tp, pristine_.at(sam.middle), pristine_.at(sam.bottom))));
  EXPECT_TRUE(
      same_bytes(preview_.loaded[3], movie_of(sin_tp, pristine_.at(sin.middle), pristine_.at(sin.bottom))));
}

TEST_F(StyleComposer, AFailedCompositionDropsTheClicksQueuedBehindIt) {
  fs::remove(spd("sam/middle/middle1.spd"));
  core::sam_selected[0] = true;
  bool clicked = false;
  core::set_yield_hook([&] {
    if (!clicked) {
      clicked = true;
      Module3::apply_color(3, "C23D65");
    }
  });
  EXPECT_THROW(Module3::apply_color(1, "800012"), core::VbError);
  core::set_yield_hook({});
  EXPECT_EQ(core::back_gnd_color, "FFFFFF");
  expect_no_working_set();

  // The queue is free again.
  core::sam_selected[0] = false;
  core::sam_selected[1] = true;
  Module3::apply_color(1, "800012");
  EXPECT_TRUE(same_bytes(bytes("tp.spd"), pristine_with("sam/2/tp2.spd", "800012", 966)));
}

}  // namespace
}  // namespace composition_test
