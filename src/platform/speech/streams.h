#pragma once

// The output streams a voice speaks into: the speakers, or a WAV file.

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/speech/audio_format.h"

namespace sapi {

/// File modes of SpFileStream.Open.
enum SpeechStreamFileMode : std::int32_t {
  SSFMOpenForRead = 0,
  SSFMOpenReadWrite = 1,
  SSFMCreate = 2,
  SSFMCreateForWrite = 3,
};

/// A stream with an audio format.
class SpBaseStream {
 public:
  virtual ~SpBaseStream() = default;
  SpAudioFormat& Format() { return format_; }
  const SpAudioFormat& Format() const { return format_; }
  /// True for the sound device, false for a file.
  virtual bool is_audio_device() const = 0;

 private:
  SpAudioFormat format_;
};

/// The default sound output (SpMMAudioOut).
class SpMMAudioOut : public SpBaseStream {
 public:
  bool is_audio_device() const override { return true; }
};

/// A WAV file that a voice speaks into (SpFileStream). The header carries the format that
/// Format().Type() holds when the file is opened; the sizes are filled in by Close.
class SpFileStream : public SpBaseStream {
 public:
  ~SpFileStream() override;

  /// Creates the file (modes SSFMCreate and SSFMCreateForWrite; a stream already open is
  /// closed first). Raises an error when the file cannot be created or for a reading mode.
  void Open(const std::string& FileName, SpeechStreamFileMode FileMode = SSFMOpenForRead,
            bool DoEvents = false);
  /// Completes the WAV header and closes the file; nothing when it is not open.
  void Close();

  bool is_open() const;
  bool is_audio_device() const override { return false; }
  /// Appends sound in the stream's format. The voice's speaking thread calls this; a write
  /// to a closed stream raises an error, and so does one that would take the file past what
  /// its header can count (4 GiB), after closing and removing the file.
  void write(std::string_view bytes);
  /// Bytes of sound written since Open.
  std::uint64_t bytes_written() const;

 private:
  void close_locked();

  mutable std::mutex lock_;
  std::FILE* file_ = nullptr;
  std::string path_;
  std::uint64_t data_bytes_ = 0;
};

}  // namespace sapi
