#include "core/paths.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <system_error>

namespace core {

namespace {
std::filesystem::path& override_dir() {
  static std::filesystem::path dir;
  return dir;
}

std::optional<std::filesystem::path> running_executable_dir() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return std::nullopt;
  return exe.parent_path();
}
}  // namespace

std::filesystem::path app_dir() {
  if (!override_dir().empty()) return override_dir();
  static const std::filesystem::path dir = [] {
    auto exe_dir = running_executable_dir();
    return exe_dir ? *exe_dir : std::filesystem::current_path();
  }();
  return dir;
}

std::filesystem::path executable_dir() {
  auto exe_dir = running_executable_dir();
  return exe_dir ? *exe_dir : app_dir();
}

void set_app_dir(const std::filesystem::path& dir) { override_dir() = dir; }

std::string spd_path(const std::string& relative) { return (app_dir() / "spd" / relative).string(); }

std::string spd_back_path(const std::string& relative) {
  return (app_dir() / "spd_back" / relative).string();
}

bool hold_data_folder() {
  static int held = -1;
  if (held >= 0) return true;
  // A lock on the folder itself leaves no file behind. It is flock's, which belongs to this
  // open descriptor: a lock of fcntl's would go as soon as the process closed any other
  // descriptor of the folder (a listing of it). Close-on-exec keeps it out of the web
  // engine's helper processes, which may outlive the program for a moment.
  const int fd = ::open(spd_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return true;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool taken = errno == EWOULDBLOCK;
    ::close(fd);
    return !taken;
  }
  held = fd;  // open for the life of the process: closing it would let go of the hold
  return true;
}

std::string drive_c_path(const std::string& name) {
  const char* home = std::getenv("HOME");
  std::filesystem::path base = (home && *home) ? home : "/tmp";
  return (base / name).string();
}

}  // namespace core
