#pragma once

// Reader of 16-bit stereo PCM WAV files for the MP3 encoder: checks the header, finds the
// data chunk and delivers the samples buffer by buffer into a buffer the encoder reads
// directly. Positions and sizes are in stereo frames of 4 bytes unless said otherwise.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

/// The start of a "fmt " chunk (the WAVEFORMATEX layout).
struct WaveFormatInfo {
  std::uint16_t format_tag = 0;
  std::uint16_t channels = 0;
  std::uint32_t samples_per_sec = 0;
  std::uint32_t avg_bytes_per_sec = 0;
  std::uint16_t block_align = 0;
  std::uint16_t bits_per_sample = 0;
  std::uint16_t extra_size = 0;
};

class cWavReader {
 public:
  cWavReader();
  ~cWavReader();
  cWavReader(const cWavReader&) = delete;
  cWavReader& operator=(const cWavReader&) = delete;

  /// Path of the open file, "" when none was accepted.
  const std::string& Filename() const { return filename_; }
  /// Opens and checks the file; the path is kept only when it was accepted.
  void Filename(const std::string& path);

  void CloseFile();
  /// False only for an empty path; every other failure raises 29670 + code.
  bool OpenFile(const std::string& path);
  /// Fills the buffer with the next part of the data chunk; false with the last part.
  bool Read();
  /// Read offset within the data chunk, in bytes.
  std::int32_t BufferStartPosition() const;
  std::int32_t AudioLength() const;
  void SeekAbsolute(std::int32_t frame);
  void SeekRelative(std::int32_t frames);
  std::int32_t ReadBufferSize() const;
  void ReadBufferSize(std::int32_t frames);
  /// Frames delivered by the last Read.
  std::int32_t ReadSize() const;
  std::int16_t* ReadBufferPtr() const { return buffer_.get(); }

  const WaveFormatInfo& format() const { return format_; }

 private:
  void AllocateBuffer();
  void FreeBuffer();
  [[noreturn]] void RaiseReaderError(int code);
  void seek_to(std::int64_t offset);

  std::FILE* file_ = nullptr;
  WaveFormatInfo format_;
  std::int64_t data_start_ = 0;
  std::int64_t data_length_ = 0;
  std::unique_ptr<std::int16_t[]> buffer_;
  std::int64_t read_size_ = 131072;  // bytes per Read
  std::int64_t last_read_ = 0;       // bytes delivered by the last Read
  std::string filename_;
  std::int64_t position_ = 0;  // file offset of the next read
};
