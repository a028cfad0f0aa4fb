#pragma once

// Brings an MP3 whose sample rate the SWF sound stream cannot carry to a WAV that the
// encoder re-encodes: the rate check and the decoder call it makes.

#include <cstdint>

namespace Module46 {
/// Progress callback of the decoder; the check has no use for progress.
void decoder_callback(std::uint32_t frames, std::uint32_t consumed, std::uint32_t total);
}  // namespace Module46

namespace Module47 {
/// Shows the progress page's animation and reads the first frame header of source_filename.
/// At 11025, 22050 or 44100 Hz the MP3 is usable: false. At any other rate it is decoded to
/// spd/twav/mp3towav.wav: true. No frame sync: the message "ERROR in file opening", then
/// error 5 to the caller.
bool check_mp3_samplerate();
/// Decodes source_filename to spd/twav/mp3towav.wav; a failed decode leaves no file there.
void decode_mp3_to_wav();
}  // namespace Module47
