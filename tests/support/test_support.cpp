#include "support/test_support.h"

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "core/hooks.h"
#include "core/paths.h"

namespace testsupport {

namespace fs = std::filesystem;

FileSizeLimit::FileSizeLimit(rlim_t bytes) : old_handler(std::signal(SIGXFSZ, SIG_IGN)) {
  ::getrlimit(RLIMIT_FSIZE, &old_limit);
  rlimit limit = old_limit;
  limit.rlim_cur = bytes;
  ::setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
  ::setrlimit(RLIMIT_FSIZE, &old_limit);
  std::signal(SIGXFSZ, old_handler);
}

TempDir::TempDir() {
  std::string name = (fs::temp_directory_path() / "mellix-test-XXXXXX").string();
  if (!mkdtemp(name.data())) throw std::runtime_error("cannot create a temporary folder");
  path_ = name;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

TempAppDir::TempAppDir() {
  const auto build = build_dir();
  for (const char* tree : {"spd", "spd_back"}) {
    if (fs::exists(build / tree)) fs::copy(build / tree, dir_.path() / tree, fs::copy_options::recursive);
  }
  fs::create_directories(dir_.path() / "spd");
  fs::create_directories(dir_.path() / "home");
  core::set_app_dir(dir_.path());
  if (const char* home = std::getenv("HOME")) old_home_ = home;
  setenv("HOME", (dir_.path() / "home").c_str(), 1);
}

TempAppDir::~TempAppDir() {
  core::set_app_dir({});
  setenv("HOME", old_home_.c_str(), 1);
}

std::string TempAppDir::spd(const std::string& relative) const {
  return (dir_.path() / "spd" / relative).string();
}

namespace {
std::vector<std::pair<std::string, std::string>>& recorded() {
  static std::vector<std::pair<std::string, std::string>> boxes;
  return boxes;
}
}  // namespace

MessageBoxRecorder::MessageBoxRecorder() {
  recorded().clear();
  core::set_message_box_hook(
      [](const std::string& text, const std::string& title) { recorded().emplace_back(text, title); });
  core::set_question_box_hook([this](const std::string& text, const std::string& title) {
    recorded().emplace_back(text, title);
    return answer;
  });
}

MessageBoxRecorder::~MessageBoxRecorder() {
  core::set_message_box_hook({});
  core::set_question_box_hook({});
}

const std::vector<std::pair<std::string, std::string>>& MessageBoxRecorder::shown() const {
  return recorded();
}

std::vector<std::string> MessageBoxRecorder::texts() const {
  std::vector<std::string> out;
  for (const auto& box : recorded()) out.push_back(box.first);
  return out;
}

int run(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string capture(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  std::array<char, 4096> buf;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0) out.append(buf.data(), n);
  pclose(pipe);
  return out;
}

std::string quote(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  return out + "'";
}

std::string read_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void write_bytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

fs::path build_dir() { return MELLIX_BUILD_DIR; }
fs::path source_dir() { return MELLIX_SOURCE_DIR; }

}  // namespace testsupport
