#include "platform/speech/sp_voice.h"

#include <QMetaObject>
#include <QPointer>
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

#include "core/errors.h"
#include "platform/speech/espeak_engine.h"
#include "platform/speech/speaker_playback.h"

namespace sapi {

namespace {

core::VbError voice_error(const std::string& description) {
  return core::VbError(-2147467259, "SpVoice", description);  // E_FAIL
}

// One Speak call: what to say, how, and where to.
struct Stream {
  std::int32_t number = 0;
  std::string text;
  speech::SynthesisSettings settings;
  std::shared_ptr<SpBaseStream> output;
  WaveFormat format;
  bool done = false;
  std::exception_ptr error;
};

}  // namespace

// Speaks the streams one after the other on a thread of its own.
class SpVoice::Speaker {
 public:
  explicit Speaker(SpVoice* voice) : voice_(voice), thread_([this] { run(); }) {}

  ~Speaker() {
    purge();
    {
      std::lock_guard lock(lock_);
      quit_ = true;
      changed_.notify_all();
    }
    thread_.join();
  }

  std::shared_ptr<Stream> add(std::shared_ptr<Stream> stream) {
    std::lock_guard lock(lock_);
    waiting_.push_back(stream);
    changed_.notify_all();
    return stream;
  }

  void wait(const std::shared_ptr<Stream>& stream) {
    std::unique_lock lock(lock_);
    changed_.wait(lock, [&] { return stream->done; });
  }

  // Drops the waiting streams and stops the one being spoken.
  void purge() {
    std::deque<std::shared_ptr<Stream>> dropped;
    {
      std::lock_guard lock(lock_);
      dropped.swap(waiting_);
      if (current_) {
        stop_current_ = true;
        if (playing_) playing_->abort();
      }
    }
    for (auto& stream : dropped) end(*stream, 0);
  }

 private:
  void run() {
    for (;;) {
      std::shared_ptr<Stream> stream;
      {
        std::unique_lock lock(lock_);
        changed_.wait(lock, [&] { return quit_ || !waiting_.empty(); });
        if (quit_ && waiting_.empty()) return;
        stream = waiting_.front();
        waiting_.pop_front();
        current_ = stream;
        stop_current_ = false;
      }
      std::uint64_t position = 0;
      try {
        position = speak(*stream);
      } catch (...) {
        stream->error = std::current_exception();
      }
      {
        std::lock_guard lock(lock_);
        current_.reset();
        playing_.reset();
      }
      end(*stream, position);
    }
  }

  bool stopped() {
    std::lock_guard lock(lock_);
    return stop_current_;
  }

  // Synthesises the stream into its output; returns the bytes of sound it received.
  std::uint64_t speak(Stream& stream) {
    speech::FormatConverter converter(stream.format);
    std::uint64_t position = 0;
    if (auto file = std::dynamic_pointer_cast<SpFileStream>(stream.output)) {
      const auto put = [&](const std::string& bytes) {
        file->write(bytes);
        position += bytes.size();
      };
      const bool whole =
          speech::synthesize(stream.text, stream.settings, [&](const std::int16_t* samples, std::size_t n) {
            put(converter.convert(samples, n, false));
            return !stopped();
          });
      if (whole) put(converter.convert(nullptr, 0, true));
      return position;
    }

    std::shared_ptr<speech::PlaybackQueue> queue = playback_.start(stream.format);
    {
      std::lock_guard lock(lock_);
      playing_ = queue;
      if (stop_current_) queue->abort();
    }
    const bool whole =
        speech::synthesize(stream.text, stream.settings, [&](const std::int16_t* samples, std::size_t n) {
          std::string bytes = converter.convert(samples, n, false);
          const std::size_t size = bytes.size();
          if (!queue->push(std::move(bytes))) return false;
          position += size;
          return !stopped();
        });
    if (whole) {
      std::string tail = converter.convert(nullptr, 0, true);
      const std::size_t size = tail.size();
      if (queue->push(std::move(tail))) position += size;
    }
    queue->finish();
    queue->wait();
    return position;
  }

  // Marks the stream done and reports its end on the voice's thread.
  void end(Stream& stream, std::uint64_t position) {
    {
      std::lock_guard lock(lock_);
      stream.done = true;
      changed_.notify_all();
    }
    QPointer<SpVoice> voice(voice_);
    const int number = stream.number;
    QMetaObject::invokeMethod(
        voice_,
        [voice, number, position] {
          if (voice) emit voice->EndStream(number, static_cast<qint64>(position));
        },
        Qt::QueuedConnection);
  }

  SpVoice* voice_;
  speech::PlaybackThread playback_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::deque<std::shared_ptr<Stream>> waiting_;
  std::shared_ptr<Stream> current_;
  std::shared_ptr<speech::PlaybackQueue> playing_;
  bool stop_current_ = false;
  bool quit_ = false;
  std::thread thread_;
};

SpVoice::SpVoice(QObject* parent)
    : QObject(parent), speakers_(std::make_shared<SpMMAudioOut>()), output_(speakers_) {
  speaker_ = std::make_unique<Speaker>(this);
}

SpVoice::~SpVoice() = default;

ISpeechObjectTokens SpVoice::GetVoices() const { return installed_voice_tokens(); }

SpObjectToken SpVoice::Voice() const {
  if (!voice_id_.empty()) return SpObjectToken(voice_id_, voice_description_);
  return GetVoices().Item(0);
}

void SpVoice::setVoice(const SpObjectToken& token) {
  voice_id_ = token.Id();
  voice_description_ = token.GetDescription();
}

void SpVoice::setAudioOutputStream(std::shared_ptr<SpBaseStream> stream) {
  output_ = stream ? std::move(stream) : speakers_;
  if (allow_format_changes_ && output_->is_audio_device()) output_->Format().setType(SAFT22kHz16BitMono);
}

void SpVoice::setRate(std::int32_t rate) { rate_ = std::clamp(rate, -10, 10); }
void SpVoice::setVolume(std::int32_t volume) { volume_ = std::clamp(volume, 0, 100); }

std::int32_t SpVoice::Speak(const std::string& Text, std::int32_t Flags) {
  if (Flags & SVSFPurgeBeforeSpeak) {
    speaker_->purge();
    if (Text.empty()) return 0;
  }
  if (speech::installed_voices().empty()) throw voice_error("No voice is installed");
  if (auto file = std::dynamic_pointer_cast<SpFileStream>(output_); file && !file->is_open()) {
    throw voice_error("The output stream is not open");
  }

  auto stream = std::make_shared<Stream>();
  stream->number = ++last_stream_;
  stream->text = Text;
  stream->settings.voice = Voice().Id();
  stream->settings.words_per_minute = speech::words_per_minute(rate_);
  stream->settings.volume = volume_;
  stream->output = output_;
  stream->format = output_->Format().wave();
  speaker_->add(stream);
  if (!(Flags & SVSFlagsAsync)) {
    speaker_->wait(stream);
    if (stream->error) {
      try {
        std::rethrow_exception(stream->error);
      } catch (const core::VbError&) {
        throw;
      } catch (const std::exception& error) {
        throw voice_error(error.what());
      }
    }
  }
  return stream->number;
}

}  // namespace sapi
