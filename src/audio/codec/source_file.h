#pragma once

// The file page's work on a chosen sound: a WAV is encoded to the working MP3 at once, and
// the page shows the name, play time and size of the MP3 that becomes the source.

#include <memory>
#include <string>

class cLameEncoder;

namespace source_file {

/// "File name: <path>" CR LF "File time: HH:MM:SS" CR LF "File size: <size>" for the MP3 at
/// `mp3_path`; the time line is empty when no bitrate can be read.
std::string information(const std::string& mp3_path);

/// What the WAV file at `path` holds, as a user reads it ("32-bit samples, 2 channels,
/// 44100 Hz"); what is wrong with it when it is no WAV file.
std::string describe_wav(const std::string& path);

/// Encodes the WAV file named by source_filename into `mp3` with a new encoder object made in
/// `encoder`, after reading the WAV's sample rate into source_sample_rate. Returns "" when the MP3 is
/// complete; otherwise the message for the user, naming the encoder's error and what the file is, and no MP3
/// is left behind.
std::string encode_wav(std::unique_ptr<cLameEncoder>& encoder, const std::string& mp3);

}  // namespace source_file
