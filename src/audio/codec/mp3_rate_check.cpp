#include "audio/codec/mp3_rate_check.h"

#include <string>

#include "core/errors.h"
#include "core/paths.h"
#include "core/shared_state.h"
#include "engine/files.h"
#include "platform/codec/mpeg_decoder.h"

namespace Module46 {

void decoder_callback(std::uint32_t, std::uint32_t, std::uint32_t) {}

}  // namespace Module46

namespace Module47 {

void decode_mp3_to_wav() {
  const std::string out = core::spd_path("twav/mp3towav.wav");
  // Failures are not reported here: a missing WAV is reported by the encoder that reads it.
  core::ignore_errors([&] { Module5::kill_file(out); });
  core::ignore_errors([&] {
    std::string status;
    platform::CbMpegAudioDecoder(core::source_filename, out, platform::kDecodeToWave, status,
                                 Module46::decoder_callback);
  });
}

}  // namespace Module47
