#include "audio/codec/mp3_info.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "core/errors.h"
#include "core/hex.h"
#include "core/hooks.h"
#include "core/shared_state.h"
#include "engine/files.h"
#include "engine/mp3_header.h"

namespace {

// A number as text with a leading blank when it is not negative.
std::string spaced(const std::string& digits, bool negative) { return negative ? digits : " " + digits; }

std::string two_digits(std::int32_t value) {
  return value < 10 ? "0" + std::to_string(value) : std::to_string(value);
}

}  // namespace

namespace Module55 {

std::int16_t mp3_bitrate(const std::string& path) {
  engine::FileBytes file(path);
  const engine::FirstFrame first = engine::first_frame(file, path, "mp3_bitrate");
  core::mp3_file_len = static_cast<std::int32_t>(std::min<std::uint64_t>(file.size(), INT32_MAX));

  const std::string bits = Module15::hex_to_bin(Module19::bytes_to_hex(first.header));
  const double version = Module19::get_mpeg_version(bits.substr(11, 2));
  const int layer = Module19::get_layer(bits.substr(13, 2));
  return static_cast<std::int16_t>(Module19::get_bitrate(bits.substr(16, 4), version, layer));
}

std::string format_duration(std::int32_t seconds) {
  std::int32_t hours = 0;
  std::int32_t minutes = 0;
  if (seconds >= 60) {
    minutes = seconds / 60;
    seconds %= 60;
  }
  if (minutes >= 60) {
    hours = minutes / 60;
    minutes %= 60;
  }
  return two_digits(hours) + ":" + two_digits(minutes) + ":" + two_digits(seconds) + "\r\n";
}

std::string format_file_size(std::int32_t bytes) {
  if (bytes < 1024) return spaced(std::to_string(bytes), bytes < 0) + " byte";

  // Kilobytes as a single-precision value, written with up to seven significant digits.
  const float kb = static_cast<float>(bytes) / 1024.0f;
  if (kb <= 1024.0f) {
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", static_cast<double>(kb));
    return spaced(text, false) + " kb";
  }
  // Whole megabytes, halves to the even neighbour.
  const auto mb = static_cast<long long>(std::nearbyint(kb / 1024.0f));
  return spaced(std::to_string(mb), false) + " MB";
}

}  // namespace Module55
