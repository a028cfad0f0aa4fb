// mellix-bench: runs one piece of the program from the command line, exactly as the wizard
// step that owns it does, so that it can be timed and checked from outside.

#include <pthread.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "command.h"
#include "core/errors.h"
#include "core/safe_files.h"

namespace bench {

namespace {

namespace fs = std::filesystem;

// Temporary folders to remove when the command is stopped by a signal.
std::mutex cleanup_lock;
std::vector<fs::path> to_remove;

// Blocks the stopping signals in every thread (those started later inherit the mask) and
// waits for them on a thread of its own, which removes the folders and the part files and
// ends the process.
void handle_stopping_signals() {
  sigset_t set;
  sigemptyset(&set);
  for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&set, sig);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  std::thread([set] {
    int sig = 0;
    sigwait(&set, &sig);
    std::lock_guard lock(cleanup_lock);
    for (const auto& d : to_remove) {
      std::error_code ec;
      fs::remove_all(d, ec);
    }
    core::remove_part_files();
    std::_Exit(128 + sig);
  }).detach();
}

struct Entry {
  std::string usage;
  Command command;
};
std::map<std::string, Entry>& registry() {
  static std::map<std::string, Entry> commands;
  return commands;
}
}  // namespace

void remove_on_signal(const fs::path& dir) {
  std::lock_guard lock(cleanup_lock);
  to_remove.push_back(dir);
}

void forget_on_signal(const fs::path& dir) {
  std::lock_guard lock(cleanup_lock);
  to_remove.erase(std::remove(to_remove.begin(), to_remove.end(), dir), to_remove.end());
}

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
  bench::handle_stopping_signals();
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
