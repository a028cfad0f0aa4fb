#include <gtest/gtest.h>

#include <functional>

#include "core/errors.h"
#include "core/hooks.h"
#include "core/shared_state.h"
#include "engine/autoplay.h"
#include "engine/files.h"
#include "engine/style_composer.h"
#include "style_tree_fixture.h"

namespace composition_test {
namespace {

using Calls = std::vector<std::string>;
using Compose = StyleTree;
namespace style = engine::style;

int error_number(const std::function<void()>& action) {
  try {
    action();
  } catch (const core::VbError& e) {
    return e.number();
  }
  return 0;
}

std::vector<std::string> sorted(std::vector<std::string> files) {
  std::sort(files.begin(), files.end());
  return files;
}

// The button swatch, then a background swatch with a lower-case digit: each writes in place at
// its position, and the working set and preview follow. One style of each family and every colour
// target of an ind shape; every style is played composed in Ruffle (ruffle_movie_test).
TEST_F(Compose, EachFamilyTakesButtonAndBackgroundAtItsPositions) {
  for (const Style& s :
       {Style{"sam", 1}, Style{"ind", 4, 1}, Style{"ind", 4, 2}, Style{"ind", 4, 3}, Style{"sin", 6}}) {
    SCOPED_TRACE(s.name());
    SetUp();
    s.select();
    const auto p = piece_paths(s.family, s.k);
    EXPECT_EQ(Module3::apply_color(s.mode(), "C23D65"), s.ind_number());
    EXPECT_EQ(preview_.calls, (Calls{"load 0 blank.swf", "load 0 temp.swf", "play"}));
    ASSERT_EQ(preview_.loaded.size(), 2u);
    EXPECT_TRUE(same_bytes(preview_.loaded[1], bytes("temp.swf")));
    preview_.calls.clear();
    EXPECT_EQ(Module3::apply_color(3, "66FFFb"), s.ind_number());
    EXPECT_EQ(preview_.calls, (Calls{"bg 66FFFb", "load 0 blank.swf", "load 0 temp.swf"}));
    std::string tp = pristine_with(p.tp, "C23D65", s.button_at());
    tp.replace(s.background_at() - 1, 3, rgb("66FFFB"));
    EXPECT_TRUE(same_bytes(bytes(p.tp), tp));
    expect_working_set(p, tp);
    EXPECT_EQ(changed_files(), sorted({"bottom.spd", "middle.spd", p.tp, "temp.swf", "tp.spd"}));
    EXPECT_EQ(core::button_color + core::back_gnd_color, "C23D6566FFFb");
    TearDown();
  }
}

TEST_F(Compose, RequestsWithoutAMatchingStyleChangeOnlyTheStoredColour) {
  core::sam_selected[0] = true;
  Module3::apply_color(1, "AA0010");
  preview_.calls.clear();
  const auto before = snapshot();
  for (const int mode : {5, 2, 4, 0}) EXPECT_EQ(Module3::apply_color(mode, "FB6B6C"), 0) << mode;
  EXPECT_TRUE(snapshot() == before);
  EXPECT_EQ(core::button_color, "AA0010");
  Module4::apply_button_color("776625", 7, 0, 2);  // no style 7: the working pieces go, nothing else changes
  Module5::apply_back_gnd_color("776625", 2, 4, 1);  // ind colour target 4 does not exist
  EXPECT_EQ(core::back_gnd_color, "776625");
  Module4::apply_button_color("776625", 1, 0, 3);  // no family 3
  EXPECT_EQ(core::button_color, "776625");
  EXPECT_EQ(changed_files(), (std::vector<std::string>{"sam/1/tp1.spd"}));
  EXPECT_TRUE(preview_.calls.empty());

  // The background goes to the selected ind style first, then sam, then sin; to none without one.
  core::sam_selected[0] = false;
  core::back_gnd_color = "FFFFFF";
  EXPECT_EQ(Module3::apply_color(3, "FB6B6C"), 0);
  EXPECT_EQ(core::back_gnd_color, "FFFFFF");
  core::sam_selected[1] = core::sin_selected[4] = true;
  core::ind_selected[12] = true;  // shape 5, target 1
  EXPECT_EQ(Module3::apply_color(3, "95ADCA"), 13);
  core::ind_selected[12] = false;
  EXPECT_EQ(Module3::apply_color(3, "95ADCA"), 0);
  EXPECT_TRUE(same_bytes(bytes("ind/5_mod/tp5.spd"), pristine_with("ind/5_mod/tp5.spd", "95ADCA", 23)));
  EXPECT_TRUE(same_bytes(bytes("sam/2/tp2.spd"), pristine_with("sam/2/tp2.spd", "95ADCA", 23)));
  EXPECT_EQ(changed_files(), sorted({"bottom.spd", "ind/5_mod/tp5.spd", "middle.spd", "sam/1/tp1.spd",
                                     "sam/2/tp2.spd", "temp.swf", "tp.spd"}));
}

TEST_F(Compose, PreviewStyleShowsThePiecesAsTheyStand) {
  core::sam_selected[2] = true;
  Module3::apply_color(1, "DAB695");
  Module3::apply_color(3, "141312");
  preview_.calls.clear();
  const std::string working_middle = bytes("middle.spd");
  Module5::kill_file(spd("tp.spd"));

  Module7::preview_style("3");
  const auto sam = piece_paths("sam", 3);
  EXPECT_TRUE(same_bytes(bytes("temp.swf"), movie_of(bytes(sam.tp), bytes(sam.middle), bytes(sam.bottom))));
  EXPECT_TRUE(same_bytes(bytes(sam.tp).substr(1300, 3), rgb("DAB695")));
  EXPECT_FALSE(exists("tp.spd"));  // no working piece is copied
  EXPECT_TRUE(same_bytes(bytes("middle.spd"), working_middle));
  EXPECT_EQ(preview_.calls, (Calls{"bg 141312", "load 0 blank.swf", "load 0 temp.swf"}));

  preview_.calls.clear();
  const auto before = snapshot();
  for (const char* id : {"7", "0", "", "3_sin", "7_mod", "1_MOD", " 1"}) Module7::preview_style(id);
  EXPECT_TRUE(snapshot() == before);
  EXPECT_TRUE(preview_.calls.empty());
}

// Text that is no colour, or a whole piece too short for its colour: an error, no template
// lengthened, no working set left behind.
TEST_F(Compose, BadColoursAndColoursPastThePieceStopTheComposition) {
  core::sam_selected[0] = true;
  for (const char* text : {"12345", "1234567", "GG0000", "#12345"})
    EXPECT_THROW(Module3::apply_color(1, text), core::VbError) << text;
  EXPECT_TRUE(same_bytes(bytes("sam/1/tp1.spd"), pristine_.at("sam/1/tp1.spd")));

  put("sam/1/tp1.spd", tp_piece(966, 77));  // whole, but the button's three bytes would end at 967
  EXPECT_EQ(error_number([] { Module3::apply_color(1, "115577"); }), 63);
  expect_no_working_set();
  Module3::apply_color(3, "115577");  // the background fits and is written
  const std::string short_tp = tp_piece(966, 77).replace(21, 3, rgb("115577"));
  EXPECT_TRUE(same_bytes(bytes("sam/1/tp1.spd"), short_tp));
  EXPECT_TRUE(same_bytes(bytes("tp.spd"), short_tp));
}

// A piece missing, cut short (its colour bytes still in it) or with a record running past it: every
// composer that joins it reports it, writes no template and leaves no working set.
TEST_F(Compose, MissingAndDamagedPiecesAreReportedByEveryComposer) {
  const std::function<void()> button = [] { Module3::apply_color(1, "2112BF"); },
                              autoplay = [] { Module53::compose_autoplay_style(); };
  const struct {
    const char* piece;
    std::string bytes;  // none: the piece is missing (error 53), else damaged (321)
    std::function<void()> compose;
  } rows[] = {
      {"sam/3/bottom3.spd", "", button},
      {"sam_pla/middle/middle3.spd", "", autoplay},
      {"sam/3/tp3.spd", tp_piece(kTpSize, 3).substr(0, 1400), button},
      {"sam/3/tp3.spd", tp_piece(kTpSize, 3).substr(0, 1400), [] { Module7::preview_style("3"); }},
      {"sam/middle/middle3.spd", middle_piece(kMiddleSize, 5, std::string("\xE3\x03\0\0", 4)), button},
      {"sam_pla/3_sam_pla/bottom3.spd", bottom_piece(kBottomSize, 3).substr(0, 1300), autoplay},
      {"sam_pla/3_sam_pla/tp3.spd", std::string("FWS\x0A\0\0\0\0\xFF", 9), autoplay},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.piece);
    SetUp();
    core::sam_selected[2] = true;
    core::button_color = "2112BF";
    row.bytes.empty() ? void(fs::remove(spd(row.piece))) : put(row.piece, row.bytes);
    const auto before = snapshot();
    EXPECT_EQ(error_number(row.compose), row.bytes.empty() ? 53 : 321);
    expect_no_working_set();
    EXPECT_TRUE(snapshot() == before);
    TearDown();
  }
}

// A click handled while a composition yields waits for it: the working pieces and every loaded
// movie come from one composition each, and the later click still takes effect.
TEST_F(Compose, ClickDuringACompositionWaitsForIt) {
  core::sam_selected[0] = true;
  int yields = 0;
  core::set_yield_hook([&] {
    if (++yields == 3) {  // the user picks sin style 2 and clicks a swatch meanwhile
      core::sam_selected = {};
      core::sin_selected[1] = true;
      EXPECT_EQ(Module3::apply_color(5, "00FF19"), 0);
    }
  });
  Module3::apply_color(1, "800012");
  ASSERT_GE(yields, 3);
  const auto sam = piece_paths("sam", 1), sin = piece_paths("sin", 2);
  const std::string sam_tp = pristine_with(sam.tp, "800012", 965),
                    sin_tp = pristine_with(sin.tp, "00FF19", 780);
  EXPECT_TRUE(same_bytes(bytes(sam.tp), sam_tp));
  expect_working_set(sin, sin_tp);
  ASSERT_EQ(preview_.loaded.size(), 4u);
  EXPECT_TRUE(
      same_bytes(preview_.loaded[1], movie_of(sam_tp, pristine_.at(sam.middle), pristine_.at(sam.bottom))));
  EXPECT_TRUE(same_bytes(preview_.loaded[3], bytes("temp.swf")));
}

TEST_F(Compose, AFailedCompositionDropsTheClicksQueuedBehindIt) {
  fs::remove(spd("sam/middle/middle1.spd"));
  core::sam_selected[0] = true;
  bool clicked = false;
  core::set_yield_hook([&] {
    if (!std::exchange(clicked, true)) Module3::apply_color(3, "C23D65");
  });
  EXPECT_THROW(Module3::apply_color(1, "800012"), core::VbError);
  core::set_yield_hook({});
  EXPECT_EQ(core::back_gnd_color, "FFFFFF");
  expect_no_working_set();

  core::sam_selected = {false, true};  // the queue is free again
  Module3::apply_color(1, "800012");
  EXPECT_TRUE(same_bytes(bytes("tp.spd"), pristine_with("sam/2/tp2.spd", "800012", 966)));
}

// The middle piece with its DefineSprite length (piece length less 6 = 994) at bytes 3-6.
std::string sized(std::string middle) { return middle.replace(2, 4, std::string("\xE2\x03\x00\x00", 4)); }

TEST_F(Compose, AutoplayColoursLandAtTheAutoplayPositionsOfBothFamilies) {
  for (const auto& [f, n] : {std::pair<std::int16_t, std::int16_t>{style::kSam, 1}, {style::kSin, 4}}) {
    SCOPED_TRACE(std::to_string(f) + "/" + std::to_string(n));
    SetUp();
    (f == style::kSam ? core::sam_selected : core::sin_selected)[n - 1] = true;
    core::button_color = "CBE31C";
    core::back_gnd_color = "4666A0";
    EXPECT_EQ(Module53::compose_autoplay_style(), 0);
    const auto p = piece_paths(f == style::kSam ? "sam" : "sin", n, true);
    const std::string tp = pristine_with(p.tp, "4666A0", style::autoplay_back_gnd_position(f, n));
    const std::string bottom = pristine_with(p.bottom, "CBE31C", style::autoplay_button_position(f, n));
    const std::string middle = pristine_.at(p.middle), preview_middle = sized(middle);
    EXPECT_TRUE(same_bytes(bytes(p.tp), tp));
    EXPECT_TRUE(same_bytes(bytes(p.bottom), bottom));
    EXPECT_TRUE(same_bytes(bytes(p.middle), preview_middle));
    // The working middle piece is the template as it was read; the preview has the length.
    expect_working_set(tp, middle, bottom, &preview_middle);
    EXPECT_EQ(changed_files(),
              sorted({"bottom.spd", p.bottom, p.middle, p.tp, "middle.spd", "temp.swf", "tp.spd"}));
    EXPECT_TRUE(preview_.calls.empty());  // the autoplay route updates no preview
    TearDown();
  }
}

TEST_F(Compose, EmptyColoursWriteNoColourExceptTheAutoplayWhite) {
  core::sin_selected[5] = true;
  Module3::apply_color(5, "");
  core::back_gnd_color = "";
  Module54::compose_plain_style();
  const auto sin = piece_paths("sin", 6);
  expect_working_set(sin, pristine_.at(sin.tp));
  EXPECT_EQ(changed_files(), sorted({"bottom.spd", "middle.spd", "temp.swf", "tp.spd"}));

  core::sin_selected = {};
  core::sam_selected[4] = true;
  Module53::compose_autoplay_style();
  const auto pla = piece_paths("sam", 5, true);
  EXPECT_TRUE(same_bytes(bytes("bottom.spd"), pristine_.at(pla.bottom)));
  EXPECT_TRUE(same_bytes(bytes("tp.spd"), pristine_with(pla.tp, "FFFFFF", 23)));
  EXPECT_EQ(core::back_gnd_color, "");
}

TEST_F(Compose, AutoplayIgnoresIndAndNoStyleAndFindsSamBeforeSin) {
  core::ind_selected[4] = true;
  const auto before = snapshot();
  EXPECT_EQ(Module53::compose_autoplay_style(), 0);
  core::ind_selected = {};
  Module53::compose_autoplay_style();
  EXPECT_TRUE(snapshot() == before);
  for (const int family : {1, 3}) {  // no autoplay pieces: the working set goes, nothing is built
    Module53::build_pla_preview("663399", 1, 0, family);
    expect_no_working_set();
  }

  core::sin_selected[1] = core::sam_selected[3] = true;
  Module53::compose_autoplay_style();
  EXPECT_TRUE(same_bytes(bytes("tp.spd"), pristine_with(piece_paths("sam", 4, true).tp, "FFFFFF", 23)));
}

TEST_F(Compose, TickUntickTickAlternatesTheWorkingSetsAndKeepsTheTemplateColours) {
  core::sin_selected[4] = true;
  core::button_color = "FF0095";
  core::back_gnd_color = "CCFF90";
  const auto pla = piece_paths("sin", 5, true), plain = piece_paths("sin", 5);
  const std::string pla_tp = pristine_with(pla.tp, "CCFF90", 28);
  const std::string pla_bottom = pristine_with(pla.bottom, "FF0095", 1333);
  std::string plain_tp = pristine_with(plain.tp, "CCFF90", 22);
  plain_tp.replace(1422, 3, rgb("FF0095"));
  const std::string pla_middle = sized(pristine_.at(pla.middle));

  Module53::compose_autoplay_style();
  EXPECT_EQ(Module54::compose_plain_style(), 0);  // background, then button, from the plain pieces
  expect_working_set(plain, plain_tp);
  Module53::compose_autoplay_style();
  expect_working_set(pla_tp, pla_middle, pla_bottom);  // now copies the middle piece carrying its length
  EXPECT_TRUE(same_bytes(bytes(plain.tp), plain_tp));
  EXPECT_EQ(core::button_color + core::back_gnd_color, "FF0095CCFF90");
}

}  // namespace
}  // namespace composition_test
