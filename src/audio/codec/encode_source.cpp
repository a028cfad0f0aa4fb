#include "audio/codec/encode_source.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>

#include "audio/codec/lame_encoder.h"
#include "audio/codec/mp3_rate_check.h"
#include "audio/codec/wav_rate_probe.h"
#include "audio/codec/wav_reader.h"
#include "core/errors.h"
#include "core/hooks.h"
#include "core/paths.h"
#include "core/riff.h"
#include "core/shared_state.h"
#include "engine/files.h"
#include "engine/final_movie.h"

namespace encode_source {

namespace {

// Every encode of this step writes here; the encoder takes only a target that does not exist.
std::string temp_mp3() { return core::spd_path("twav/temp_wav.mp3"); }

// The rate check decodes an MP3 of another rate here, for the one re-encode that follows.
std::string decoded_wav() { return core::spd_path("twav/mp3towav.wav"); }

// Runs its action when the scope ends, however it ends: the removal of a working file that
// nothing reads once the step it serves is over.
template <class Action>
class AtScopeEnd {
 public:
  explicit AtScopeEnd(Action action) : action_(std::move(action)) {}
  ~AtScopeEnd() { action_(); }
  AtScopeEnd(const AtScopeEnd&) = delete;
  AtScopeEnd& operator=(const AtScopeEnd&) = delete;

 private:
  Action action_;
};

// Puts `path` in place of the source for one scope and brings the old source back after it.
class SourceAside {
 public:
  explicit SourceAside(const std::string& path) : kept_(core::source_filename) {
    core::source_filename = path;
  }
  ~SourceAside() { core::source_filename = kept_; }
  SourceAside(const SourceAside&) = delete;
  SourceAside& operator=(const SourceAside&) = delete;

 private:
  std::string kept_;
};

// Encodes `wav` to the working MP3 with a new encoder set for the WAV's own rate (read from
// its header: the encoder takes its input rate from source_sample_rate when it is made).
void encode(std::unique_ptr<cLameEncoder>& encoder, const std::string& wav) {
  Module5::kill_file(temp_mp3());
  if (!std::filesystem::is_regular_file(wav))
    throw core::VbError(53, core::exe_name() + ".encode", "File not found: no sound to encode at " + wav);
  {
    SourceAside probe(wav);
    core::source_sample_rate = Module35::wav_sample_rate();
  }
  encoder = std::make_unique<cLameEncoder>();
  encoder->WavFile(wav);
  encoder->Mp3File(temp_mp3());
  try {
    // The progress page keeps drawing (and can be closed) while a long sound is encoded.
    core::run_aside([&encoder] { encoder->Encode(); });
  } catch (...) {
    Module5::kill_file(temp_mp3());  // no half-written MP3 is ever built from
    throw;
  }
}

// A WAV whose sound alone makes more frames than a movie holds is refused before it is
// encoded: its stream takes at least 24 frames for every second of sound. The build checks
// the exact count again.
void check_wav_length(const std::string& wav) {
  cWavReader reader;
  if (!core::ignore_errors([&] { reader.OpenFile(wav); }) || reader.format().samples_per_sec == 0) return;
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(wav, ec);
  const std::int64_t frames =
      std::min<std::int64_t>(reader.AudioLength(), ec ? 0 : static_cast<std::int64_t>(size / 4));
  const double seconds = static_cast<double>(frames) / reader.format().samples_per_sec;
  engine::check_movie_frames(engine::kStyleLeadFrames, static_cast<std::int64_t>(seconds * 24), seconds,
                             "encode");
}

}  // namespace

void build_movie(std::unique_ptr<cLameEncoder>& encoder) {
  // The movie's intermediate files go once it is built or has failed; the movie stays for the
  // finish page, and the encoded MP3 for the next Encode (as the source, or replaced by it).
  const AtScopeEnd build_files([] { engine::remove_build_files(); });
  if (core::source_type == "mp3") {
    if (core::rate_check_done == 0) {
      // The decoded WAV, many times the MP3's size, serves the one re-encode: a conversion
      // that failed decodes again.
      const AtScopeEnd decoded([] { Module5::kill_file(decoded_wav()); });
      const bool converted = Module47::check_mp3_samplerate();
      core::rate_check_done = 1;
      if (converted) {
        try {
          encode(encoder, decoded_wav());
        } catch (...) {
          core::rate_check_done = 0;  // the source still needs its conversion
          throw;
        }
        core::source_filename = temp_mp3();
      }
    }
    Module12::make_final_swf();
    return;
  }
  if (core::source_type == "wav") {
    const std::string wav = core::source_filename;
    check_wav_length(wav);
    encode(encoder, wav);
    SourceAside built_from(temp_mp3());
    Module12::make_final_swf();
    return;
  }
  throw core::VbError(5, core::exe_name() + ".encode",
                      "No sound to encode: choose an MP3 or WAV file, a recording or a text first");
}

void check_length() {
  if (core::source_type == "wav") check_wav_length(core::source_filename);
}

bool holds_no_sound(const std::string& wav) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(wav, ec) || std::filesystem::file_size(wav, ec) == 0) return true;
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(wav.c_str(), "rb"), &std::fclose);
  if (!file) return false;  // there, but unreadable: the encoder says why
  const core::RiffBytes bytes = core::riff_bytes(file.get());
  const auto riff = core::find_riff_chunk(bytes, 0, std::nullopt, core::fourcc("RIFF"), core::fourcc("WAVE"));
  if (!riff) return false;
  const auto data =
      core::find_riff_chunk(bytes, riff->data_offset + 4, riff->next_offset(), core::fourcc("data"));
  char first = 0;
  return !data || data->size == 0 || bytes(data->data_offset, &first, 1) == 0;
}

}  // namespace encode_source
