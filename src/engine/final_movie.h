#pragma once

// The engine's single entry: from the source MP3 and the style's working pieces to the
// finished movie spd/final.swf and its copy at the save path, with the progress page
// showing how far the sound stream has got.

#include <cstdint>

namespace Module12 {

/// Builds spd/final.swf from `core::source_filename` and spd/tp.spd, middle.spd and
/// bottom.spd, then copies it to `core::save_path` (a failed copy is not reported).
/// Without an MP3 frame sync it shows "ERROR in file opening"; that and every other failure
/// (no frame data, a missing piece, a folder that cannot be written) reach the caller as
/// core::VbError.
void make_final_swf();

/// Shows `frames_done` of the stream's frames as a bar and a percentage, rounded half to even.
void update_progress(std::int32_t frames_done);

/// Draws the progress page's bar from its left edge to `width` twips.
void draw_progress_bar(int width);

/// Shows "<percent>%" on the progress page in the palette colour `colour_index`.
void show_percent(int colour_index, int percent);

}  // namespace Module12
