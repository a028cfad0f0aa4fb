#pragma once

// The speech engine under the voices: espeak-ng, one instance per process, used by one
// caller at a time.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace speech {

/// The engine speaks 22050 Hz mono 16-bit samples.
inline constexpr int kEngineRate = 22050;

/// An installed voice: the engine's identifier for it, its description and its languages.
struct VoiceInfo {
  std::string identifier;  // "gmw/en-US"
  std::string name;        // "English (America)"
  std::vector<std::string> languages;
};

/// The user's language from LC_ALL, LC_MESSAGES or LANG as a language tag ("en-us"); "en"
/// when none is set or the locale is C or POSIX.
std::string user_language();

/// The installed voices, the best voice for `language` first, the others in the engine's
/// order. Empty when the engine or its data cannot be loaded.
std::vector<VoiceInfo> installed_voices(const std::string& language = user_language());

/// Words a minute for a rate from -10 (a third of normal speed) through 0 (175) to 10
/// (three times), within what the engine can speak (80 to 450).
int words_per_minute(int rate);

struct SynthesisSettings {
  std::string voice;  // identifier; empty: the first installed voice
  int words_per_minute = 175;
  int volume = 100;  // 0 silent, 100 normal, linear
};

/// The text up to its first NUL with every run of bytes that are no well-formed UTF-8
/// character replaced by one blank, so it can be cut and spoken by whole characters.
std::string blank_invalid_utf8(const std::string& text);

/// Cuts valid UTF-8 text into pieces of at most `most` bytes that join up to it again: after
/// a sentence end where there is one, else after a blank, else between two characters.
std::vector<std::string> split_for_synthesis(const std::string& text, std::size_t most = 2000);

/// Speaks plain UTF-8 text (bad bytes blanked as by blank_invalid_utf8), handing the samples
/// to `sink` piece by piece. The sink returns false to stop the speech; synthesize then returns
/// false. Throws when the engine cannot speak (no engine data, unknown voice). Long texts are
/// spoken a piece at a time, so other voices get the engine in between.
bool synthesize(const std::string& text, const SynthesisSettings& settings,
                const std::function<bool(const std::int16_t* samples, std::size_t count)>& sink);

}  // namespace speech
