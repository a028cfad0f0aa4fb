#include "platform/speech/espeak_engine.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>
#include <stdexcept>
#include <string_view>

namespace speech {

namespace {

// The engine keeps global state: every use holds this lock.
std::mutex& engine_lock() {
  static std::mutex lock;
  return lock;
}

// Collects the samples of one piece of text.
struct SynthesisCall {
  std::vector<std::int16_t> samples;
  bool failed = false;
};

// Called by the engine with each piece of sound; returning 1 ends the synthesis.
int on_samples(short* samples, int count, espeak_EVENT* events) {
  auto* call = static_cast<SynthesisCall*>(events ? events->user_data : nullptr);
  if (!call || !samples || count <= 0) return 0;
  try {
    call->samples.insert(call->samples.end(), samples, samples + count);
    return 0;
  } catch (...) {  // nothing may unwind through the engine's C frames
    call->failed = true;
    return 1;
  }
}

// Loads the engine once; false when its data is missing.
bool engine_ready() {
  static const bool ready = [] {
    const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0);
    if (rate != kEngineRate) return false;
    espeak_SetSynthCallback(on_samples);
    return true;
  }();
  return ready;
}

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::string user_language() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (!value || !*value) continue;
    std::string locale = value;
    locale = locale.substr(0, locale.find_first_of(".@"));  // "en_US.UTF-8" -> "en_US"
    if (locale.empty() || locale == "C" || locale == "POSIX") return "en";
    std::replace(locale.begin(), locale.end(), '_', '-');
    return lower(locale);
  }
  return "en";
}

namespace {

struct ListedVoice {
  VoiceInfo info;
  std::vector<int> priorities;  // per language: lower is the better match
};

// The engine's voice list, read once: the voices installed do not change while we run.
const std::vector<ListedVoice>& listed_voices() {
  static const std::vector<ListedVoice> voices = [] {
    std::lock_guard lock(engine_lock());
    std::vector<ListedVoice> list;
    if (!engine_ready()) return list;
    for (const espeak_VOICE** v = espeak_ListVoices(nullptr); v && *v; ++v) {
      ListedVoice voice;
      voice.info.identifier = (*v)->identifier ? (*v)->identifier : "";
      voice.info.name = (*v)->name ? (*v)->name : voice.info.identifier;
      // A priority byte, then the language text, repeated; a 0 priority ends them.
      for (const char* p = (*v)->languages; p && *p; p += std::strlen(p + 1) + 2) {
        voice.priorities.push_back(static_cast<unsigned char>(*p));
        voice.info.languages.emplace_back(p + 1);
      }
      list.push_back(std::move(voice));
    }
    return list;
  }();
  return voices;
}

}  // namespace

std::vector<VoiceInfo> installed_voices(const std::string& language) {
  const std::string wanted = lower(language);
  const std::string base = wanted.substr(0, wanted.find('-'));
  std::vector<VoiceInfo> voices;
  std::size_t best = 0;
  int best_rank = 1000;  // a whole tag beats its base language; then the lower priority
  for (const auto& voice : listed_voices()) {
    for (std::size_t i = 0; i < voice.priorities.size(); ++i) {
      const std::string& tag = voice.info.languages[i];
      const int rank = tag == wanted ? voice.priorities[i] : tag == base ? 100 + voice.priorities[i] : 1000;
      if (rank < best_rank) {
        best_rank = rank;
        best = voices.size();
      }
    }
    voices.push_back(voice.info);
  }
  if (best_rank < 1000) std::rotate(voices.begin(), voices.begin() + best, voices.begin() + best + 1);
  return voices;
}

int words_per_minute(int rate) {
  rate = std::clamp(rate, -10, 10);
  const long wpm = std::lround(175.0 * std::pow(3.0, rate / 10.0));
  return static_cast<int>(std::clamp(wpm, 80L, 450L));
}

