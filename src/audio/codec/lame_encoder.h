#pragma once

// WAV-to-MP3 encoder over the encoder's stream interface. The settings come from the
// process-wide source_sample_rate when the object is created, so that the MP3 has a rate
// the SWF sound stream can carry (11025, 22050 or 44100 Hz); for a rate the settings do not
// list, the WAV's own header gives the input rate at each Encode.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "audio/codec/lame_encoder_version.h"
#include "platform/codec/lame_stream.h"

class cMp3Writer;
class cWavReader;

class cLameEncoder {
 public:
  /// Raised once per encoded chunk and once at the end, with done and total counted in
  /// 16-bit samples; a subscriber may set cancel to stop the encoding.
  using ProgressEvent = std::function<void(std::int32_t done, std::int32_t total, bool& cancel)>;

  cLameEncoder();
  ~cLameEncoder();
  cLameEncoder(const cLameEncoder&) = delete;
  cLameEncoder& operator=(const cLameEncoder&) = delete;

  /// The encoder library's version, read on first use.
  cLameEncoderVersion& version();

  const std::string& WavFile() const { return wav_file_; }
  /// Kept only when the file exists.
  void WavFile(const std::string& path);
  const std::string& Mp3File() const { return mp3_file_; }
  /// Kept only when the file does not exist yet.
  void Mp3File(const std::string& path);

  std::int32_t EncodingPreset() const;
  void EncodingPreset(std::int32_t preset);
  std::int32_t bitrate() const;
  void bitrate(std::int32_t kbps);
  std::int32_t samplerate() const;
  void samplerate(std::int32_t hz);
  std::int32_t OutputMode() const;
  void OutputMode(std::int32_t mode);

  /// Encodes WavFile into Mp3File; returns when the MP3 is complete or cancelled, raises
  /// the reader's, the writer's or its own numbered errors otherwise. Made for a source rate
  /// outside its settings, the encoder takes the rate in the WAV's header and resamples to
  /// 22050 Hz unless the stream carries that rate; a rate the encoder cannot take is refused
  /// with 29772, naming it. The MP3 is written beside Mp3File and renamed onto it when
  /// complete: a cancelled or failed encoding leaves no file there. An unusable WavFile is
  /// reported before anything is written.
  void Encode();

  /// The configuration record handed to the encoder when a stream opens.
  const platform::LameConfig& configuration() const { return configuration_; }

  ProgressEvent progress;

 private:
  static bool FileExists(const std::string& path);
  void TakeWavRate();
  void lameInit();
  void lameClose();
  std::unique_ptr<cMp3Writer> CreateMp3Writer(const std::string& path);
  std::unique_ptr<cWavReader> CreateWavReader();
  void RaiseLameError(const std::string& procedure, std::uint32_t code, bool encoder_result);

  platform::LameConfig configuration_{};
  std::uint32_t stream_ = 0;
  std::uint32_t samples_per_chunk_ = 0;
  std::uint32_t output_buffer_size_ = 0;
  std::string wav_file_;
  std::string wav_requested_;  // the last path offered, kept or not
  std::string mp3_file_;
  std::unique_ptr<cLameEncoderVersion> version_;
  bool rate_from_wav_ = false;  // made for a rate outside the settings, none set by hand since
};
