#include "audio/codec/mp3_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "core/errors.h"

namespace {

std::string writer_error_text(int code) {
  switch (code) {
    case 1:
      return "Unable to allocate output buffer for writing";
    case 2:
      return "Unable to open file for writing";
    case 3:
      return "Cannot write more data than is available in the buffer";
    case 4:
      return "File not open for writing";
    case 5:
      return "Failed to write buffer to file";
    default:
      return "";
  }
}

}  // namespace

cMp3Writer::cMp3Writer() = default;

cMp3Writer::~cMp3Writer() {
  core::ignore_errors([this] { FreeBuffer(); });
  core::ignore_errors([this] { CloseFile(); });
}

void cMp3Writer::CloseFile() {
  if (file_ < 0) return;
  ::close(file_);
  file_ = -1;
}

void cMp3Writer::Filename(const std::string& path) {
  CloseFile();
  filename_ = path;
  if (!buffer_) AllocateBuffer(buffer_size_);
  OpenFile(path);
}

void cMp3Writer::BufferSize(std::int32_t bytes) {
  FreeBuffer();
  AllocateBuffer(bytes);
  buffer_size_ = bytes;
}

std::int32_t cMp3Writer::WriteBufferToFile(std::int32_t count) {
  if (count > buffer_size_) RaiseWriterError("WriteBufferToFile", 3);
  if (file_ < 0 || !buffer_) RaiseWriterError("WriteBufferToFile", 4);
  if (count < 0) RaiseWriterError("WriteBufferToFile", 5);

  // The file takes all of it or the write failed.
  std::size_t done = 0;
  const auto wanted = static_cast<std::size_t>(count);
  while (done < wanted) {
    const ssize_t n = ::write(file_, buffer_.get() + done, wanted - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) RaiseWriterError("WriteBufferToFile", 5);
    done += static_cast<std::size_t>(n);
  }
  return count;
}

void cMp3Writer::OpenFile(const std::string& path) {
  file_ = path.empty() ? -1 : ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (file_ < 0) RaiseWriterError("OpenFile", 2);
}

void cMp3Writer::AllocateBuffer(std::int32_t bytes) {
  if (bytes < 0) RaiseWriterError("AllocateBuffer", 1);
  buffer_.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(bytes) + 1]());
  if (!buffer_) RaiseWriterError("AllocateBuffer", 1);
}

void cMp3Writer::FreeBuffer() { buffer_.reset(); }

void cMp3Writer::RaiseWriterError(const std::string& procedure, int code) {
  throw core::VbError(29870 + code, core::exe_name() + "." + procedure, writer_error_text(code));
}
