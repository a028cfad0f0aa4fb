#include "engine/files.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/errors.h"
#include "core/hex.h"
#include "core/hooks.h"

namespace Module16 {

void write_hex_at(const std::string& path, const std::string& hex, std::int32_t position) {
  std::string digits = hex;
  if (digits.size() % 2 == 1) digits = "0" + digits;

  // Open for positional writes without truncating; a missing file is created empty.
  std::FILE* f = std::fopen(path.c_str(), "r+b");
  if (!f) f = std::fopen(path.c_str(), "w+b");
  if (!f) throw core::VbError(75, core::exe_name() + ".write_hex_at", "Path/File access error");

  for (std::size_t i = 0; i < digits.size() / 2; ++i) {
    const int byte = 16 * Module18::hex_digit_val(digits.substr(2 * i, 1)) +
                     Module18::hex_digit_val(digits.substr(2 * i + 1, 1));
    if (position == 0) {
      core::message_box("OFFSET Must not be 0");
      break;
    }
    const long offset = static_cast<long>(position) - 1 + static_cast<long>(i);
    if (offset < 0 || std::fseek(f, offset, SEEK_SET) != 0 || std::fputc(byte, f) == EOF) {
      std::fclose(f);
      throw core::VbError(63, core::exe_name() + ".write_hex_at", "Bad record number");
    }
  }
  std::fclose(f);
}

}  // namespace Module16

namespace Module5 {

void kill_file(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_regular_file(path, ec)) std::filesystem::remove(path, ec);
}

}  // namespace Module5

namespace Module38 {

void copy_file(const std::string& source, const std::string& destination) {
  std::error_code ec;
  std::filesystem::copy_file(source, destination, std::filesystem::copy_options::overwrite_existing, ec);
}

}  // namespace Module38

namespace engine {

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw core::VbError(53, core::exe_name() + ".read_file", "File not found: " + path);
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (!bytes.empty()) in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!in) throw core::VbError(62, core::exe_name() + ".read_file", "Input past end of file: " + path);
  return bytes;
}

void write_file(const std::string& path, const std::string& bytes) {
  Module5::kill_file(path);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw core::VbError(75, core::exe_name() + ".write_file", "Path/File access error: " + path);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw core::VbError(61, core::exe_name() + ".write_file", "Disk full: " + path);
}

void write_at(const std::string& path, const std::string& bytes, std::uint64_t offset) {
  std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
  if (!f) throw core::VbError(75, core::exe_name() + ".write_at", "Path/File access error: " + path);
  f.seekp(static_cast<std::streamoff>(offset));
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!f) throw core::VbError(61, core::exe_name() + ".write_at", "Disk full: " + path);
}

}  // namespace engine
