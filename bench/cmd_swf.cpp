// mellix-bench swf MP3 PIECES_DIR OUT.swf: builds the movie as the Encode step does, in a
// temporary application folder whose spd holds the working pieces of PIECES_DIR.

#include <pthread.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "command.h"
#include "core/paths.h"
#include "core/shared_state.h"
#include "engine/files.h"
#include "engine/final_movie.h"
#include "engine/sound_stream.h"

namespace {

namespace fs = std::filesystem;

// Temporary folders to remove when the command is stopped by a signal.
std::mutex cleanup_lock;
std::vector<fs::path> to_remove;

// Blocks the stopping signals in every thread (those started later inherit the mask) and
// waits for them on a thread of its own, which removes the folders and ends the process.
void remove_on_signal(const fs::path& dir) {
  static const bool started = [] {
    sigset_t set;
    sigemptyset(&set);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&set, sig);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread([set] {
      int sig = 0;
      sigwait(&set, &sig);
      std::lock_guard lock(cleanup_lock);
      for (const auto& d : to_remove) {
        std::error_code ec;
        fs::remove_all(d, ec);
      }
      std::_Exit(128 + sig);
    }).detach();
    return true;
  }();
  (void)started;
  std::lock_guard lock(cleanup_lock);
  to_remove.push_back(dir);
}

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
    remove_on_signal(dir_);
    fs::create_directories(dir_ / "spd");
  }
  ~TempApp() {
    std::lock_guard lock(cleanup_lock);
    std::error_code ec;
    fs::remove_all(dir_, ec);
    to_remove.erase(std::remove(to_remove.begin(), to_remove.end(), dir_), to_remove.end());
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
