#include "platform/speech/audio_format.h"

#include <samplerate.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "core/errors.h"
#include "platform/speech/espeak_engine.h"

namespace sapi {

std::optional<WaveFormat> wave_format(std::int32_t type) {
  // One row per rate; within a rate: 8-bit mono, 8-bit stereo, 16-bit mono, 16-bit stereo.
  static constexpr std::array<int, 9> rates = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
  if (type < 4 || type > 39) return std::nullopt;
  const int row = type - 4;
  WaveFormat format;
  format.samples_per_second = rates[static_cast<std::size_t>(row / 4)];
  format.bits_per_sample = (row % 4) >= 2 ? 16 : 8;
  format.channels = (row % 2) == 1 ? 2 : 1;
  return format;
}

void SpAudioFormat::setType(std::int32_t type) {
  if (!wave_format(type)) throw core::VbError(-2147024809, "SpAudioFormat", "Invalid audio format type");
  if (locked_)
    throw core::VbError(-2147467259, "SpAudioFormat", "The format cannot change while the stream is open");
  type_ = type;
}

}  // namespace sapi

namespace speech {

struct FormatConverter::Resampler {
  SRC_STATE* state = nullptr;
  double ratio = 1.0;
  ~Resampler() {
    if (state) src_delete(state);
  }
};

FormatConverter::FormatConverter(const sapi::WaveFormat& format) : format_(format) {
  if (format_.samples_per_second == kEngineRate) return;  // the engine's own rate: samples pass unchanged
  resampler_ = std::make_unique<Resampler>();
  int error = 0;
  resampler_->state = src_new(SRC_SINC_MEDIUM_QUALITY, 1, &error);
  if (!resampler_->state) throw std::runtime_error(src_strerror(error));
  resampler_->ratio = static_cast<double>(format_.samples_per_second) / kEngineRate;
}

FormatConverter::~FormatConverter() = default;

std::string FormatConverter::convert(const std::int16_t* samples, std::size_t count, bool last) {
  // Resample in floats, -1 to 1.
  std::vector<float> mono;
  if (!resampler_) {
    mono.resize(count);
    for (std::size_t i = 0; i < count; ++i) mono[i] = samples[i] / 32768.0f;
  } else {
    std::vector<float> in(count);
    for (std::size_t i = 0; i < count; ++i) in[i] = samples[i] / 32768.0f;
    std::size_t used = 0;
    std::vector<float> piece(static_cast<std::size_t>(std::ceil(count * resampler_->ratio)) + 256);
    for (;;) {
      SRC_DATA data{};
      data.data_in = in.data() + used;
      data.input_frames = static_cast<long>(count - used);
      data.data_out = piece.data();
      data.output_frames = static_cast<long>(piece.size());
      data.end_of_input = last ? 1 : 0;
      data.src_ratio = resampler_->ratio;
      if (const int error = src_process(resampler_->state, &data); error != 0) {
        throw std::runtime_error(src_strerror(error));
      }
      used += static_cast<std::size_t>(data.input_frames_used);
      mono.insert(mono.end(), piece.begin(), piece.begin() + data.output_frames_gen);
      // Done when the input is used up and, at the end, the resampler has nothing left.
      if (used >= count && (!last || data.output_frames_gen == 0)) break;
    }
  }

  // Lay the samples out: 16-bit signed little-endian or 8-bit unsigned, each channel alike.
  std::string out;
  out.reserve(mono.size() * static_cast<std::size_t>(format_.block_align()));
  for (float value : mono) {
    if (format_.bits_per_sample == 16) {
      const auto sample =
          static_cast<std::int16_t>(std::clamp(std::lrint(value * 32768.0f), -32768L, 32767L));
      const auto bits = static_cast<std::uint16_t>(sample);
      for (int c = 0; c < format_.channels; ++c) {
        out.push_back(static_cast<char>(bits & 0xFF));
        out.push_back(static_cast<char>(bits >> 8));
      }
    } else {
      const auto sample =
          static_cast<std::uint8_t>(std::clamp(std::lrint(value * 128.0f), -128L, 127L) + 128);
      for (int c = 0; c < format_.channels; ++c) out.push_back(static_cast<char>(sample));
    }
  }
  return out;
}

}  // namespace speech
