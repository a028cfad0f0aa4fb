// mellix-bench swf MP3 PIECES_DIR OUT.swf: builds the movie as the Encode step does, in a
// temporary application folder whose spd holds the working pieces of PIECES_DIR.

#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "command.h"
#include "core/paths.h"
#include "core/shared_state.h"
#include "engine/files.h"
#include "engine/final_movie.h"
#include "engine/sound_stream.h"

namespace {

namespace fs = std::filesystem;

// A temporary application folder, removed when the command ends, also by a signal.
class TempApp {
 public:
  TempApp() {
    std::random_device random;
    for (int attempt = 0; attempt < 100 && dir_.empty(); ++attempt) {
      const fs::path candidate = fs::temp_directory_path() / ("mellix-bench-" + std::to_string(random()));
      std::error_code ec;
      if (fs::create_directory(candidate, ec)) dir_ = candidate;
    }
    if (dir_.empty()) throw std::runtime_error("cannot create a temporary folder");
    bench::remove_on_signal(dir_);
    fs::create_directories(dir_ / "spd");
  }
  ~TempApp() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
    bench::forget_on_signal(dir_);
  }
  const fs::path& path() const { return dir_; }

 private:
  fs::path dir_;
};

bench::Registrar reg("swf", "MP3 PIECES_DIR OUT.swf", [](const std::vector<std::string>& args) -> int {
  if (args.size() != 3) {
    std::cerr << "usage: mellix-bench swf MP3 PIECES_DIR OUT.swf\n";
    return 2;
  }
  TempApp app;
  for (const char* piece : {"tp.spd", "middle.spd", "bottom.spd"})
    engine::write_file(app.path() / "spd" / piece, engine::read_file(fs::path(args[1]) / piece));
  core::set_app_dir(app.path());
  core::source_filename = args[0];
  core::save_path = args[2];

  // Failures, a refused save path or a failed copy included, reach main as errors.
  Module12::make_final_swf();

  const auto size = fs::file_size(args[2]);
  std::cerr << args[2] << ": " << size << " bytes, " << Module25::frame_count << " MP3 frames\n";
  return 0;
});

}  // namespace
