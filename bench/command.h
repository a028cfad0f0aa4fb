#pragma once

// Subcommands of mellix-bench. Each cmd_*.cpp registers one with a static Registrar.

#include <functional>
#include <string>
#include <vector>

namespace bench {

using Command = std::function<int(const std::vector<std::string>& args)>;

struct Registrar {
  Registrar(const std::string& name, const std::string& usage, Command command);
};

}  // namespace bench
