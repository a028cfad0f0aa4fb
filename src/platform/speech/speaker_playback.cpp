#include "platform/speech/speaker_playback.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QMediaDevices>
#include <QTimer>

#include "platform/pcm_audio_format.h"

namespace speech {

bool PlaybackQueue::push(std::string bytes) {
  std::unique_lock lock(lock_);
  changed_.wait(lock, [&] { return bytes_.size() < limit_ || aborted_ || done_; });
  if (aborted_ || done_) return false;
  bytes_ += bytes;
  return true;
}

void PlaybackQueue::finish() {
  std::lock_guard lock(lock_);
  finished_ = true;
}

void PlaybackQueue::abort() {
  std::lock_guard lock(lock_);
  aborted_ = true;
  bytes_.clear();
  changed_.notify_all();
}

void PlaybackQueue::wait() {
  std::unique_lock lock(lock_);
  changed_.wait(lock, [&] { return done_; });
}

std::string PlaybackQueue::take(std::size_t most, std::size_t block) {
  std::lock_guard lock(lock_);
  const std::size_t count = std::min(most, bytes_.size()) / block * block;
  std::string piece = bytes_.substr(0, count);
  bytes_.erase(0, count);
  changed_.notify_all();
  return piece;
}

bool PlaybackQueue::aborted() {
  std::lock_guard lock(lock_);
  return aborted_;
}

bool PlaybackQueue::drained() {
  std::lock_guard lock(lock_);
  return finished_ && bytes_.empty();
}

void PlaybackQueue::mark_done() {
  std::lock_guard lock(lock_);
  done_ = true;
  changed_.notify_all();
}

namespace {

// How long the sound server still plays after the device has taken the last bytes.
constexpr int kTailMs = 150;

QAudioFormat qt_format(const sapi::WaveFormat& format) {
  return platform::pcm_audio_format(format.samples_per_second, format.channels, format.bits_per_sample);
}

// Feeds one queue into an audio sink on the playback thread, then deletes itself.
class SinkFeeder : public QObject {
 public:
  SinkFeeder(std::shared_ptr<PlaybackQueue> queue, const sapi::WaveFormat& format)
      : queue_(std::move(queue)), block_(static_cast<std::size_t>(format.block_align())) {
    sink_ = new QAudioSink(QMediaDevices::defaultAudioOutput(), qt_format(format), this);
    device_ = sink_->start();
    if (!device_ || sink_->error() != QAudio::NoError) {
      end();
      return;
    }
    connect(&timer_, &QTimer::timeout, this, &SinkFeeder::feed);
    timer_.start(10);
  }

 private:
  void feed() {
    if (queue_->aborted()) {
      sink_->stop();
      end();
      return;
    }
    const auto free = static_cast<std::size_t>(std::max<qsizetype>(sink_->bytesFree(), 0));
    const std::string piece = queue_->take(free, block_);
    if (!piece.empty()) device_->write(piece.data(), static_cast<qint64>(piece.size()));
    // Played out once the sink holds nothing more and the server's own buffer had its time.
    if (!tail_started_ && queue_->drained() &&
        (sink_->state() == QAudio::IdleState || sink_->bytesFree() >= sink_->bufferSize())) {
      tail_started_ = true;
      QTimer::singleShot(kTailMs, this, [this] {
        if (done_) return;
        sink_->stop();
        end();
      });
    }
  }

  void end() {
    if (done_) return;
    done_ = true;
    timer_.stop();
    queue_->mark_done();
    deleteLater();
  }

  std::shared_ptr<PlaybackQueue> queue_;
  std::size_t block_;
  QAudioSink* sink_ = nullptr;
  QIODevice* device_ = nullptr;
  QTimer timer_;
  bool tail_started_ = false;
  bool done_ = false;
};

}  // namespace

PlaybackThread::PlaybackThread() {
  context_ = new QObject;
  context_->moveToThread(&thread_);
  QObject::connect(&thread_, &QThread::finished, context_, &QObject::deleteLater);
  thread_.start();
}

PlaybackThread::~PlaybackThread() {
  thread_.quit();
  thread_.wait();
}

std::shared_ptr<PlaybackQueue> PlaybackThread::start(const sapi::WaveFormat& format) {
  // About a second of sound may wait ahead of the device.
  auto queue = std::make_shared<PlaybackQueue>(static_cast<std::size_t>(format.bytes_per_second()));
  const bool posted = QMetaObject::invokeMethod(
      context_, [queue, format] { new SinkFeeder(queue, format); }, Qt::QueuedConnection);
  if (!posted) queue->mark_done();
  return queue;
}

}  // namespace speech
