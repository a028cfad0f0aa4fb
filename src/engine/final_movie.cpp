#include "engine/final_movie.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <exception>
#include <filesystem>
#include <limits>
#include <string>
#include <thread>
#include <utility>
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

// A file descriptor that closes itself.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

// Appends all of `in` to `out`: in the kernel where it can, else through a buffer.
void append_file(int in, int out, const std::string& part, const std::string& destination) {
  const std::string source = core::exe_name() + ".make_final_swf";
  for (;;) {
    const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, std::size_t{1} << 30, 0);
    if (copied == 0) return;
    if (copied < 0) break;
  }
  if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
    throw core::VbError(61, source, "Disk full: " + destination);
  std::vector<char> buffer(1 << 20);
  for (;;) {
    const ssize_t got = ::read(in, buffer.data(), buffer.size());
    if (got == 0) return;
    if (got < 0) throw core::VbError(57, source, "Device I/O error: " + part);
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = ::write(out, buffer.data() + done, static_cast<std::size_t>(got - done));
      if (put <= 0) throw core::VbError(61, source, "Disk full: " + destination);
      done += put;
    }
  }
}

// Writes the files of `parts` one after another as `destination`, replacing it, and returns
// the length of each part. The parts are streamed, so a long sound is never held twice in
// memory.
std::vector<std::uint64_t> join_files(const std::string& destination, const std::vector<std::string>& parts) {
  const std::string source = core::exe_name() + ".make_final_swf";
  // Every part opens before the destination is touched: a missing piece leaves no torn file.
  std::vector<Fd> inputs;
  for (const auto& part : parts) {
    inputs.emplace_back(::open(part.c_str(), O_RDONLY | O_CLOEXEC));
    if (inputs.back().get() < 0) throw core::VbError(53, source, "File not found: " + part);
  }
  Module5::kill_file(destination);
  Fd out(::open(destination.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (out.get() < 0) throw core::VbError(75, source, "Path/File access error: " + destination);
  std::vector<std::uint64_t> lengths;
  off_t end = 0;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    append_file(inputs[i].get(), out.get(), parts[i], destination);
    const off_t now = ::lseek(out.get(), 0, SEEK_CUR);
    if (now < 0) throw core::VbError(61, source, "Disk full: " + destination);
    lengths.push_back(static_cast<std::uint64_t>(now - end));
    end = now;
  }
  if (::close(out.release()) != 0) throw core::VbError(61, source, "Disk full: " + destination);
  return lengths;
}

std::uint64_t sum(const std::vector<std::uint64_t>& values) {
  std::uint64_t total = 0;
  for (auto v : values) total += v;
  return total;
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
  engine::FileBytes file(core::source_filename);
  if (file.size() > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
    throw core::VbError(5, source, "MP3 file too large: " + core::source_filename);
  const std::int32_t first = engine::find_first_frame(file);
  if (first == 0) {
    core::message_box("ERROR in file opening");
    throw core::VbError(5, source, "No MP3 frame in " + core::source_filename);
  }
  const auto [begin, end] = engine::frame_range(file.size(), first);
  if (begin == end)
    throw core::VbError(5, source, "No MP3 frame data before the last 128 bytes of " + core::source_filename);
  // The frames are read from the file as they are walked and spliced, not held in memory.
  engine::FileBytes data(core::source_filename, begin, end);

  // The stream's format comes from the first header.
  core::yield();
  const std::string bits = Module15::hex_to_bin(Module14::header_to_hex(std::string(data.bytes(0, 4))));
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

  // The sprite file is its head and its timeline, with the tag length that follows its 6-byte
  // record header; the movie is the top piece, that sprite and the bottom piece, with the file
  // length in the SWF header. Each is a long copy of the timeline, so the sprite file is written
  // beside the movie and its copy: the movie takes the parts of the sprite file and the same
  // patch. An error on either file still reaches the caller, the sprite's first.
  core::yield();
  const std::string top = core::spd_path("sprite_top.dat");
  const std::string timeline = core::spd_path("mp3_data2.dat");
  const std::string sprite = core::spd_path("sprite_mp3.dat");
  const std::string movie = core::spd_path("final.swf");
  std::exception_ptr sprite_error;
  std::thread sprite_writer([&] {
    try {
      patch_u32(sprite, sum(join_files(sprite, {top, timeline})) - 6, 3);
    } catch (...) {
      sprite_error = std::current_exception();
    }
  });
  std::exception_ptr movie_error;
  try {
    const auto parts =
        join_files(movie, {core::spd_path("tp.spd"), top, timeline, core::spd_path("bottom.spd")});
    patch_u32(movie, parts[1] + parts[2] - 6, static_cast<std::int32_t>(parts[0] + 3));
    patch_u32(movie, sum(parts), 5);
  } catch (...) {
    movie_error = std::current_exception();
  }
  if (!movie_error) Module38::copy_file(movie, core::save_path);
  sprite_writer.join();
  if (sprite_error) std::rethrow_exception(sprite_error);
  if (movie_error) std::rethrow_exception(movie_error);
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
