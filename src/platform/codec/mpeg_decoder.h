#pragma once

// The MP3 decoder call: one MP3 file in, one WAV file out, progress through a callback.

#include <cstdint>
#include <string>

namespace platform {

/// Progress callback of the decoder: MPEG frames decoded so far, bytes of the MP3 consumed
/// so far, and the MP3 file's size in bytes.
using MpegDecoderCallback = void (*)(std::uint32_t frames, std::uint32_t consumed, std::uint32_t total);

/// Output kind of CbMpegAudioDecoder: a RIFF/WAVE file.
inline constexpr std::int32_t kDecodeToWave = 1;

/// Decodes the MP3 at `input` into `output` as 16-bit stereo PCM at the MP3's own sample rate
/// (a mono MP3 gives two equal channels); junk after the sound ends it there. Returns 0 when
/// the WAV is complete. On failure it returns non-zero, writes the reason into `status` and
/// leaves `output` as it was: the WAV is written beside it and renamed onto it at the end. An
/// input that is not a regular file, or an output that is the input itself, is refused.
/// `callback` may be null.
std::int32_t CbMpegAudioDecoder(const std::string& input, const std::string& output, std::int32_t output_kind,
                                std::string& status, MpegDecoderCallback callback);

}  // namespace platform
