#include "engine/final_movie.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/hooks.h"
#include "core/paths.h"
#include "core/shared_state.h"
#include "engine/files.h"
#include "engine/hex.h"
#include "engine/mp3_header.h"
#include "engine/progress.h"
#include "engine/sound_stream.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Writes the files of `parts` one after another as `destination`, replacing it, and returns
// its length. The parts are streamed, so a long sound is never held twice in memory.
std::uint64_t join_files(const std::string& destination, const std::vector<std::string>& parts) {
  const std::string source = core::exe_name() + ".make_final_swf";
  // Every part opens before the destination is touched: a missing piece leaves no torn file.
  std::vector<File> inputs;
  for (const auto& part : parts) {
    inputs.emplace_back(std::fopen(part.c_str(), "rb"));
    if (!inputs.back()) throw core::VbError(53, source, "File not found: " + part);
  }
  Module5::kill_file(destination);
  File out(std::fopen(destination.c_str(), "wb"));
  if (!out) throw core::VbError(75, source, "Path/File access error: " + destination);

  std::vector<char> buffer(1 << 20);
  std::uint64_t length = 0;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    std::FILE* in = inputs[i].get();
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) {
      if (std::fwrite(buffer.data(), 1, got, out.get()) != got)
        throw core::VbError(61, source, "Disk full: " + destination);
      length += got;
    }
    if (std::ferror(in)) throw core::VbError(57, source, "Device I/O error: " + parts[i]);
  }
  if (std::fclose(out.release()) != 0) throw core::VbError(61, source, "Disk full: " + destination);
  return length;
}

// Writes a 32-bit little-endian value at a 1-based byte position of a file.
void patch_u32(const std::string& path, std::uint64_t value, std::int32_t position) {
  Module16::write_hex_at(path, Module6::to_lit_endian(engine::to_hex(static_cast<std::uint32_t>(value)), 1),
                         position);
}

}  // namespace

namespace Module12 {

void make_final_swf() {
  core::yield();
  const std::string source = core::exe_name() + ".make_final_swf";
  engine::ProgressPage* page = engine::progress_page();

  // The page plays its animation while the source is analysed.
  if (page) page->show_animation((core::app_dir() / "spd" / "SWF" / "Sound_Processing.swf").string());

  // Find the first frame and cut the frame data: everything from it on but the last 128 bytes.
  core::yield();
  const std::string file = engine::read_file(core::source_filename);
  if (file.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    throw core::VbError(5, source, "MP3 file too large: " + core::source_filename);
  const std::int32_t first = engine::find_first_frame(file);
  if (first == 0) {
    core::message_box("ERROR in file opening");
    throw core::VbError(5, source, "No MP3 frame in " + core::source_filename);
  }
  const std::string_view data = engine::frame_data(file, first);
  if (data.empty())
    throw core::VbError(5, source, "No MP3 frame data before the last 128 bytes of " + core::source_filename);

  // The stream's format comes from the first header.
  core::yield();
  const std::string bits = Module15::hex_to_bin(Module14::header_to_hex(std::string(data.substr(0, 4))));
  const double version = Module19::get_mpeg_version(bits.substr(11, 2));
  const int layer = Module19::get_layer(bits.substr(13, 2));
  const int rate = Module19::get_sample_rate(bits.substr(20, 2), version);
  const int channels = bits.substr(24, 2) == "11" ? 1 : 2;  // "11" is single channel
  const int spf = Module20::get_samples_per_frame(version, layer);

  // 16-bit samples, MP3, 24 frames a second.
  const std::string head = Module21::sound_stream_head_hex(rate, 1, channels - 1, 2, 24);
  Module22::write_sprite_top(head);

  core::yield();
  std::vector<std::int32_t> lengths;
  const std::int32_t n = engine::walk_frames(data, &lengths);
  if (n == 0)
    throw core::VbError(5, source, "No whole MP3 frame at the first sync of " + core::source_filename);

  if (page) page->show_bar();
  Module25::write_mp3_data(24, rate, spf, lengths, data, n);

  // The sprite: its head and its timeline, with the tag length that follows its 6-byte record header.
  core::yield();
  const std::string sprite = core::spd_path("sprite_mp3.dat");
  const std::uint64_t sprite_length =
      join_files(sprite, {core::spd_path("sprite_top.dat"), core::spd_path("mp3_data2.dat")});
  patch_u32(sprite, sprite_length - 6, 3);

  // The movie: top piece, sprite, bottom piece, with the file length in the SWF header.
  core::yield();
  const std::string movie = core::spd_path("final.swf");
  const std::uint64_t movie_length =
      join_files(movie, {core::spd_path("tp.spd"), sprite, core::spd_path("bottom.spd")});
  patch_u32(movie, movie_length, 5);

  core::yield();
  Module38::copy_file(movie, core::save_path);
}

void update_progress(std::int32_t frames_done) {
  core::yield();
  const std::int32_t total = Module25::frame_count;
  const int percent =
      total > 0 ? static_cast<int>(std::nearbyint(static_cast<double>(frames_done) / total * 100.0)) : 0;
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
