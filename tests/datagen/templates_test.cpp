// The installed style templates: every tp/middle/bottom set joins into a well-formed movie
// whose colours stand at the bytes that the style composer patches.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <map>

#include "support/test_support.h"
#include "swf_walker.h"

namespace {

using namespace datagen_test;
namespace fs = std::filesystem;

struct StyleSet {
  std::string family;  // sam, ind, sin, sam_pla, sin_pla
  int style;
  fs::path tp, middle, bottom;
  std::size_t background;                      // 1-based, in tp
  std::map<Role, std::size_t> button_colours;  // 1-based, in tp (plain) or bottom (autoplay)
  bool autoplay;
};

std::vector<StyleSet> all_sets() {
  const fs::path spd = testsupport::build_dir() / "spd";
  constexpr std::array<std::size_t, 6> sam = {965, 966, 1301, 966, 1633, 1898};
  constexpr std::array<std::array<std::size_t, 3>, 6> ind = {{{965, 1718, 1481},
                                                              {966, 1485, 1332},
                                                              {1301, 2425, 2831},
                                                              {971, 1604, 1789},
                                                              {3045, 1634, 5549},
                                                              {2704, 1899, 3901}}};
  constexpr std::array<std::size_t, 6> sin = {778, 780, 1107, 850, 1423, 1590};
  constexpr std::array<std::array<std::size_t, 4>, 6> pla = {{{889, 22, 677, 22},
                                                              {889, 23, 677, 22},
                                                              {1224, 23, 1017, 28},
                                                              {890, 23, 755, 22},
                                                              {1556, 23, 1333, 28},
                                                              {1821, 23, 1500, 28}}};
  std::vector<StyleSet> sets;
  for (int k = 1; k <= 6; ++k) {
    const std::string n = std::to_string(k);
    const std::size_t wide_bg = k == 1 ? 22 : 23;
    const std::size_t s = sam[k - 1];
    sets.push_back({"sam",
                    k,
                    spd / "sam" / n / ("tp" + n + ".spd"),
                    spd / "sam/middle" / ("middle" + n + ".spd"),
                    spd / "sam" / n / ("bottom" + n + ".spd"),
                    wide_bg,
                    {{Role::kPlay, s}, {Role::kPause, s}, {Role::kStop, s}},
                    false});
    const auto& t = ind[k - 1];
    sets.push_back({"ind",
                    k,
                    spd / "ind" / (n + "_mod") / ("tp" + n + ".spd"),
                    spd / "ind/middle_mod" / ("middle" + n + ".spd"),
                    spd / "ind" / (n + "_mod") / ("bottom" + n + ".spd"),
                    wide_bg,
                    {{Role::kPlay, t[0]}, {Role::kPause, t[1]}, {Role::kStop, t[2]}},
                    false});
    sets.push_back({"sin",
                    k,
                    spd / "sin" / (n + "_sin") / ("tp" + n + ".spd"),
                    spd / "sin/middle" / ("middle" + n + ".spd"),
                    spd / "sin" / (n + "_sin") / ("bottom" + n + ".spd"),
                    22,
                    {{Role::kToggle, sin[k - 1]}},
                    false});
    const auto& p = pla[k - 1];
    sets.push_back({"sam_pla",
                    k,
                    spd / "sam_pla" / (n + "_sam_pla") / ("tp" + n + ".spd"),
                    spd / "sam_pla/middle" / ("middle" + n + ".spd"),
                    spd / "sam_pla" / (n + "_sam_pla") / ("bottom" + n + ".spd"),
                    p[1],
                    {{Role::kPlay, p[0]}, {Role::kPause, p[0]}, {Role::kStop, p[0]}},
                    true});
    sets.push_back({"sin_pla",
                    k,
                    spd / "sin_pla" / (n + "_sin_pla") / ("tp" + n + ".spd"),
                    spd / "sin_pla/middle" / ("middle" + n + ".spd"),
                    spd / "sin_pla" / (n + "_sin_pla") / ("bottom" + n + ".spd"),
                    p[3],
                    {{Role::kToggle, p[2]}},
                    true});
  }
  return sets;
}

std::string name_of(const StyleSet& s) { return s.family + " " + std::to_string(s.style); }

struct Joined {
  std::string tp, middle, bottom, all;
  Movie movie;
};

Joined join(const StyleSet& s) {
  Joined j;
  j.tp = testsupport::read_bytes(s.tp.string());
  j.middle = testsupport::read_bytes(s.middle.string());
  j.bottom = testsupport::read_bytes(s.bottom.string());
  j.all = j.tp + j.middle + j.bottom;
  j.movie = read_movie(j.all);
  return j;
}

TEST(Templates, EverySetJoinsIntoAWellFormedMovieAtTwentyFourFrames) {
  const auto sets = all_sets();
  ASSERT_EQ(sets.size(), 30u);
  for (const StyleSet& s : sets) {
    SCOPED_TRACE(name_of(s));
    const Joined j = join(s);
    ASSERT_EQ(j.movie.error, "");
    EXPECT_EQ(j.movie.file_length, j.all.size());
    EXPECT_EQ(j.movie.rate, 0x1800u);  // 24.0
    EXPECT_EQ(j.movie.frames, 1u);
    // Only tags the movies are made of: nothing a player would have to skip as unknown.
    for (const Tag& t : j.movie.tags) {
      static const std::vector<int> known = {0, 1, 9, 12, 22, 26, 32, 34, 39, 69};
      EXPECT_NE(std::find(known.begin(), known.end(), t.code), known.end()) << "tag " << t.code;
    }
  }
}

TEST(Templates, SpritesAndShapesAreWellFormedInside) {
  for (const StyleSet& s : all_sets()) {
    SCOPED_TRACE(name_of(s));
    const Joined j = join(s);
    ASSERT_EQ(j.movie.error, "");
    const unsigned sound_sprite = get_u16(j.middle, 6);
    int drawn = 0;
    for (const Tag& t : j.movie.tags) {
      if (t.code == 39) {
        // The sound sprite ends where its tags end (the stream brings its End tag); the
        // other sprites close with their own.
        std::string error;
        const bool sound = get_u16(j.all, t.body()) == sound_sprite;
        walk_tags(j.all, t.body() + 4, t.end(), !sound, error);
        EXPECT_EQ(error, "");
      }
      if (t.code == 22 || t.code == 32) {
        const ShapeOutline shape = read_shape(j.all, t);
        EXPECT_EQ(shape.error, "") << "shape at " << t.offset;
        EXPECT_TRUE(shape.closed) << "shape at " << t.offset;
        if (t.code == 32) {
          EXPECT_GT(shape.edges, 0);
          ++drawn;
        }
      }
    }
    EXPECT_GE(drawn, 3);  // at least a body and its icons
  }
}

TEST(Templates, StageKeepsThePlayerProportions) {
  for (const StyleSet& s : all_sets()) {
    SCOPED_TRACE(name_of(s));
    const Movie m = join(s).movie;
    ASSERT_EQ(m.error, "");
    const bool single = s.family.rfind("sin", 0) == 0;
    const int w = m.frame.xmax - m.frame.xmin, h = m.frame.ymax - m.frame.ymin;
    if (single) {
      EXPECT_EQ(w, h);
    } else {
      EXPECT_EQ(w * 73, h * 200);
    }
  }
}

TEST(Templates, BackgroundColourStandsInTheSetBackgroundColorTag) {
  for (const StyleSet& s : all_sets()) {
    SCOPED_TRACE(name_of(s));
    const Joined j = join(s);
    ASSERT_EQ(j.movie.error, "");
    const auto bg =
        std::find_if(j.movie.tags.begin(), j.movie.tags.end(), [](const Tag& t) { return t.code == 9; });
    ASSERT_NE(bg, j.movie.tags.end());
    EXPECT_EQ(bg->body() + 1, s.background);
    EXPECT_LE(bg->end(), j.tp.size()) << "background colour outside the tp piece";
    // 22: 19-byte header; 23: 20-byte header; 28: FileAttributes in front.
    EXPECT_EQ(j.movie.header_size, s.background == 23 ? 20u : 19u);
    if (s.background == 28) {
      EXPECT_EQ(j.movie.tags.front().code, 69);
    }
  }
}

TEST(Templates, ButtonColourIsTheFirstFillOfTheButtonsBody) {
  for (const StyleSet& s : all_sets()) {
    SCOPED_TRACE(name_of(s));
    const Joined j = join(s);
    ASSERT_EQ(j.movie.error, "");
    std::map<int, const Tag*> shapes;
    for (const Tag& t : j.movie.tags)
      if (t.code == 32) shapes[static_cast<int>(get_u16(j.all, t.body()))] = &t;
    std::map<Role, std::size_t> found;
    for (const Tag& t : j.movie.tags) {
      if (t.code != 34) continue;
      const Button button = read_button(j.all, t);
      ASSERT_TRUE(shapes.count(button.hit_shape)) << "button " << button.id << " has no body shape";
      const std::size_t fill = first_fill_offset(j.all, *shapes[button.hit_shape]);
      ASSERT_NE(fill, 0u);
      const std::size_t piece_start = s.autoplay ? j.tp.size() + j.middle.size() : 0;
      ASSERT_GE(fill, piece_start) << "colour outside the piece that holds it";
      found[button.role] = fill - piece_start + 1;
      EXPECT_LT(fill + 3, s.autoplay ? j.all.size() : j.tp.size() + 1);
    }
    EXPECT_EQ(found, s.button_colours);
  }
}

TEST(Templates, MiddlePieceOpensTheSoundSpriteWithASilentFirstFrame) {
  for (const StyleSet& s : all_sets()) {
    SCOPED_TRACE(name_of(s));
    const Joined j = join(s);
    ASSERT_EQ(j.movie.error, "");
    const std::string& m = j.middle;
    ASSERT_GE(m.size(), 18u);
    EXPECT_EQ(m.substr(0, 2), std::string("\xFF\x09", 2));  // DefineSprite, long form
    EXPECT_EQ(get_u32(m, 2), m.size() - 6);
    EXPECT_EQ(get_u16(m, 8), 1u);                            // frame count
    EXPECT_EQ(m.substr(10, 2), std::string("\x86\x04", 2));  // SoundStreamHead, 6 bytes
    EXPECT_EQ((static_cast<unsigned char>(m[13]) >> 4), 2);  // stream compression MP3
    // The sprite's own tags after the head: no End (the sound stream closes the sprite), no
    // sound block, and a first frame of actions only.
    std::string error;
    const auto inner = walk_tags(m, 18, m.size(), false, error);
    ASSERT_EQ(error, "");
    std::vector<int> codes;
    for (const Tag& t : inner) codes.push_back(t.code);
    EXPECT_EQ(codes, (std::vector<int>{12, 1}));  // DoAction, ShowFrame
    const auto actions = action_codes(m, inner.front().body(), inner.front().end());
    if (!s.autoplay) {
      ASSERT_FALSE(actions.empty());
      EXPECT_EQ(actions.front(), 0x07);  // Stop: a plain movie waits for Play
    } else {
      EXPECT_NE(std::find(actions.begin(), actions.end(), 0x9D), actions.end());  // If: stop only once played
    }
    // The sprite is the one the buttons drive, placed as "sound".
    const unsigned sprite_id = get_u16(m, 6);
    bool placed = false;
    for (const Tag& t : j.movie.tags) {
      if (t.code != 26) continue;
      const std::size_t name = j.all.find(std::string("sound\0", 6), t.body());
      if (name < t.end() && get_u16(j.all, t.body() + 3) == sprite_id) placed = true;
    }
    EXPECT_TRUE(placed);
  }
}

TEST(Templates, ButtonsTellTheSoundSprite) {
  for (const StyleSet& s : all_sets()) {
    SCOPED_TRACE(name_of(s));
    const Joined j = join(s);
    for (const Tag& t : j.movie.tags) {
      if (t.code != 34) continue;
      const Button b = read_button(j.all, t);
      // SetTarget "sound" ... SetTarget "": the action list names the sprite.
      EXPECT_NE(j.all.find(std::string("\x8B\x06\x00sound\0", 9), t.body()), std::string::npos);
      EXPECT_NE(b.role, Role::kOther);
    }
  }
}

TEST(Templates, FileLengthOfTheJoinedPiecesIsWrittenInTheTpPiece) {
  for (const StyleSet& s : all_sets()) {
    SCOPED_TRACE(name_of(s));
    const Joined j = join(s);
    EXPECT_EQ(get_u32(j.tp, 4), j.all.size());
  }
}

}  // namespace
