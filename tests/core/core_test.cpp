#include <gtest/gtest.h>

#include <stdexcept>

#include "core/errors.h"
#include "core/hooks.h"

namespace {

// The numbered errors themselves are checked where the components raise them.
TEST(IgnoreErrors, SwallowsRaisedErrorsAndReportsThem) {
  int ran = 0;
  EXPECT_TRUE(core::ignore_errors([&] { ++ran; }));
  EXPECT_FALSE(core::ignore_errors([&] { throw core::VbError(29671, "mellix.cWavReader", "bad"); }));
  EXPECT_FALSE(core::ignore_errors([&] { throw std::runtime_error("x"); }));
  EXPECT_EQ(ran, 1);
}

}  // namespace
