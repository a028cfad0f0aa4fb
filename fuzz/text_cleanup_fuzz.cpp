// The one-pass text clean-up against the one-blank-at-a-time procedure it replaces, on any
// bytes: both must give the same text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "audio/speech/text_cleanup.h"

namespace {

std::size_t find_from(const std::string& t, std::size_t start, char mark) {
  const auto at = t.find(mark, start - 1);
  return at == std::string::npos ? 0 : at + 1;
}

std::string space(std::string t, char mark) {
  for (std::size_t p = 0;;) {
    const std::size_t n = t.size();
    p = find_from(t, p + 1, mark);
    if (p == 0 || p >= n) return t;
    t = t.substr(0, p) + " " + t.substr(p);
  }
}

std::size_t blanks(const std::string& s) {
  for (std::size_t pos = 1; pos < s.size(); ++pos) {
    if (s[pos - 1] != ' ') return pos - 1;
  }
  return 0;
}

std::string squeeze(std::string t, char mark) {
  for (std::size_t p = 0;;) {
    const std::size_t n = t.size();
    p = find_from(t, p + 1, mark);
    if (p == 0 || p >= n) return t;
    const std::size_t q = p + 1;
    const std::size_t k = blanks(t.substr(q));
    t = t.substr(0, q) + t.substr(t.size() - (n - q - k));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 4096) return 0;  // the reference is quadratic
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string expected = squeeze(space(squeeze(space(text, '.'), '.'), ','), ',');
  if (Module51::prepare_speech_text(text) != expected) std::abort();
  if (Module51::squeeze_after_period(text) != squeeze(text, '.')) std::abort();
  if (static_cast<std::size_t>(Module51::count_blanks_comma(text)) != blanks(text)) std::abort();
  return 0;
}
