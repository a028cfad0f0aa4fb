#include "platform/mci/command_words.h"

#include <cctype>
#include <charconv>

#include "core/paths.h"

namespace platform::mci {

std::vector<std::string> split_words(std::string_view command) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < command.size()) {
    if (std::isspace(static_cast<unsigned char>(command[i]))) {
      ++i;
      continue;
    }
    std::string word;
    if (command[i] == '"') {
      const std::size_t close = command.find('"', i + 1);
      const std::size_t end = close == std::string_view::npos ? command.size() : close;
      word = command.substr(i + 1, end - i - 1);
      i = close == std::string_view::npos ? end : end + 1;
    } else {
      while (i < command.size() && !std::isspace(static_cast<unsigned char>(command[i])))
        word += command[i++];
    }
    words.push_back(std::move(word));
  }
  return words;
}

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool parse_number(std::string_view text, long& value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

std::string local_path(const std::string& path) {
  const bool drive = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
                     path[1] == ':' && (path[2] == '\\' || path[2] == '/');
  if (!drive) return path;
  std::string rest = path.substr(3);
  for (char& c : rest)
    if (c == '\\') c = '/';
  return core::drive_c_path(rest);
}

}  // namespace platform::mci
