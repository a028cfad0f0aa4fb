#pragma once

// A speech voice (SpVoice): speaks text to the speakers or into a WAV file stream, with the
// installed voices of the speech engine, a rate and a volume.

#include <QObject>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/speech/audio_format.h"
#include "platform/speech/streams.h"
#include "platform/speech/voice_tokens.h"

namespace sapi {

/// Speak flags; they combine.
enum SpeechVoiceSpeakFlags : std::int32_t {
  SVSFDefault = 0,           // return once the text has been spoken
  SVSFlagsAsync = 1,         // return at once
  SVSFPurgeBeforeSpeak = 2,  // stop what is being spoken and drop what waits first
};

class SpVoice : public QObject {
  Q_OBJECT

 public:
  /// A voice with the first installed voice, rate 0, volume 100, speaking to the speakers
  /// in 22 kHz 16-bit mono.
  explicit SpVoice(QObject* parent = nullptr);
  ~SpVoice() override;

  /// The installed voices, the voice of the user's language first.
  ISpeechObjectTokens GetVoices() const;

  /// The voice that speaks; raises an error when no voice is installed.
  SpObjectToken Voice() const;
  void setVoice(const SpObjectToken& token);

  /// The stream spoken into: the speakers' stream unless a file stream was assigned.
  std::shared_ptr<SpBaseStream> AudioOutputStream() const { return output_; }
  /// Assigns a stream; nullptr returns to the speakers. While
  /// AllowAudioOutputFormatChangesOnNextSet is true, assigning the speakers' stream sets its
  /// format to the engine's own (22 kHz 16-bit mono).
  void setAudioOutputStream(std::shared_ptr<SpBaseStream> stream);
  bool AllowAudioOutputFormatChangesOnNextSet() const { return allow_format_changes_; }
  void setAllowAudioOutputFormatChangesOnNextSet(bool allow) { allow_format_changes_ = allow; }

  /// Speaking rate, -10 to 10 (values beyond are taken as the nearest end).
  std::int32_t Rate() const { return rate_; }
  void setRate(std::int32_t rate);
  /// Volume, 0 to 100 (values beyond are taken as the nearest end).
  std::int32_t Volume() const { return volume_; }
  void setVolume(std::int32_t volume);

  /// Speaks plain text into the output stream and returns the stream's number. Flags 0
  /// wait until it is spoken, SVSFlagsAsync return at once, SVSFPurgeBeforeSpeak first
  /// stops the speech under way and drops the waiting ones (with an empty text it only
  /// does that and returns 0). Raises an error when no voice is installed or a file stream
  /// is not open; a synchronous speech raises what went wrong while speaking.
  std::int32_t Speak(const std::string& Text, std::int32_t Flags = SVSFDefault);

 signals:
  /// A stream has ended: spoken to its end, stopped or dropped by a purge. Once per stream
  /// that Speak started, on the thread the voice lives in. The position is the number of
  /// bytes of sound the stream received.
  void EndStream(int StreamNumber, qint64 StreamPosition);

 private:
  class Speaker;

  std::shared_ptr<SpMMAudioOut> speakers_;
  std::shared_ptr<SpBaseStream> output_;
  std::string voice_id_;
  std::string voice_description_;
  bool allow_format_changes_ = true;
  std::int32_t rate_ = 0;
  std::int32_t volume_ = 100;
  std::int32_t last_stream_ = 0;
  std::unique_ptr<Speaker> speaker_;
};

}  // namespace sapi
