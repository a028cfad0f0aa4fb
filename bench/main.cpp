// mellix-bench: runs one piece of the program from the command line, exactly as the wizard
// step that owns it does, so that it can be timed and checked from outside.

#include <iostream>
#include <map>

#include "command.h"
#include "core/errors.h"

namespace bench {

namespace {
struct Entry {
  std::string usage;
  Command command;
};
std::map<std::string, Entry>& registry() {
  static std::map<std::string, Entry> commands;
  return commands;
}
}  // namespace

Registrar::Registrar(const std::string& name, const std::string& usage, Command command) {
  registry()[name] = Entry{usage, std::move(command)};
}

}  // namespace bench

int main(int argc, char** argv) {
  auto& commands = bench::registry();
  if (argc < 2 || !commands.count(argv[1])) {
    std::cerr << "usage:\n";
    for (const auto& [name, entry] : commands)
      std::cerr << "  mellix-bench " << name << ' ' << entry.usage << '\n';
    return 2;
  }
  std::vector<std::string> args(argv + 2, argv + argc);
  try {
    return commands[argv[1]].command(args);
  } catch (const core::VbError& e) {
    std::cerr << "error " << e.number() << " (" << e.source() << "): " << e.description() << '\n';
  } catch (const std::exception& e) {
    std::cerr << "error: " << e.what() << '\n';
  }
  return 1;
}
