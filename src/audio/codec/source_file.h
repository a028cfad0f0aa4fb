#pragma once

// The file page's work on a chosen sound: a WAV is encoded to the working MP3 at once, and
// the page shows the name, play time and size of the MP3 that becomes the source.

#include <memory>
#include <string>

#include "engine/final_movie.h"

class cLameEncoder;

namespace source_file {

/// "File name: <path>" CR LF "File time: HH:MM:SS" CR LF "File size: <size>" for the MP3 at
/// `mp3_path`; the time line is empty when no bitrate can be read. The time is the sound's:
/// a leading tag is not counted, and frames of varying bitrates count by their number.
std::string information(const std::string& mp3_path);
/// The same with the file's PlayTime already at hand (its frame walk is not repeated).
std::string information(const std::string& mp3_path, const engine::PlayTime& play);

/// What the WAV file at `path` holds, as a user reads it ("32-bit samples, 2 channels,
/// 44100 Hz"); what is wrong with it when it is no WAV file.
std::string describe_wav(const std::string& path);

/// Encodes the WAV file named by source_filename into `mp3` with a new encoder object made in
/// `encoder`, after reading the WAV's sample rate into source_sample_rate. Returns "" when the MP3 is
/// complete; otherwise the message for the user, naming the encoder's error and what the file is, and no MP3
/// is left behind.
std::string encode_wav(std::unique_ptr<cLameEncoder>& encoder, const std::string& mp3);

/// What the file page makes of `chosen`, a name from its open dialog.
struct Opened {
  std::string source;   // the MP3 that stands as the source; "" when the file cannot be used
  std::string text;     // what the page shows of it
  std::string refusal;  // why the file cannot be used, for the user
};

/// An MP3 stands as it is; a WAV is encoded and its MP3 replaces `tmp_mp3` (extensions are
/// compared without case). A file that cannot be used (neither name, no MP3 frame sync, a
/// WAV the encoder refuses, a sound too long for a movie) leaves `tmp_mp3` and the shared
/// source as they were, and the refusal says why.
Opened open(const std::string& chosen, std::unique_ptr<cLameEncoder>& encoder, const std::string& tmp_mp3);

}  // namespace source_file
