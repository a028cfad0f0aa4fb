#include "engine/final_movie.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/hex.h"
#include "core/hooks.h"
#include "core/paths.h"
#include "core/safe_files.h"
#include "core/shared_state.h"
#include "engine/files.h"
#include "engine/mp3_header.h"
#include "engine/progress.h"
#include "engine/sound_stream.h"
#include "engine/swf_records.h"

namespace {

namespace swf = engine::swf;

// Writes a 32-bit little-endian value at a 1-based byte position of a file.
void patch_u32(const std::string& path, std::uint64_t value, std::int32_t position) {
  Module16::write_hex_at(path, Module6::to_lit_endian(core::to_hex(static_cast<std::uint32_t>(value)), 1),
                         position);
}

// "65,534": thousands set apart, as the messages write counts.
std::string grouped(std::int64_t value) {
  const std::string digits = std::to_string(value);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

// "45 min 30.6 s".
std::string minutes_and_seconds(double seconds) {
  const auto tenths = static_cast<std::int64_t>(std::nearbyint(seconds * 10));
  return std::to_string(tenths / 600) + " min " + std::to_string(tenths % 600 / 10) + "." +
         std::to_string(tenths % 10) + " s";
}

// ShowFrame tags among the tags of the middle piece after its sprite header and head slot.
std::int64_t lead_frames(const std::string& middle) {
  std::int64_t frames = 0;
  for (std::size_t p = 18;;) {
    const auto record = swf::read_record_header(middle, p);
    if (!record || record->code == swf::kEnd) break;
    if (record->code == swf::kShowFrame) ++frames;
    p += record->head + record->length;
  }
  return frames;
}

// The stream's format, from the first frame header.
struct StreamFormat {
  int rate = 0;
  int channels = 0;
  int spf = 0;
};

StreamFormat stream_format(const std::string& header) {
  const std::string bits = Module15::hex_to_bin(Module14::header_to_hex(header));
  const double version = Module19::get_mpeg_version(bits.substr(11, 2));
  const int layer = Module19::get_layer(bits.substr(13, 2));
  return {Module19::get_sample_rate(bits.substr(20, 2), version),
          bits.substr(24, 2) == "11" ? 1 : 2,  // "11" is single channel
          Module20::get_samples_per_frame(version, layer)};
}

// The sound's length in seconds: its frames' samples at its rate.
double stream_seconds(const StreamFormat& format, std::int32_t frames) {
  return format.rate > 0 ? static_cast<double>(frames) * format.spf / format.rate : 0.0;
}

// The save paths whose files the movie may replace without asking, as whole paths.
std::vector<std::string>& own_paths() {
  static std::vector<std::string> paths;
  return paths;
}

std::string whole(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, ec);
  return ec ? path : resolved.string();
}

}  // namespace

namespace engine {

void check_movie_frames(std::int64_t lead, std::int64_t stream_frames, double seconds,
                        const std::string& procedure) {
  if (lead + stream_frames <= kMaxMovieFrames) return;
  throw core::VbError(kSoundTooLong, core::exe_name() + "." + procedure,
                      "The sound is too long for a movie: it lasts " + minutes_and_seconds(seconds) +
                          ", which makes " + grouped(lead + stream_frames) +
                          " frames at 24 frames a second, and a movie holds at most " +
                          grouped(kMaxMovieFrames) + " frames (" +
                          minutes_and_seconds(kMaxMovieFrames / 24.0) + "). Choose a shorter sound.");
}

PlayTime check_sound_length(const std::string& path, const std::string& procedure) {
  std::vector<std::int32_t> lengths;
  const PlayTime play = play_time(path, &lengths);
  if (play.frames > 0)
    check_movie_frames(
        kStyleLeadFrames,
        engine::stream_frame_count(24, play.rate, play.samples_per_frame, lengths, play.frames),
        play.seconds(), procedure);
  return play;
}

double PlayTime::seconds() const {
  const std::int64_t counted = !one_bitrate && header_frames > 0 ? header_frames : frames;
  return rate > 0 ? static_cast<double>(counted) * samples_per_frame / rate : 0.0;
}

PlayTime play_time(const std::string& path, std::vector<std::int32_t>* lengths) {
  PlayTime play;
  engine::FileBytes file(path);
  const std::int32_t first = engine::find_first_frame(file);
  const auto [begin, end] = engine::frame_range(file, first);
  if (begin == end) return play;
  const std::string header(file.bytes(begin, 4));
  const StreamFormat format = stream_format(header);
  play.rate = format.rate;
  play.samples_per_frame = format.spf;
  // A VBR header sits in the first few dozen bytes of the first frame, never past its end.
  const auto length = static_cast<std::size_t>(std::max<std::int16_t>(engine::frame_size_at(header, 0), 0));
  play.header_frames =
      engine::vbr_header_frames(file.bytes(begin, std::min<std::size_t>({length, end - begin, 64})));
  engine::FileBytes data(path, begin, end);
  play.frames = engine::walk_frames(data, lengths, &play.one_bitrate);
  return play;
}

void remove_build_files() {
  for (const char* name : {"sprite_top.dat", "mp3_data2.dat", "sprite_mp3.dat"})
    Module5::kill_file(core::spd_path(name));
}

}  // namespace engine

