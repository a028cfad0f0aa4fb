#pragma once

// The speech page's recording: the chosen voice speaks the grabbed text into
// spd/wvtemp/text.wav, the source of the later steps, and a copy at c:\text.wav (in the home
// folder) is what the page's small player plays.

#include <functional>
#include <memory>
#include <string>

namespace sapi {
class SpBaseStream;
class SpFileStream;
}  // namespace sapi

namespace text_recording {

/// spd/wvtemp/text.wav under the application folder.
std::string recording_path();
/// The copy the small player opens, as the wave-audio device names it.
inline constexpr const char* kPlayerCopy = "c:\\text.wav";

/// The kind of voice chosen on the page; none while neither is.
enum class Kind { none, standard, natural };

/// What a voice of `kind` speaks of `grabbed`: a standard voice the text prepared for it
/// (Module51::prepare_speech_text), a natural voice the text as it is, no voice nothing.
std::string text_to_speak(Kind kind, const std::string& grabbed);

/// The page's voice as the recording uses it.
struct Voice {
  /// Points the voice at a stream; nullptr returns it to the speakers.
  std::function<void(std::shared_ptr<sapi::SpBaseStream>)> set_output;
  /// Speaks a text into the voice's stream and returns once it is spoken.
  std::function<void(const std::string&)> speak;
};

/// Makes the recording: deletes the old one, creates it through `stream` in the stream's
/// format, has `voice` speak `text` into it when there is text, closes it, returns the voice to
/// the speakers and copies the file to the player's copy. Every step runs whatever the ones
/// before it met, so the files are there afterwards whenever they can be written.
void record(const std::shared_ptr<sapi::SpFileStream>& stream, const std::string& text, const Voice& voice);

/// True when the PCM wave file `wav` holds a sample that is not silence (0, or 128 for 8-bit
/// samples). A missing or unreadable file, one that is no RIFF WAVE file, one without sound
/// data, or one whose samples are all silence holds none: a voice given only blanks or marks
/// writes such a file.
bool holds_sound(const std::string& wav);

/// What the user is told when a recording without sound would be handed on as the source.
inline constexpr const char* kNoSoundToGoOn =
    "There is no recording to go on with: the recording holds no sound.\n"
    "Put the text in the box, choose a voice and press \"Start Recording Text\" first.";

}  // namespace text_recording
