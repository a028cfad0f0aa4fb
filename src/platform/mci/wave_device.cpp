#include "platform/mci/wave_device.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QMediaDevices>
#include <algorithm>

#include "platform/mci/mci.h"
#include "platform/pcm_audio_format.h"

namespace platform::mci {

namespace {
QAudioFormat to_qt(const WaveFormat& format) {
  return pcm_audio_format(format.samples_per_sec, format.channels, format.bits_per_sample);
}
}  // namespace

WaveDevice::WaveDevice(const WaveFormat& format, const std::string& pcm)
    : format_(format), pcm_(pcm.data(), static_cast<qsizetype>(pcm.size())) {}

WaveDevice::~WaveDevice() { stop(); }

const char* WaveDevice::mode() const {
  switch (mode_) {
    case Mode::recording:
      return "recording";
    case Mode::playing:
      return "playing";
    case Mode::recording_paused:
    case Mode::playing_paused:
      return "paused";
    case Mode::stopped:
      break;
  }
  return "stopped";
}

std::uint32_t WaveDevice::set_format(const WaveFormat& format) {
  const bool same =
      format.channels == format_.channels && format.samples_per_sec == format_.samples_per_sec &&
      format.bits_per_sample == format_.bits_per_sample && format.block_align == format_.block_align;
  if (same) return 0;
  if (busy()) return mci_error::kBusy;
  if (!pcm_.isEmpty()) return mci_error::kFormatLocked;
  format_ = format;
  return 0;
}

std::uint32_t WaveDevice::record() {
  if (mode_ == Mode::recording) return 0;
  if (mode_ == Mode::recording_paused) return resume();
  if (busy()) return mci_error::kBusy;
  if (!format_.is_playable()) return mci_error::kFormatNotSupported;

  const QAudioDevice input = QMediaDevices::defaultAudioInput();
  if (input.isNull()) return mci_error::kNoInputDevice;
  const QAudioFormat qt_format = to_qt(format_);
  if (!input.isFormatSupported(qt_format)) return mci_error::kFormatNotSupported;

  // Pull mode: the microphone's data is appended as it arrives, on this thread's event loop.
  source_ = std::make_unique<QAudioSource>(input, qt_format);
  source_io_ = source_->start();
  if (!source_io_ || source_->error() != QAudio::NoError) {
    source_.reset();
    source_io_ = nullptr;
    return mci_error::kDeviceFailed;
  }
  QObject::connect(source_io_, &QIODevice::readyRead, source_.get(), [this] { collect(); });
  mode_ = Mode::recording;
  return 0;
}

void WaveDevice::collect() {
  if (source_io_) pcm_.append(source_io_->readAll());
}

std::uint32_t WaveDevice::play(std::int64_t from) {
  if (mode_ == Mode::recording || mode_ == Mode::recording_paused) return mci_error::kBusy;
  if (!format_.is_playable()) return mci_error::kFormatNotSupported;

  const QAudioDevice output = QMediaDevices::defaultAudioOutput();
  if (output.isNull()) return mci_error::kNoOutputDevice;
  const QAudioFormat qt_format = to_qt(format_);
  if (!output.isFormatSupported(qt_format)) return mci_error::kFormatNotSupported;

  // Where to start: the given position, else where the last playback stopped.
  qint64 start = -1;
  if (from >= 0) {
    const std::int64_t frames = time_format == TimeFormat::milliseconds
                                    ? from * format_.samples_per_sec / 1000
                                : time_format == TimeFormat::samples ? from
                                                                     : from / format_.block_align;
    start = frames * format_.block_align;
    if (start > pcm_.size()) return mci_error::kBadParameter;
  }
  end_playback();
  if (!play_buffer_.isOpen()) {
    play_buffer_.setBuffer(&pcm_);
    play_buffer_.open(QIODevice::ReadOnly);
  }
  if (start < 0) {
    // Once the last playback reached the end, a plain play starts the sound again.
    start = play_buffer_.pos();
    if (start >= pcm_.size()) start = 0;
  } else if (start == pcm_.size()) {
    // From the end there is nothing left to play.
    play_buffer_.seek(start);
    mode_ = Mode::stopped;
    return 0;
  }
  play_buffer_.seek(start);
  play_start_ = start;
  sink_ = std::make_unique<QAudioSink>(output, qt_format);
  // At the end of the sound the sink falls idle; it stays open so its last buffer plays out.
  QObject::connect(sink_.get(), &QAudioSink::stateChanged, sink_.get(), [this](QAudio::State state) {
    if (state == QAudio::IdleState && play_buffer_.atEnd() && mode_ == Mode::playing) mode_ = Mode::stopped;
  });
  sink_->start(&play_buffer_);
  if (sink_->error() != QAudio::NoError) {
    end_playback();
    return mci_error::kDeviceFailed;
  }
  mode_ = Mode::playing;
  return 0;
}

void WaveDevice::end_playback() {
  if (sink_) {
    // The buffer has been read ahead of the sound; go on later from what was played.
    const qint64 frames = sink_->processedUSecs() * format_.samples_per_sec / 1'000'000;
    play_buffer_.seek(std::min<qint64>(play_start_ + frames * format_.block_align, pcm_.size()));
    sink_->stop();
    sink_.reset();
  }
}

std::uint32_t WaveDevice::stop() {
  if (source_) {
    collect();
    source_->stop();
    source_.reset();
    source_io_ = nullptr;
  }
  end_playback();
  mode_ = Mode::stopped;
  return 0;
}

std::uint32_t WaveDevice::pause() {
  if (mode_ == Mode::recording) {
    source_->suspend();
    mode_ = Mode::recording_paused;
  } else if (mode_ == Mode::playing) {
    sink_->suspend();
    mode_ = Mode::playing_paused;
  }
  return 0;
}

std::uint32_t WaveDevice::resume() {
  if (mode_ == Mode::recording_paused) {
    source_->resume();
    mode_ = Mode::recording;
  } else if (mode_ == Mode::playing_paused) {
    sink_->resume();
    mode_ = Mode::playing;
  }
  return 0;
}

std::uint32_t WaveDevice::save(const std::string& path) {
  collect();
  const std::string_view pcm(pcm_.constData(), static_cast<std::size_t>(pcm_.size()));
  switch (write_wave_file(path, format_, pcm)) {
    case WaveWrite::ok:
      return 0;
    case WaveWrite::too_long:
      return mci_error::kTooLong;
    default:
      return mci_error::kCannotSave;
  }
}

}  // namespace platform::mci
