#include "audio/codec/mp3_rate_check.h"

#include <string>

#include "core/errors.h"
#include "core/hex.h"
#include "core/hooks.h"
#include "core/paths.h"
#include "core/shared_state.h"
#include "engine/files.h"
#include "engine/mp3_header.h"
#include "engine/progress.h"
#include "platform/codec/mpeg_decoder.h"

namespace Module46 {

void decoder_callback(std::uint32_t, std::uint32_t, std::uint32_t) {}

}  // namespace Module46

namespace Module47 {

bool check_mp3_samplerate() {
  core::yield();
  if (engine::ProgressPage* page = engine::progress_page())
    page->show_animation(core::spd_path("SWF/Sound_Processing.swf"));

  engine::FileBytes file(core::source_filename);
  const std::string header = engine::first_frame(file, core::source_filename, "check_mp3_samplerate").header;
  const std::string bits = Module15::hex_to_bin(Module14::header_to_hex(header));

  const double version = Module19::get_mpeg_version(bits.substr(11, 2));
  const int rate = Module19::get_sample_rate(bits.substr(20, 2), version);
  if (rate == 11025 || rate == 22050 || rate == 44100) return false;
  decode_mp3_to_wav();
  return true;
}

void decode_mp3_to_wav() {
  const std::string out = core::spd_path("twav/mp3towav.wav");
  // Failures are not reported here: a missing WAV is reported by the encoder that reads it.
  core::ignore_errors([&] { Module5::kill_file(out); });
  // The progress page keeps drawing (and can be closed) while a long sound is decoded.
  const std::string in = core::source_filename;
  core::ignore_errors([&] {
    core::run_aside([&] {
      std::string status;
      platform::CbMpegAudioDecoder(in, out, platform::kDecodeToWave, status, Module46::decoder_callback);
    });
  });
}

}  // namespace Module47
