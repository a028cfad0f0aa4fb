#pragma once

// One open wave-audio device: the sound it holds, and the recording or playback under way.
// It works on the event loop of the thread that opened it.

#include <QAudioSink>
#include <QAudioSource>
#include <QBuffer>
#include <QByteArray>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/mci/wave_file.h"

namespace platform::mci {

enum class TimeFormat { milliseconds, bytes, samples };

class WaveDevice {
 public:
  /// A new, empty recording in the default format.
  WaveDevice() = default;
  /// A device holding the sound of a file.
  WaveDevice(const WaveFormat& format, const std::string& pcm);
  ~WaveDevice();
  WaveDevice(const WaveDevice&) = delete;
  WaveDevice& operator=(const WaveDevice&) = delete;

  const WaveFormat& format() const { return format_; }
  /// What the device is doing, as "status ... mode" answers: "recording", "playing", "paused"
  /// or "stopped".
  const char* mode() const;
  /// Takes a new format; refused while busy, or when it differs from the sound already held.
  std::uint32_t set_format(const WaveFormat& format);
  TimeFormat time_format = TimeFormat::milliseconds;

  /// Each returns at once with 0 or an error code; the device goes on in the background.
  std::uint32_t record();
  std::uint32_t play(std::int64_t from);  // from: a position in the time format, or -1
  std::uint32_t stop();
  std::uint32_t pause();
  std::uint32_t resume();
  std::uint32_t save(const std::string& path);

 private:
  enum class Mode { stopped, recording, recording_paused, playing, playing_paused };

  bool busy() const { return mode_ != Mode::stopped; }
  void collect();  // moves what the microphone has delivered into the sound
  void end_playback();

  WaveFormat format_;
  QByteArray pcm_;
  Mode mode_ = Mode::stopped;
  std::unique_ptr<QAudioSource> source_;
  QIODevice* source_io_ = nullptr;
  std::unique_ptr<QAudioSink> sink_;
  QBuffer play_buffer_;
  qint64 play_start_ = 0;  // byte offset where the current playback began
};

}  // namespace platform::mci
