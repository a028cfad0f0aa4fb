#pragma once

// Writes the sound stream's timeline in order through two large buffers: one fills while the
// other is written by one thread per file, so splicing and writing the body of a long sound
// overlap. Each buffer goes to the file and to every mirror, at the mirror's own offset.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace engine {

class BackgroundFile {
 public:
  BackgroundFile() = default;
  BackgroundFile(const BackgroundFile&) = delete;
  BackgroundFile& operator=(const BackgroundFile&) = delete;
  /// Waits for the buffer being written and closes what is still open; reports nothing.
  ~BackgroundFile();

  /// The file itself, created anew. Throws core::VbError (75) when it cannot be opened.
  void open(const std::string& path);
  /// Another file, which must exist, that takes the timeline from byte `offset` (0-based) on.
  void add_mirror(const std::string& path, std::uint64_t offset);

  /// Writes `bytes` at the 0-based timeline `offset`; writes in order are gathered.
  void write_at(std::int64_t offset, std::string_view bytes);

  /// Writes what is left and closes every file; a failed write or close throws
  /// core::VbError (61).
  void close();

 private:
  static constexpr std::size_t kBufferSize = 1 << 20;

  struct Target {
    std::string path;
    std::int64_t base = 0;  // where the timeline starts in the file
    int fd = -1;
  };

  void add(const std::string& path, std::int64_t base, int flags);
  [[noreturn]] static void disk_full(const std::string& path);
  bool write_out(std::size_t i, std::int64_t offset) const;
  void run(std::size_t i);
  void submit(bool in_background = true);
  void wait();

  std::vector<Target> targets_;
  std::string filling_;
  std::string writing_;
  std::int64_t start_ = 0;       // timeline offset of the filling buffer
  std::int64_t filled_end_ = 0;  // timeline offset just after it

  std::vector<std::thread> workers_;
  std::mutex mutex_;
  std::condition_variable work_;
  std::condition_variable done_;
  std::uint64_t generation_ = 0;  // buffers handed over so far
  std::int64_t job_offset_ = 0;
  std::size_t remaining_ = 0;  // workers still writing the current buffer
  std::string failed_;         // the file whose write failed
  bool stopping_ = false;
};

}  // namespace engine
