// Feeds arbitrary bytes to the whole movie build as a source file on disk: reading the file,
// the sync search, the frame walk, the stream writer, the assembly of final.swf and its copy to
// the save path, and the play time the file page shows. The save path must end up holding the
// whole movie, or, after an error, what it held before; nothing written beside it may stay.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/errors.h"
#include "core/hex.h"
#include "core/hooks.h"
#include "core/paths.h"
#include "core/shared_state.h"
#include "engine/final_movie.h"
#include "fuzz_files.h"

namespace {

namespace fs = std::filesystem;
using fuzz::read;
using fuzz::write;

// A private application folder in memory with minimal pieces: an SWF header, a sprite header
// with its eight-byte sound slot, and the End tag.
fs::path set_up_app_dir() {
  static bool done = false;
  const fs::path& dir = fuzz::work_dir("movie", {"spd", "out"});
  if (!done) {
    done = true;
    write(dir / "spd" / "tp.spd", std::string("FWS\x06\0\0\0\0\x50\x00\x00\x18\x01\x00", 14));
    write(dir / "spd" / "middle.spd",
          std::string("\xFF\x09\0\0\0\0\x01\x00\x01\x00", 10) + std::string(8, '\0'));
    write(dir / "spd" / "bottom.spd", std::string("\x40\x00\x00\x00", 4));
    core::set_app_dir(dir);
    core::set_message_box_hook([](const std::string&, const std::string&) {});
  }
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const fs::path dir = set_up_app_dir();
  const fs::path source = dir / "source.mp3";
  const fs::path saved = dir / "out" / "movie.swf";
  write(source, std::string(reinterpret_cast<const char*>(bytes), size));
  const bool had_old = size % 2 == 0;  // half the runs replace an older file
  std::error_code ec;
  fs::remove(saved, ec);
  if (had_old) write(saved, "old movie");
  core::source_filename = source.string();
  core::save_path = saved.string();

  bool built = true;
  try {
    Module12::make_final_swf();
  } catch (const core::VbError&) {
    built = false;
  }
  // The file page's measure of the same file: its frames and any VBR header in the first.
  const engine::PlayTime play = engine::play_time(source.string());
  if (play.frames > 0 && !(play.seconds() > 0)) std::abort();

  if (built) {
    const std::string movie = read(saved);
    if (movie != read(dir / "spd" / "final.swf")) std::abort();
    if (movie.size() < 8 || core::get_u32le(movie, 4) != movie.size()) std::abort();
  } else if (had_old ? read(saved) != "old movie" : fs::exists(saved)) {
    std::abort();
  }
  // Only the movie itself may stand in its folder.
  for (const auto& entry : fs::directory_iterator(dir / "out"))
    if (entry.path() != saved) std::abort();
  return 0;
}
