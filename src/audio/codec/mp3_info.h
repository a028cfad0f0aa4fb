#pragma once

// What the file page shows of a sound: the first frame's bitrate, the play time and the size.

#include <cstdint>
#include <string>

namespace Module55 {
/// Bitrate in kbit/s of the first frame ("free" and "bad" give 0); sets mp3_file_len. No
/// frame sync: the message "ERROR in file opening", then error 5. A missing file: error 53.
std::int16_t mp3_bitrate(const std::string& path);
/// "HH:MM:SS" (at least two digits each) followed by a carriage return and line feed.
std::string format_duration(std::int32_t seconds);
/// " 512 byte", " 1.5 kb" (up to 1024 kb), " 2 MB" (rounded, halves to even).
std::string format_file_size(std::int32_t bytes);
}  // namespace Module55