namespace Module12 {

void make_final_swf() {
  core::yield();
  const std::string source = core::exe_name() + ".make_final_swf";
  engine::ProgressPage* page = engine::progress_page();

  // The page plays its animation while the source is analysed.
  if (page) page->show_animation((core::app_dir() / "spd" / "SWF" / "Sound_Processing.swf").string());

  // Find the first frame and cut the frame data: everything from it on but an ID3v1 tag.
  core::yield();
  if (const std::string problem = save_path_problem(core::source_filename, core::save_path); !problem.empty())
    throw core::VbError(75, source, problem);
  engine::FileBytes file(core::source_filename);
  if (file.size() > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
    throw core::VbError(5, source, "MP3 file too large: " + core::source_filename);
  const engine::FirstFrame first = engine::first_frame(file, core::source_filename, "make_final_swf");
  const auto [begin, end] = engine::frame_range(file, first.position);
  if (begin == end)  // the first sync lies in the tag at the end
    throw core::VbError(5, source, "No MP3 frame data before the ID3v1 tag of " + core::source_filename);
  // The frames are read from the file as they are walked and spliced, not held in memory.
  engine::FileBytes data(core::source_filename, begin, end);

  // The stream's format comes from the first header.
  core::yield();
  const StreamFormat format = stream_format(first.header);
  const int rate = format.rate;
  const int spf = format.spf;

  // A sound longer than a movie can play through is refused before anything is written.
  core::yield();
  std::vector<std::int32_t> lengths;
  const std::int32_t n = engine::walk_frames(data, &lengths);
  if (n == 0)
    throw core::VbError(5, source, "No whole MP3 frame at the first sync of " + core::source_filename);
  engine::check_movie_frames(lead_frames(engine::read_file(core::spd_path("middle.spd"))),
                             engine::stream_frame_count(24, rate, spf, lengths, n), stream_seconds(format, n),
                             "make_final_swf");

  // 16-bit samples, MP3, 24 frames a second.
  const std::string head = Module21::sound_stream_head_hex(rate, 1, format.channels - 1, 2, 24);
  Module22::write_sprite_top(head);

  if (page) page->show_bar();

  // The sprite file is its head and its timeline, with the tag length that follows its 6-byte
  // record header; the movie is the top piece, that sprite and the bottom piece, with the file
  // length in the SWF header. Both take the timeline while it is written, so the body of a long
  // sound is not copied again afterwards. A piece that cannot be read leaves the movie as it
  // was; its error reaches the caller once the sprite file is complete.
  const std::string top = engine::read_file(core::spd_path("sprite_top.dat"));
  std::string tp;
  std::string bottom;
  std::exception_ptr piece_error;
  try {
    tp = engine::read_file(core::spd_path("tp.spd"));
    bottom = engine::read_file(core::spd_path("bottom.spd"));
  } catch (...) {
    piece_error = std::current_exception();
  }
  const std::string sprite = core::spd_path("sprite_mp3.dat");
  const std::string movie = core::spd_path("final.swf");
  engine::write_file(sprite, top);
  std::vector<Module25::Mirror> mirrors = {{sprite, top.size()}};
  if (!piece_error) {
    engine::write_file(movie, tp + top);
    mirrors.push_back({movie, tp.size() + top.size()});
  }
  std::uint64_t timeline = 0;
  try {
    timeline = Module25::write_mp3_data(24, rate, spf, lengths, data, n, mirrors);
  } catch (...) {
    if (!piece_error) Module5::kill_file(movie);  // never leave a torn movie behind
    throw;
  }

  core::yield();
  const std::uint64_t sprite_length = top.size() + timeline;
  patch_u32(sprite, sprite_length - swf::kLongHeaderSize, swf::kLongLengthOffset + 1);
  if (piece_error) std::rethrow_exception(piece_error);

  core::yield();
  engine::write_at(movie, bottom, tp.size() + sprite_length);
  patch_u32(movie, sprite_length - swf::kLongHeaderSize,
            static_cast<std::int32_t>(tp.size() + swf::kLongLengthOffset + 1));
  patch_u32(movie, tp.size() + sprite_length + bottom.size(), swf::kFileLengthOffset + 1);

  // The movie reaches the save path whole or not at all, and a failed copy is reported.
  core::yield();
  core::copy_whole_file(movie, core::save_path, "make_final_swf");
  own_save_path(core::save_path);
}

std::string save_path_problem(const std::string& source, const std::string& save_path) {
  if (save_path.empty()) return "No save path is given for the movie";
  if (core::same_file(source, save_path))
    return "The save path " + save_path + " is the source sound itself; choose another path for the movie";
  std::error_code ec;
  const auto status = std::filesystem::status(save_path, ec);
  if (std::filesystem::is_directory(status)) return "The save path " + save_path + " is a folder, not a file";
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
    return "The save path " + save_path + " is not a regular file";
  // The movie is written beside its path and renamed onto it: a file must be able to come
  // into being in that folder, which only trying tells for sure (a read-only or virtual file
  // system, permissions, and an administrator who may write anywhere else).
  const std::filesystem::path folder = std::filesystem::path(save_path).parent_path();
  if (!std::filesystem::is_directory(folder.empty() ? "." : folder, ec))
    return "The folder of the save path " + save_path + " does not exist";
  try {
    const core::FileBeside probe(save_path, "make_final_swf");
  } catch (const core::VbError&) {
    return "The folder of the save path " + save_path + " cannot be written";
  }
  return {};
}

bool asks_before_replacing(const std::string& source, const std::string& save_path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(save_path, ec) || !save_path_problem(source, save_path).empty())
    return false;
  const auto& own = own_paths();
  return std::find(own.begin(), own.end(), whole(save_path)) == own.end();
}

void own_save_path(const std::string& path) {
  auto& own = own_paths();
  if (!path.empty() && std::find(own.begin(), own.end(), whole(path)) == own.end())
    own.push_back(whole(path));
}

void update_progress(std::int32_t frames_done) {
  // The page changes only when the percentage does: a long sound has tens of thousands of
  // frames, and drawing (and yielding) after each of them would take longer than the build.
  static int shown_percent = -1;
  static std::int32_t last_done = 0;
  if (frames_done <= last_done) shown_percent = -1;  // a new stream starts over
  last_done = frames_done;
  const std::int32_t total = Module25::frame_count;
  const int percent =
      total > 0 ? static_cast<int>(std::nearbyint(static_cast<double>(frames_done) / total * 100.0)) : 0;
  if (percent == shown_percent) return;
  shown_percent = percent;
  core::yield();
  engine::ProgressPage* page = engine::progress_page();
  const int bar = page ? page->bar_width() : 0;
  const int width = static_cast<int>(std::nearbyint(static_cast<double>(bar) * percent / 100.0));
  draw_progress_bar(width);
  show_percent(0, percent);
}

void draw_progress_bar(int width) {
  if (engine::ProgressPage* page = engine::progress_page()) page->draw_progress_bar(width);
}

void show_percent(int colour_index, int percent) {
  if (engine::ProgressPage* page = engine::progress_page()) page->show_percent(colour_index, percent);
}

}  // namespace Module12
