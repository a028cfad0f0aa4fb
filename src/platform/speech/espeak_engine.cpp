#include "platform/speech/espeak_engine.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <stdexcept>

namespace speech {

namespace {

// The engine keeps global state: every use holds this lock.
std::mutex& engine_lock() {
  static std::mutex lock;
  return lock;
}

struct SynthesisCall {
  const std::function<bool(const std::int16_t*, std::size_t)>* sink = nullptr;
  bool stopped = false;
  std::exception_ptr error;  // thrown by the sink; carried past the engine's C frames
};

// Called by the engine with each piece of sound; returning 1 ends the synthesis.
int on_samples(short* samples, int count, espeak_EVENT* events) {
  auto* call = static_cast<SynthesisCall*>(events ? events->user_data : nullptr);
  if (!call) return 0;
  if (call->stopped) return 1;
  if (!samples || count <= 0) return 0;
  try {
    if ((*call->sink)(reinterpret_cast<const std::int16_t*>(samples), static_cast<std::size_t>(count))) return 0;
  } catch (...) {
    call->error = std::current_exception();
  }
  call->stopped = true;
  return 1;
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

std::vector<VoiceInfo> installed_voices(const std::string& language) {
  std::lock_guard lock(engine_lock());
  std::vector<VoiceInfo> voices;
  if (!engine_ready()) return voices;
  std::vector<int> best;  // per voice: rank of its match with the language (lower is better)
  const std::string wanted = lower(language);
  const std::string base = wanted.substr(0, wanted.find('-'));
  for (const espeak_VOICE** v = espeak_ListVoices(nullptr); v && *v; ++v) {
    VoiceInfo info;
    info.identifier = (*v)->identifier ? (*v)->identifier : "";
    info.name = (*v)->name ? (*v)->name : info.identifier;
    int rank = 1000;
    // The languages: a priority byte, then the language text, repeated; a 0 priority ends them.
    for (const char* p = (*v)->languages; p && *p; p += std::strlen(p + 1) + 2) {
      const int priority = static_cast<unsigned char>(*p);
      const std::string tag = p + 1;
      info.languages.push_back(tag);
      if (tag == wanted) rank = std::min(rank, priority);
      else if (tag == base) rank = std::min(rank, 100 + priority);
    }
    voices.push_back(std::move(info));
    best.push_back(rank);
  }
  const auto first = std::min_element(best.begin(), best.end());
  if (first != best.end() && *first < 1000) {
    std::rotate(voices.begin(), voices.begin() + (first - best.begin()), voices.begin() + (first - best.begin()) + 1);
  }
  return voices;
}

int words_per_minute(int rate) {
  rate = std::clamp(rate, -10, 10);
  const long wpm = std::lround(175.0 * std::pow(3.0, rate / 10.0));
  return static_cast<int>(std::clamp(wpm, 80L, 450L));
}

bool synthesize(const std::string& text, const SynthesisSettings& settings,
                const std::function<bool(const std::int16_t*, std::size_t)>& sink) {
  std::lock_guard lock(engine_lock());
  if (!engine_ready()) throw std::runtime_error("the speech engine's data is not installed");
  std::string voice = settings.voice;
  if (voice.empty()) {
    const espeak_VOICE** all = espeak_ListVoices(nullptr);
    if (!all || !*all) throw std::runtime_error("no voice is installed");
    voice = (*all)->identifier;
  }
  if (espeak_SetVoiceByName(voice.c_str()) != EE_OK) throw std::runtime_error("unknown voice " + voice);
  espeak_SetParameter(espeakRATE, std::clamp(settings.words_per_minute, 80, 450), 0);
  espeak_SetParameter(espeakVOLUME, std::clamp(settings.volume, 0, 100), 0);
  if (text.empty()) return true;
  SynthesisCall call;
  call.sink = &sink;
  const espeak_ERROR result =
      espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, &call);
  if (call.error) std::rethrow_exception(call.error);
  if (result != EE_OK) throw std::runtime_error("the speech engine failed");
  return !call.stopped;
}

}  // namespace speech
