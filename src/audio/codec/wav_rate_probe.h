#pragma once

// The sample rate of the source WAV, read straight from its header.

#include <cstdint>
#include <string>

namespace Module35 {
/// The little-endian value at bytes 25-28 of source_filename: the sample rate of a canonical
/// 44-byte WAV header. Bytes missing from a short file count as 0. A file that cannot be
/// opened raises error 53 "File not found".
std::int32_t wav_sample_rate();
}  // namespace Module35

namespace Module36 {
/// A two-character text unchanged, one character with "0" in front, anything else "".
std::string pad_hex_byte(const std::string& hex);
}  // namespace Module36
