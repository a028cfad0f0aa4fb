#pragma once

// Helpers shared by the tests: a temporary application folder, recorded message boxes,
// and running the reference command-line tools.

#include <sys/resource.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

/// A fresh folder under the system temp dir, removed on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

/// A temporary application folder: a copy of the build's spd/ and spd_back/ when they
/// exist (else an empty spd/), installed as core's app_dir for the fixture's lifetime,
/// with HOME pointing inside it so drive-C paths land there too.
class TempAppDir {
 public:
  TempAppDir();
  ~TempAppDir();
  const std::filesystem::path& path() const { return dir_.path(); }
  std::string spd(const std::string& relative = {}) const;

 private:
  TempDir dir_;
  std::string old_home_;
};

/// Records every message box shown while it lives.
class MessageBoxRecorder {
 public:
  MessageBoxRecorder();  // questions are recorded among the messages and answered with `answer`
  ~MessageBoxRecorder();
  bool answer = true;
  const std::vector<std::pair<std::string, std::string>>& shown() const;  // (text, title)
  std::vector<std::string> texts() const;
};

/// While it lives, writes past `bytes` of a file fail as on a full disk (SIGXFSZ ignored).
struct FileSizeLimit {
  explicit FileSizeLimit(rlim_t bytes);
  ~FileSizeLimit();
  rlimit old_limit{};
  void (*old_handler)(int);
};

/// Runs a shell command; returns its exit status. Output goes to the test log.
int run(const std::string& command);
/// Runs a shell command and returns its standard output.
std::string capture(const std::string& command);
/// Single-quotes a path for the shell.
std::string quote(const std::string& text);

std::string read_bytes(const std::string& path);
void write_bytes(const std::string& path, const std::string& bytes);

/// The build folder (executable, spd/, Ruffle files) and the source tree.
std::filesystem::path build_dir();
std::filesystem::path source_dir();

}  // namespace testsupport
