// Files for the fuzz targets that work on disk: one private working folder per process, in
// memory where it can be, removed when the process ends.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>

namespace fuzz {

namespace fs = std::filesystem;

inline std::string read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void write(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

/// The folder mellix-fuzz-<target>-<pid>, made on the first call with `folders` inside it.
/// Later calls return it as it is.
inline const fs::path& work_dir(const std::string& target, std::initializer_list<const char*> folders = {}) {
  // Made before the exit handler is registered, so it still exists when the handler runs.
  static fs::path dir;
  if (dir.empty()) {
    const fs::path base = fs::exists("/dev/shm") ? "/dev/shm" : fs::temp_directory_path();
    dir = base / ("mellix-fuzz-" + target + "-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    for (const char* folder : folders) fs::create_directories(dir / folder);
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(dir, ec);
    });
  }
  return dir;
}

}  // namespace fuzz
