#include "core/safe_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>
#include <set>
#include <vector>

#include "core/errors.h"

namespace fs = std::filesystem;

namespace core {

namespace {

[[noreturn]] void fail(long number, const std::string& procedure, const std::string& what) {
  throw core::VbError(number, core::exe_name() + "." + procedure, what);
}

std::string reason() { return std::strerror(errno); }

// Temporary files of the FileBesides alive, for remove_part_files.
std::mutex& parts_lock() {
  static std::mutex lock;
  return lock;
}
std::set<std::string>& live_parts() {
  static std::set<std::string> parts;
  return parts;
}

// Creates a temporary file and notes it in one step, as remove_part_files sees it.
int create_part(const fs::path& path) {
  std::lock_guard lock(parts_lock());
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  const int error = errno;
  if (fd >= 0) live_parts().insert(path.string());
  errno = error;
  return fd;
}

}  // namespace

bool same_file(const std::string& a, const std::string& b) {
  struct stat first {};
  struct stat second {};
  if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0) return false;
  return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

void refuse_same_file(const std::string& input, const std::string& output, const std::string& procedure) {
  if (same_file(input, output))
    fail(75, procedure,
         "The output " + output + " is the source file " + input + " itself; choose another path");
}

int open_regular_file(const std::string& path, const std::string& procedure) {
  // O_NONBLOCK: opening a pipe that has no writer must not wait for one.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) fail(53, procedure, "File not found: " + path);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    const bool folder = S_ISDIR(info.st_mode);
    ::close(fd);
    fail(75, procedure, path + (folder ? " is a folder, not a file" : " is not a regular file"));
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

FileBeside::FileBeside(const std::string& target, const std::string& procedure) : procedure_(procedure) {
  // A link is followed, so the file it names is replaced and the link stays.
  std::error_code ec;
  fs::path resolved = fs::weakly_canonical(target, ec);
  if (ec) resolved = target;
  const auto status = fs::status(resolved, ec);
  if (fs::exists(status) && !fs::is_regular_file(status))
    fail(75, procedure, target + " is not a regular file; it is left as it is");
  if (!resolved.has_filename()) fail(75, procedure, target + " names a folder, not a file");
  target_ = resolved.string();

  // The temporary name is the target's with a dot before and a random tail after; for a name
  // near the folder's limit the target's part is cut short, so any name the target may have
  // fits beside it too.
  const fs::path folder = resolved.parent_path();
  const long limit = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
  const std::size_t name_max = limit > 0 ? static_cast<std::size_t>(limit) : NAME_MAX;
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string tail = ".part-" + std::to_string(random());
    std::string name = resolved.filename().string();
    if (1 + name.size() + tail.size() > name_max)
      name.resize(name_max > 1 + tail.size() ? name_max - 1 - tail.size() : 0);
    const fs::path candidate = folder / ("." + name + tail);
    const int fd = create_part(candidate);
    if (fd >= 0) {
      ::close(fd);
      temporary_ = candidate.string();
      return;
    }
    if (errno != EEXIST) break;
  }
  fail(75, procedure, "Path/File access error: cannot write beside " + target + " (" + reason() + ")");
}

FileBeside::~FileBeside() {
  if (committed_) return;
  std::lock_guard lock(parts_lock());
  ::unlink(temporary_.c_str());
  live_parts().erase(temporary_);
}

void FileBeside::commit() {
  std::lock_guard lock(parts_lock());
  if (::rename(temporary_.c_str(), target_.c_str()) != 0)
    fail(75, procedure_, "Path/File access error: cannot replace " + target_ + " (" + reason() + ")");
  live_parts().erase(temporary_);
  committed_ = true;
}

void remove_part_files() {
  parts_lock().lock();  // never unlocked: the process ends next
  for (const std::string& path : live_parts()) ::unlink(path.c_str());
}

void copy_whole_file(const std::string& source, const std::string& destination,
                     const std::string& procedure) {
  refuse_same_file(source, destination, procedure);
  const int in = open_regular_file(source, procedure);
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } in_closer{in};

  FileBeside out(destination, procedure);
  const int fd = ::open(out.path().c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) fail(75, procedure, "Path/File access error: " + destination + " (" + reason() + ")");
  Closer out_closer{fd};

  std::vector<char> buffer(std::size_t{1} << 20);
  for (;;) {
    const ssize_t got = ::read(in, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) fail(57, procedure, "Device I/O error: " + source + " (" + reason() + ")");
    if (got == 0) break;
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = ::write(fd, buffer.data() + done, static_cast<std::size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) {
        const bool full = put == 0 || errno == ENOSPC || errno == EDQUOT || errno == EFBIG;
        fail(full ? 61 : 75, procedure,
             (full ? "Disk full: " : "Path/File access error: ") + destination + " (" + reason() + ")");
      }
      done += put;
    }
  }
  out_closer.fd = -1;
  if (::close(fd) != 0) fail(61, procedure, "Disk full: " + destination + " (" + reason() + ")");
  out.commit();
}

}  // namespace core
