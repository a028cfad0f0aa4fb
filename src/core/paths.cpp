#include "core/paths.h"

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

std::string drive_c_path(const std::string& name) {
  const char* home = std::getenv("HOME");
  std::filesystem::path base = (home && *home) ? home : "/tmp";
  return (base / name).string();
}

}  // namespace core
