#pragma once

// Plays one speech stream on the default sound output. The speaking thread pushes sound in;
// a thread of its own feeds the sound device, so a busy user-interface thread never starves
// the speakers.

#include <QThread>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/speech/audio_format.h"

namespace speech {

/// The sound between the speaking thread and the device (thread-safe).
class PlaybackQueue {
 public:
  explicit PlaybackQueue(std::size_t limit) : limit_(limit) {}

  /// Appends sound, waiting while the queue holds its limit; false once the playback was
  /// aborted or has ended.
  bool push(std::string bytes);
  /// No more sound will come.
  void finish();
  /// Stops at once: the queued sound is dropped and the device stopped.
  void abort();
  /// Waits until the sound has been played out, or the playback aborted or failed.
  void wait();

  // The device's side.
  std::string take(std::size_t most, std::size_t block);
  bool aborted();
  bool drained();  // finished and nothing left
  void mark_done();

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  std::string bytes_;
  std::size_t limit_;
  bool finished_ = false;
  bool aborted_ = false;
  bool done_ = false;
};

/// The thread that drives the sound device for the speech streams of one voice.
class PlaybackThread {
 public:
  PlaybackThread();
  ~PlaybackThread();
  PlaybackThread(const PlaybackThread&) = delete;
  PlaybackThread& operator=(const PlaybackThread&) = delete;

  /// Starts playing a stream in `format` from a new queue. With no sound device the queue
  /// is marked done at once (the sound goes nowhere).
  std::shared_ptr<PlaybackQueue> start(const sapi::WaveFormat& format);

 private:
  QThread thread_;
  QObject* context_ = nullptr;  // lives in thread_
};

}  // namespace speech
