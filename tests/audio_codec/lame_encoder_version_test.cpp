#include "audio/codec/lame_encoder_version.h"

#include <gtest/gtest.h>

#include <string_view>

#include "audio/codec/lame_encoder.h"
#include "support/test_support.h"

namespace {

using namespace std::chrono;
namespace f = platform::lame_version;

platform::LameVersion record(int year, int month, int day) {
  platform::LameVersion r{};
  platform::put_u16(r.data(), f::kYear, static_cast<std::uint16_t>(year));
  r[f::kMonth] = static_cast<std::uint8_t>(month);
  r[f::kDay] = static_cast<std::uint8_t>(day);
  return r;
}

TEST(LameEncoderVersion, ReadsTheLibrarysRecord) {
  cLameEncoder encoder;
  cLameEncoderVersion& version = encoder.version();
  EXPECT_EQ(&version, &encoder.version());  // created once
  EXPECT_EQ(version.DllMajorVersion(), 1);
  EXPECT_EQ(version.DllMinorVersion(), 32);
  // The library's own version and home page, as its command line prints them.
  const std::string banner = testsupport::capture("lame --version");
  EXPECT_NE(banner.find("version " + std::to_string(version.MajorVersion()) + "." +
                        std::to_string(version.MinorVersion()) + " "),
            std::string::npos)
      << banner;
  EXPECT_NE(banner.find("(" + version.HomePage() + ")"), std::string::npos) << version.HomePage();
  EXPECT_EQ(version.AlphaLevel(), 0);
  EXPECT_EQ(version.BetaLevel(), 0);
  // The release date is the stream layer's build date: a real date, not after today (a day of
  // slack for the compiler's local time).
  const year_month_day today{floor<days>(system_clock::now())};
  EXPECT_TRUE(version.ReleaseDate().ok());
  EXPECT_LE(sys_days{version.ReleaseDate()}, sys_days{today} + days{1});
  EXPECT_GT(sys_days{version.ReleaseDate()}, sys_days{today} - days{3650});
}

TEST(LameEncoderVersion, DatesRollOverLikeADateSerial) {
  struct Case {
    int year, month, day;
    year_month_day expected;
  };
  const Case cases[] = {
      {2024, 2, 29, 2024y / February / 29},
      {2023, 2, 29, 2023y / March / 1},
      {2023, 13, 1, 2024y / January / 1},
      {2023, 12, 32, 2024y / January / 1},
      {2023, 0, 1, 2022y / December / 1},
      {2023, 3, 0, 2023y / February / 28},
      {5, 6, 7, 2005y / June / 7},
      {99, 1, 1, 1999y / January / 1},
      {2023, 255, 255, 2044y / November / 10},
      {10001, 1, 1, 1899y / December / 30},  // no date
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.year) + "-" + std::to_string(c.month) + "-" + std::to_string(c.day));
    EXPECT_EQ(cLameEncoderVersion(record(c.year, c.month, c.day)).ReleaseDate(), c.expected);
  }
}

TEST(LameEncoderVersion, HomePageEndsAtTheFirstNulOrAfter129Characters) {
  platform::LameVersion r = record(2020, 1, 1);
  const std::string_view page = "http://example.org/\0hidden";
  std::copy(page.begin(), page.end(), r.begin() + f::kHomePage);
  EXPECT_EQ(cLameEncoderVersion(r).HomePage(), "http://example.org/");
  std::fill(r.begin() + f::kHomePage, r.begin() + f::kHomePage + f::kHomePageSize, 'x');
  r[f::kAlphaLevel] = 'y';  // the byte after the field
  EXPECT_EQ(cLameEncoderVersion(r).HomePage(), std::string(129, 'x'));
  EXPECT_EQ(cLameEncoderVersion(r).AlphaLevel(), 'y');
}

}  // namespace
