#include "engine/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/errors.h"
#include "core/hex.h"
#include "core/hooks.h"
#include "core/safe_files.h"

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
  const int fd = core::open_regular_file(path, "read_file");
  std::string bytes;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && info.st_size > 0) bytes.reserve(static_cast<std::size_t>(info.st_size));
  char block[1 << 16];
  for (;;) {
    const ssize_t got = ::read(fd, block, sizeof block);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ::close(fd);
      if (got < 0) throw core::VbError(57, core::exe_name() + ".read_file", "Device I/O error: " + path);
      return bytes;
    }
    bytes.append(block, static_cast<std::size_t>(got));
  }
}

void write_file(const std::string& path, const std::string& bytes) {
  // Written beside the path and renamed onto it, so a failed write leaves no torn file.
  core::FileBeside file(path, "write_file");
  std::ofstream out(file.path(), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw core::VbError(61, core::exe_name() + ".write_file", "Disk full: " + path);
  file.commit();
}

void write_at(const std::string& path, const std::string& bytes, std::uint64_t offset) {
  std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
  if (!f) throw core::VbError(75, core::exe_name() + ".write_at", "Path/File access error: " + path);
  f.seekp(static_cast<std::streamoff>(offset));
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!f) throw core::VbError(61, core::exe_name() + ".write_at", "Disk full: " + path);
}

}  // namespace engine
