#pragma once

// The engine's single entry: from the source MP3 and the style's working pieces to the
// finished movie spd/final.swf and its copy at the save path, with the progress page
// showing how far the sound stream has got.

#include <cstdint>
#include <string>
#include <vector>

namespace Module12 {

/// Builds spd/final.swf from `core::source_filename` and spd/tp.spd, middle.spd and
/// bottom.spd, then copies it to `core::save_path` through a file beside it, so the save path
/// holds the whole movie or what it held before. Without an MP3 frame sync it shows "ERROR in
/// file opening"; that and every other failure reach the caller as core::VbError whose
/// description says what went wrong: no frame data, a missing piece, a folder that cannot be
/// written, a save path that save_path_problem refuses (75, before anything is written), a
/// copy to the save path that failed (61 disk full, 75 cannot be written).
void make_final_swf();

/// Why the movie of `source` cannot be saved at `save_path`, or "" when it can: no path, the
/// path is the source file itself (same device and inode), a folder or another non-regular
/// file, a folder that does not exist or where no file can be written. The encode step asks
/// this of the sound the user chose before converting it.
std::string save_path_problem(const std::string& source, const std::string& save_path);

/// Whether the movie would replace, at `save_path`, a file that this wizard neither wrote nor
/// was allowed to replace: an existing regular file that save_path_problem accepts and that
/// own_save_path never named. Encode asks the user before it replaces such a file.
bool asks_before_replacing(const std::string& source, const std::string& save_path);

/// Records `path` as one whose file the movie may replace without asking: the default save
/// path, a path chosen in the save dialog (which asked itself), a replacement the user agreed
/// to, and every path make_final_swf saved a movie to.
void own_save_path(const std::string& path);

/// Shows `frames_done` of the stream's frames as a bar and a percentage, rounded half to even.
void update_progress(std::int32_t frames_done);

/// Draws the progress page's bar from its left edge to `width` twips.
void draw_progress_bar(int width);

/// Shows "<percent>%" on the progress page in the palette colour `colour_index`.
void show_percent(int colour_index, int percent);

}  // namespace Module12

namespace engine {

/// Frames a movie's sprite can hold and still play through in the player: at one more it
/// never starts, and beyond that it starts again after its first minutes, sound and picture
/// alike. At 24 frames a second that is 45 min 30.6 s.
inline constexpr std::int64_t kMaxMovieFrames = 65534;
/// Frames each style's sprite shows before its sound: its silent first frame.
inline constexpr std::int64_t kStyleLeadFrames = 1;
/// The error raised for a sound too long for a movie (Overflow).
inline constexpr long kSoundTooLong = 6;

/// Raises kSoundTooLong from `procedure` when `lead_frames` and a stream of `stream_frames`
/// SWF frames pass kMaxMovieFrames; its description names the limit and `seconds`, the
/// sound's length.
void check_movie_frames(std::int64_t lead_frames, std::int64_t stream_frames, double seconds,
                        const std::string& procedure);

/// Removes the files that Module12::make_final_swf builds the movie through (spd/sprite_top.dat,
/// mp3_data2.dat and sprite_mp3.dat, the last two each about the size of the sound): nothing
/// reads them once the movie is written or its build has failed. The movie stays.
void remove_build_files();

/// How long an MP3 file plays, as its frames tell it.
struct PlayTime {
  std::int32_t frames = 0;          // found by the frame walk, as the movie carries them
  bool one_bitrate = true;          // every one of them at the first one's bitrate
  std::uint32_t header_frames = 0;  // declared by a VBR header in the first frame; 0 for none
  int rate = 0;
  int samples_per_frame = 0;
  /// Seconds of sound: from the header's count when the bitrate varies and the file has one
  /// (its own frame is no sound), else from the frames found.
  double seconds() const;
};

/// check_movie_frames for the MP3 file at `path` behind a style's silent first frame, from its
/// frame walk; the length told is its PlayTime, which is returned. A file without frame data
/// passes: the build tells what is wrong with it.
PlayTime check_sound_length(const std::string& path, const std::string& procedure);

/// The PlayTime of the MP3 file at `path` from its first frame and its frame walk; the frames'
/// lengths go to `lengths` when given. A file without frame data has no frames.
PlayTime play_time(const std::string& path, std::vector<std::int32_t>* lengths = nullptr);

}  // namespace engine
