#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform::flash {

/// The stage colour that a movie file sets before its first frame (SetBackgroundColor), as
/// 0xRRGGBB; nullopt when the file cannot be read, is no SWF movie (plain or zlib-compressed)
/// or sets no colour. Reads the first few tags only.
std::optional<std::uint32_t> stage_colour(const std::string& path);

/// Whether the movie file holds a sound (a sound definition, event or stream, in any sprite);
/// true when the file cannot be read as a movie.
bool has_sounds(const std::string& path);

}  // namespace platform::flash
