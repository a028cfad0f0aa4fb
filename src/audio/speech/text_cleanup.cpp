#include "audio/speech/text_cleanup.h"

#include <string_view>

namespace Module51 {

namespace {

// Blank count of text[first, end): positions up to the one before the last are examined.
std::int32_t count_blanks(std::string_view text) {
  for (std::size_t pos = 0; pos + 1 < text.size(); ++pos) {
    if (text[pos] != ' ') return static_cast<std::int32_t>(pos);
  }
  return 0;
}

// Every mark but a final one gets a blank right after it. An inserted blank never creates
// a new mark and never moves the last character, so one pass gives what inserting one blank
// at a time and searching on from it gives.
std::string space_after(const std::string& text, char mark) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (std::size_t i = 0; i < text.size(); ++i) {
    out.push_back(text[i]);
    if (text[i] == mark && i + 1 < text.size()) out.push_back(' ');
  }
  return out;
}

// After a mark that is not the last character, the character right after it stays and the
// counted blanks after that character go; the search goes on from the kept character, which
// may be a mark itself. One pass: the kept character is moved forward over the dropped run,
// so the text still to be examined always lies contiguous in `work` from `next` on.
std::string squeeze_after(const std::string& text, char mark) {
  std::string work = text;
  std::string out;
  out.reserve(text.size());
  std::size_t next = 0;
  while (next < work.size()) {
    const char c = work[next];
    if (c != mark || next + 1 >= work.size()) {
      out.push_back(c);
      ++next;
      continue;
    }
    out.push_back(c);
    const std::size_t kept = next + 1;
    const auto dropped = static_cast<std::size_t>(count_blanks(std::string_view(work).substr(kept + 1)));
    work[kept + dropped] = work[kept];
    next = kept + dropped;
  }
  return out;
}

}  // namespace

std::string space_after_period(const std::string& text) { return space_after(text, '.'); }
std::string space_after_comma(const std::string& text) { return space_after(text, ','); }
std::string squeeze_after_period(const std::string& text) { return squeeze_after(text, '.'); }
std::string squeeze_after_comma(const std::string& text) { return squeeze_after(text, ','); }
std::int32_t count_blanks_period(const std::string& text) { return count_blanks(text); }
std::int32_t count_blanks_comma(const std::string& text) { return count_blanks(text); }

std::string prepare_speech_text(const std::string& text) {
  return squeeze_after_comma(space_after_comma(squeeze_after_period(space_after_period(text))));
}

}  // namespace Module51
