#pragma once

// Audio formats of the speech streams and the conversion of the engine's sound into them.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace sapi {

/// Format identifiers of the speech streams (SpeechAudioFormatType): 4 to 39 are PCM,
/// 8, 11.025, 12, 16, 22.05, 24, 32, 44.1 and 48 kHz, each as 8-bit mono, 8-bit stereo,
/// 16-bit mono, 16-bit stereo.
enum SpeechAudioFormatType : std::int32_t {
  SAFT8kHz8BitMono = 4,
  SAFT8kHz16BitMono = 6,
  SAFT16kHz16BitStereo = 19,
  SAFT22kHz16BitMono = 22,
  SAFT22kHz16BitStereo = 23,
  SAFT48kHz16BitStereo = 39,
};

/// The PCM layout a format identifier stands for.
struct WaveFormat {
  int samples_per_second = 0;
  int bits_per_sample = 0;
  int channels = 0;
  int block_align() const { return channels * bits_per_sample / 8; }
  int bytes_per_second() const { return samples_per_second * block_align(); }
};

/// The layout of a PCM format identifier (4 to 39); nothing for any other value.
std::optional<WaveFormat> wave_format(std::int32_t type);

/// The format of a stream (SpAudioFormat): its Type, which a stream locks while it is open.
class SpAudioFormat {
 public:
  explicit SpAudioFormat(std::int32_t type = SAFT22kHz16BitMono) : type_(type) {}
  std::int32_t Type() const { return type_; }
  /// Sets the identifier; raises an error for a value that is not a PCM format of 4 to 39,
  /// and while the stream is open.
  void setType(std::int32_t type);
  WaveFormat wave() const { return *wave_format(type_); }
  void set_locked(bool locked) { locked_ = locked; }

 private:
  std::int32_t type_;
  bool locked_ = false;
};

}  // namespace sapi

namespace speech {

/// Turns the engine's 22050 Hz mono 16-bit sound into a stream format, piece by piece:
/// resampled with libsamplerate, the channel doubled for stereo, 8-bit samples unsigned.
class FormatConverter {
 public:
  explicit FormatConverter(const sapi::WaveFormat& format);
  ~FormatConverter();
  FormatConverter(const FormatConverter&) = delete;
  FormatConverter& operator=(const FormatConverter&) = delete;

  /// The bytes for the next piece of engine samples; `last` flushes the resampler.
  std::string convert(const std::int16_t* samples, std::size_t count, bool last);

 private:
  struct Resampler;
  sapi::WaveFormat format_;
  std::unique_ptr<Resampler> resampler_;
};

}  // namespace speech
