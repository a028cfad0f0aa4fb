#pragma once

// The work of the Encode step below its pages: the source is brought to an MP3 whose sample
// rate the SWF sound stream can carry (11025, 22050 or 44100 Hz), then the finished movie is
// built from it and copied to the save path.

#include <memory>
#include <string>

class cLameEncoder;

namespace encode_source {

/// Brings `core::source_filename` to a streamable MP3 and runs Module12::make_final_swf on it.
/// - An MP3 is rate-checked once per source (`rate_check_done`); one of another rate is
///   decoded, re-encoded at the decoded WAV's own rate to spd/twav/temp_wav.mp3 with a new
///   encoder made in `encoder`, and that file stays the source from then on.
/// - A WAV is encoded to spd/twav/temp_wav.mp3 at its own rate for this build; the source
///   names the WAV again afterwards, also when the build fails.
/// Any failure (the check, the decode, an encode, the build, a source of no known type) is
/// raised as core::VbError or std::exception; a failed conversion asks for the check again
/// at the next Encode. However it ends, the decoded WAV and the movie's intermediate files
/// are gone afterwards; spd/final.swf and spd/twav/temp_wav.mp3 stay.
void build_movie(std::unique_ptr<cLameEncoder>& encoder);

/// Raises engine::kSoundTooLong when the source is a WAV whose sound alone, by its header, is
/// too long for a movie: the refusal the Encode step makes before any work.
void check_length();

/// True when `wav` holds no sound to encode: no such file, an empty file, or a RIFF WAVE file
/// whose data chunk is missing or holds no byte. Any other file counts as holding sound, also
/// one that the encoder then cannot read.
bool holds_no_sound(const std::string& wav);

}  // namespace encode_source
