#pragma once

// Prepares a text for a standard voice: one blank after every full stop and comma that does
// not end the text, and the surplus blanks after them removed.

#include <cstdint>
#include <string>

namespace Module51 {

/// Inserts a blank right after every "." (every "," ) that is not the text's last character.
std::string space_after_period(const std::string& text);
std::string space_after_comma(const std::string& text);

/// After every "." ("," ) that is not the last character, keeps the character that follows
/// and drops the blanks counted by count_blanks_period (count_blanks_comma) after it.
std::string squeeze_after_period(const std::string& text);
std::string squeeze_after_comma(const std::string& text);

/// The number of blanks before the first non-blank character, looking only at the positions
/// before the text's last one; 0 when every one of those positions holds a blank.
std::int32_t count_blanks_period(const std::string& text);
std::int32_t count_blanks_comma(const std::string& text);

/// squeeze_after_comma(space_after_comma(squeeze_after_period(space_after_period(text)))).
std::string prepare_speech_text(const std::string& text);

}  // namespace Module51
