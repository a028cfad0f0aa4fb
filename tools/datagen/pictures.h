#pragma once

// The style pictures of the gallery and the page emblem, drawn from the same art as the
// movies.

#include <filesystem>

namespace datagen {

/// Writes emblem.png and the thirty style thumbnails (sam1..6, ind1..18, sin1..6 .png).
void write_pictures(const std::filesystem::path& dir);

}  // namespace datagen
