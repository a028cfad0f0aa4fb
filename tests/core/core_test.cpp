#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

#include "core/errors.h"
#include "core/hooks.h"
#include "core/paths.h"
#include "support/test_support.h"

namespace {

TEST(IgnoreErrors, SwallowsRaisedErrorsAndReportsThem) {
  int ran = 0;
  EXPECT_TRUE(core::ignore_errors([&] { ++ran; }));
  EXPECT_FALSE(core::ignore_errors([&] { throw core::VbError(29671, "mellix.cWavReader", "bad"); }));
  EXPECT_FALSE(core::ignore_errors([&] { throw std::runtime_error("x"); }));
  EXPECT_EQ(ran, 1);

  try {
    throw core::VbError(29770, core::exe_name() + ".cLameEncoder", "Encoder failed");
  } catch (const core::VbError& e) {
    EXPECT_EQ(e.number(), 29770);
    EXPECT_EQ(e.source(), "mellix.cLameEncoder");
    EXPECT_EQ(e.description(), "Encoder failed");
  }
}

TEST(Paths, DataTreeAndDriveCFollowTheAppFolderAndHome) {
  testsupport::TempAppDir app;
  EXPECT_EQ(core::spd_path("twav/tmp.mp3"), (app.path() / "spd/twav/tmp.mp3").string());
  EXPECT_EQ(core::spd_back_path("sam"), (app.path() / "spd_back/sam").string());
  EXPECT_EQ(core::drive_c_path("NewWav.wav"), (app.path() / "home/NewWav.wav").string());
}

TEST(Hooks, MessageBoxesReachTheInstalledHook) {
  testsupport::MessageBoxRecorder boxes;
  core::message_box("Please Select a button");
  core::message_box("device busy", "Error (record)");
  ASSERT_EQ(boxes.shown().size(), 2u);
  EXPECT_EQ(boxes.shown()[1].second, "Error (record)");

  int yields = 0;
  core::set_yield_hook([&] { ++yields; });
  core::yield();
  core::set_yield_hook({});
  core::yield();
  EXPECT_EQ(yields, 1);
}

}  // namespace
