#pragma once

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace datagen {

/// Writes one file of the data tree, creating its folders.
inline void write_file(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace datagen
