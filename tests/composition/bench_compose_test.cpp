// The benchmark driver's compose subcommand, run as a program on a synthetic style tree.

#include <gtest/gtest.h>

#include "style_tree_fixture.h"

namespace composition_test {
namespace {

using BenchCompose = StyleTree;

std::string bench() { return (testsupport::build_dir() / "mellix-bench").string(); }

TEST_F(BenchCompose, PickSwatchesAndAutoplayLeaveTheWorkingPieces) {
  const std::string app = testsupport::quote(dir_.path().string());
  ASSERT_EQ(
      testsupport::run(bench() + " compose " + app + " sam 2 --button 6A956C --background FFCCA5 >/dev/null"),
      0);
  const auto p = plain_paths("sam", 2);
  std::string tp = pristine_with(p.tp, "FFCCA5", 23);
  tp.replace(965, 3, rgb("6A956C"));
  expect_working_set(tp, pristine_.at(p.middle), pristine_.at(p.bottom));

  ASSERT_EQ(testsupport::run(bench() + " compose " + app + " ind 3 --target 2 --button 0000FF >/dev/null"),
            0);
  const auto ind = plain_paths("ind", 3);
  std::string ind_tp = pristine_with(ind.tp, "FFFFFF", 23);
  ind_tp.replace(2424, 3, rgb("0000FF"));
  expect_working_set(ind_tp, pristine_.at(ind.middle), pristine_.at(ind.bottom));

  ASSERT_EQ(testsupport::run(bench() + " compose " + app +
                             " sin 3 --button 99007F --background FF997E --autoplay >/dev/null"),
            0);
  const auto pla = autoplay_paths("sin", 3);
  EXPECT_TRUE(same_bytes(bytes("tp.spd"), pristine_with(pla.tp, "FF997E", 28)));
  EXPECT_TRUE(same_bytes(bytes("bottom.spd"), pristine_with(pla.bottom, "99007F", 1017)));
}

TEST_F(BenchCompose, BadArgumentsAreRefusedWithoutTouchingTheTree) {
  const std::string app = testsupport::quote(dir_.path().string());
  for (const std::string args :
       {"", "sam 2", "xyz 1", "sam 7", "sam 0", "ind 1 --target 4", "sam 1 --target 2",
        "sin 1 --button 12345", "sin 1 --background GG0000", "sin 1 --colour 000000", "sin 1 --button"}) {
    EXPECT_EQ(testsupport::run(bench() + " compose " + (args.rfind("sam 2", 0) == 0 ? "" : app + " ") + args +
                               " >/dev/null 2>&1"),
              2)
        << args;
  }
  EXPECT_TRUE(changed_files().empty());
  EXPECT_EQ(testsupport::run(bench() + " compose /nonexistent sam 1 >/dev/null 2>&1"), 2);
}

}  // namespace
}  // namespace composition_test
