#pragma once

// Word-level reading of MCI command strings, free of Qt so it can be tested on its own.

#include <string>
#include <string_view>
#include <vector>

namespace platform::mci {

/// Splits a command into blank-separated words. A stretch in double quotes is one word
/// without its quotes, so paths with blanks can be given.
std::vector<std::string> split_words(std::string_view command);

/// ASCII lower case; command words and aliases are compared without regard to case.
std::string lower(std::string_view text);

/// Reads a whole decimal number with an optional sign; false for anything else or overflow.
bool parse_number(std::string_view text, long& value);

/// Where a path named in a command lives here: "C:\dir\name.wav" (any drive letter, either
/// slash) is dir/name.wav under the home folder; any other path is used as it stands.
std::string local_path(const std::string& path);

}  // namespace platform::mci
