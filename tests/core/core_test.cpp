#include <gtest/gtest.h>

#include <stdexcept>

#include "core/errors.h"
#include "core/hooks.h"

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

}  // namespace
