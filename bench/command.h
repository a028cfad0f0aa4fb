#pragma once

// Subcommands of mellix-bench. Each cmd_*.cpp registers one with a static Registrar.

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench {

/// A whole decimal number from `low` to `high` given as the argument `name`; anything else
/// throws std::invalid_argument naming the argument and what it got.
inline long number_argument(const std::string& name, const std::string& text, long low, long high) {
  std::size_t used = 0;
  long value = 0;
  try {
    value = std::stol(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (text.empty() || used != text.size() || value < low || value > high)
    throw std::invalid_argument(name + " must be a whole number from " + std::to_string(low) + " to " +
                                std::to_string(high) + ", not \"" + text + "\"");
  return value;
}

/// A temporary folder that a stopping signal (SIGINT, SIGTERM, SIGHUP, SIGQUIT) removes, as it
/// removes every part file still open; forget_on_signal when the folder is gone.
void remove_on_signal(const std::filesystem::path& dir);
void forget_on_signal(const std::filesystem::path& dir);

using Command = std::function<int(const std::vector<std::string>& args)>;

struct Registrar {
  Registrar(const std::string& name, const std::string& usage, Command command);
};

}  // namespace bench
