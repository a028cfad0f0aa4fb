#include "engine/compose_queue.h"

#include <deque>

namespace engine {

namespace {
bool running = false;
std::deque<std::function<void()>>& pending() {
  static std::deque<std::function<void()>> queue;
  return queue;
}
}  // namespace

bool run_composition(const std::function<void()>& request) {
  if (running) {
    pending().push_back(request);
    return false;
  }
  running = true;
  try {
    request();
    while (!pending().empty()) {
      const auto next = std::move(pending().front());
      pending().pop_front();
      next();
    }
  } catch (...) {
    pending().clear();
    running = false;
    throw;
  }
  running = false;
  return true;
}

}  // namespace engine
