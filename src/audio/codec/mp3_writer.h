#pragma once

// Output side of the MP3 encoder: a buffer the encoder writes into and the file that the
// buffer's first bytes are appended to on request.

#include <cstdint>
#include <memory>
#include <string>

class cMp3Writer {
 public:
  cMp3Writer();
  ~cMp3Writer();
  cMp3Writer(const cMp3Writer&) = delete;
  cMp3Writer& operator=(const cMp3Writer&) = delete;

  void CloseFile();
  /// Closes any open file, keeps the path, allocates the buffer if there is none, and
  /// creates the file anew (an existing one is emptied).
  void Filename(const std::string& path);
  const std::string& Filename() const { return filename_; }
  std::int32_t BufferSize() const { return buffer_size_; }
  /// Replaces the buffer with a zeroed one of `bytes` bytes.
  void BufferSize(std::int32_t bytes);
  std::uint8_t* BufferPointer() const { return buffer_.get(); }
  /// Appends the buffer's first `count` bytes to the file; returns the bytes written.
  std::int32_t WriteBufferToFile(std::int32_t count);

 private:
  void OpenFile(const std::string& path);
  void AllocateBuffer(std::int32_t bytes);
  void FreeBuffer();
  [[noreturn]] void RaiseWriterError(const std::string& procedure, int code);

  std::unique_ptr<std::uint8_t[]> buffer_;
  std::string filename_;
  std::int32_t buffer_size_ = 8192;
  int file_ = -1;  // descriptor, -1 when none
};
