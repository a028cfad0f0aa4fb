#include "engine/background_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <utility>

#include "core/errors.h"

namespace engine {

BackgroundFile::~BackgroundFile() {
  {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&] { return remaining_ == 0; });
    stopping_ = true;
  }
  work_.notify_all();
  for (auto& w : workers_) w.join();
  for (auto& t : targets_)
    if (t.fd >= 0) ::close(t.fd);
}

void BackgroundFile::open(const std::string& path) {
  add(path, 0, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC);
  filling_.reserve(kBufferSize);
  writing_.reserve(kBufferSize);
}

void BackgroundFile::add_mirror(const std::string& path, std::uint64_t offset) {
  add(path, static_cast<std::int64_t>(offset), O_WRONLY | O_CLOEXEC);
}

void BackgroundFile::write_at(std::int64_t offset, std::string_view bytes) {
  if (offset != filled_end_) {
    submit(false);
    start_ = filled_end_ = offset;
  }
  filling_.append(bytes);
  filled_end_ += static_cast<std::int64_t>(bytes.size());
  if (filling_.size() >= kBufferSize) submit();
}

void BackgroundFile::close() {
  submit(false);
  for (auto& t : targets_)
    if (::close(std::exchange(t.fd, -1)) != 0) disk_full(t.path);
}

void BackgroundFile::add(const std::string& path, std::int64_t base, int flags) {
  targets_.push_back({path, base, ::open(path.c_str(), flags, 0666)});
  if (targets_.back().fd < 0)
    throw core::VbError(75, core::exe_name() + ".write_mp3_data", "Path/File access error: " + path);
}

void BackgroundFile::disk_full(const std::string& path) {
  throw core::VbError(61, core::exe_name() + ".save_mp3_data", "Disk full: " + path);
}

// Writes the buffer in writing_ at timeline offset `offset` of target i.
bool BackgroundFile::write_out(std::size_t i, std::int64_t offset) const {
  const Target& t = targets_[i];
  for (std::size_t done = 0; done < writing_.size();) {
    const ssize_t put = ::pwrite(t.fd, writing_.data() + done, writing_.size() - done,
                                 static_cast<off_t>(t.base + offset) + static_cast<off_t>(done));
    if (put <= 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return true;
}

// Worker of target i: writes each buffer handed over, until the file is done with.
void BackgroundFile::run(std::size_t i) {
  std::uint64_t seen = 0;
  for (;;) {
    std::int64_t offset = 0;
    {
      std::unique_lock lock(mutex_);
      work_.wait(lock, [&] { return stopping_ || generation_ != seen; });
      if (generation_ == seen) return;
      seen = generation_;
      offset = job_offset_;
    }
    const bool ok = write_out(i, offset);
    std::lock_guard lock(mutex_);
    if (!ok && failed_.empty()) failed_ = targets_[i].path;
    if (--remaining_ == 0) done_.notify_all();
  }
}

// Hands the filled buffer to the workers, or writes it here when `in_background` is false.
void BackgroundFile::submit(bool in_background) {
  wait();
  if (filling_.empty()) return;
  std::swap(filling_, writing_);
  filling_.clear();
  const std::int64_t offset = start_;
  start_ = filled_end_;
  if (!in_background) {
    for (std::size_t i = 0; i < targets_.size(); ++i)
      if (!write_out(i, offset)) disk_full(targets_[i].path);
    return;
  }
  // The workers start with the first full buffer: a short timeline needs none.
  if (workers_.empty())
    for (std::size_t i = 0; i < targets_.size(); ++i) workers_.emplace_back([this, i] { run(i); });
  {
    std::lock_guard lock(mutex_);
    job_offset_ = offset;
    remaining_ = targets_.size();
    ++generation_;
  }
  work_.notify_all();
}

// Waits for the buffer being written; a failed write raises the error here.
void BackgroundFile::wait() {
  std::unique_lock lock(mutex_);
  done_.wait(lock, [&] { return remaining_ == 0; });
  if (!failed_.empty()) disk_full(std::exchange(failed_, {}));
}

}  // namespace engine