namespace {

// Length of the well-formed UTF-8 character at `p` (no overlong form, no surrogate, nothing
// past U+10FFFF), 0 when the bytes there are none.
std::size_t utf8_length(std::string_view text, std::size_t p) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[p + i]); };
  const unsigned char b = byte(0);
  if (b < 0x80) return 1;
  std::size_t n = 0;
  unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (b >= 0xC2 && b <= 0xDF) {
    n = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    n = 3;
    if (b == 0xE0) low = 0xA0;   // overlong
    if (b == 0xED) high = 0x9F;  // surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    n = 4;
    if (b == 0xF0) low = 0x90;   // overlong
    if (b == 0xF4) high = 0x8F;  // past U+10FFFF
  } else {
    return 0;
  }
  if (p + n > text.size() || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < n; ++i)
    if ((byte(i) & 0xC0) != 0x80) return 0;
  return n;
}

}  // namespace

std::string blank_invalid_utf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  bool in_invalid = false;
  // A text ends at its first NUL, as a text handed to the engine or its command line does.
  const std::size_t end = std::min(text.size(), text.find('\0'));
  for (std::size_t p = 0; p < end;) {
    const std::size_t n = utf8_length(std::string_view(text.data(), end), p);
    if (n == 0) {
      if (!in_invalid) out += ' ';
      in_invalid = true;
      ++p;
      continue;
    }
    in_invalid = false;
    out.append(text, p, n);
    p += n;
  }
  return out;
}

std::vector<std::string> split_for_synthesis(const std::string& text, std::size_t most) {
  std::vector<std::string> pieces;
  std::size_t from = 0;
  while (text.size() - from > most) {
    const std::string_view window(text.data() + from, most);
    // After the last sentence end, else after the last blank, else at a character boundary.
    std::size_t cut = std::string_view::npos;
    for (std::size_t i = window.size() - 1; i > 0 && cut == std::string_view::npos; --i) {
      const char c = window[i];
      if ((c == ' ' || c == '\n' || c == '\t') && std::strchr(".!?;:\n", window[i - 1])) cut = i + 1;
    }
    if (cut == std::string_view::npos) {
      const auto blank = window.find_last_of(" \n\t");
      if (blank != std::string_view::npos && blank > 0) cut = blank + 1;
    }
    if (cut == std::string_view::npos) {
      cut = window.size();  // the text is valid UTF-8: at most three steps back
      while (cut > 1 && (static_cast<unsigned char>(text[from + cut]) & 0xC0) == 0x80) --cut;
    }
    pieces.push_back(text.substr(from, cut));
    from += cut;
  }
  if (from < text.size()) pieces.push_back(text.substr(from));
  return pieces;
}

bool synthesize(const std::string& text, const SynthesisSettings& settings,
                const std::function<bool(const std::int16_t*, std::size_t)>& sink) {
  // The engine is held for one piece of text at a time (a few milliseconds); the sink, which
  // may wait for the speakers, runs outside it.
  SynthesisCall call;  // its buffer is reused from piece to piece
  for (const std::string& piece : split_for_synthesis(blank_invalid_utf8(text))) {
    call.samples.clear();
    {
      std::lock_guard lock(engine_lock());
      if (!engine_ready()) throw std::runtime_error("the speech engine's data is not installed");
      std::string voice = settings.voice;
      if (voice.empty()) {
        const espeak_VOICE** all = espeak_ListVoices(nullptr);
        if (!all || !*all) throw std::runtime_error("no voice is installed");
        voice = (*all)->identifier;
      }
      // Loading a voice reads its files: only when another voice spoke in between.
      static std::string loaded_voice;
      if (voice != loaded_voice) {
        loaded_voice.clear();
        if (espeak_SetVoiceByName(voice.c_str()) != EE_OK) throw std::runtime_error("unknown voice " + voice);
        loaded_voice = voice;
      }
      espeak_SetParameter(espeakRATE, std::clamp(settings.words_per_minute, 80, 450), 0);
      espeak_SetParameter(espeakVOLUME, std::clamp(settings.volume, 0, 100), 0);
      const espeak_ERROR result = espeak_Synth(piece.c_str(), piece.size() + 1, 0, POS_CHARACTER, 0,
                                               espeakCHARS_UTF8, nullptr, &call);
      if (call.failed) throw std::bad_alloc();
      if (result != EE_OK) throw std::runtime_error("the speech engine failed");
    }
    constexpr std::size_t kSlice = kEngineRate / 5;  // a fifth of a second
    for (std::size_t at = 0; at < call.samples.size(); at += kSlice) {
      if (!sink(call.samples.data() + at, std::min(kSlice, call.samples.size() - at))) return false;
    }
  }
  return true;
}

}  // namespace speech
