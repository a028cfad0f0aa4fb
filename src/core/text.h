#pragma once

#include <algorithm>
#include <string_view>

namespace core {

/// True when the texts are the same but for the case of the ASCII letters.
inline bool same_ignoring_case(std::string_view a, std::string_view b) {
  const auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return fold(x) == fold(y); });
}

}  // namespace core
