#include "audio/codec/lame_encoder_version.h"

#include <cstring>

namespace {

namespace f = platform::lame_version;
using namespace std::chrono;

constexpr year_month_day kZeroDate{year{1899}, month{12}, day{30}};

// Builds a date the way a date serial does: years 0-29 are 2000-2029, 30-99 are 1930-1999;
// a month or day past its range rolls over into the next month or year (and below it, back).
year_month_day date_serial(int y, int m, int d) {
  if (y >= 0 && y < 30) y += 2000;
  if (y >= 30 && y < 100) y += 1900;
  if (y > 20000) return kZeroDate;  // far past any month or day rollover back into range
  const year_month first = year{y} / January + months{m - 1};
  const year_month_day result{sys_days{first / 1} + days{d - 1}};
  if (!result.ok() || result.year() < year{100} || result.year() > year{9999}) return kZeroDate;
  return result;
}

}  // namespace

cLameEncoderVersion::cLameEncoderVersion() {
  platform::beVersion(LameVersionInfo);
  DecodeReleaseDate();
  DecodeHomePage();
}

cLameEncoderVersion::cLameEncoderVersion(const platform::LameVersion& record) : LameVersionInfo(record) {
  DecodeReleaseDate();
  DecodeHomePage();
}

std::uint8_t cLameEncoderVersion::DllMajorVersion() const { return LameVersionInfo[f::kDllMajor]; }
std::uint8_t cLameEncoderVersion::DllMinorVersion() const { return LameVersionInfo[f::kDllMinor]; }
std::uint8_t cLameEncoderVersion::MajorVersion() const { return LameVersionInfo[f::kMajor]; }
std::uint8_t cLameEncoderVersion::MinorVersion() const { return LameVersionInfo[f::kMinor]; }
std::uint8_t cLameEncoderVersion::AlphaLevel() const { return LameVersionInfo[f::kAlphaLevel]; }
std::uint8_t cLameEncoderVersion::BetaLevel() const { return LameVersionInfo[f::kBetaLevel]; }
std::uint8_t cLameEncoderVersion::MMXEnabled() const { return LameVersionInfo[f::kMmxEnabled]; }

void cLameEncoderVersion::DecodeReleaseDate() {
  release_date_ = date_serial(core::get_u16le(LameVersionInfo.data(), f::kYear), LameVersionInfo[f::kMonth],
                              LameVersionInfo[f::kDay]);
}

void cLameEncoderVersion::DecodeHomePage() {
  const auto* field = reinterpret_cast<const char*>(LameVersionInfo.data() + f::kHomePage);
  home_page_.assign(field, strnlen(field, f::kHomePageSize));
}
