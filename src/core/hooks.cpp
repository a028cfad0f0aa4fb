#include "core/hooks.h"

#include <atomic>
#include <iostream>
#include <utility>

namespace core {

namespace {
std::function<void()>& yield_hook() {
  static std::function<void()> hook;
  return hook;
}
std::function<void(const std::function<void()>&)>& aside_hook() {
  static std::function<void(const std::function<void()>&)> hook;
  return hook;
}
std::atomic<bool> stopping{false};
std::function<void(const std::string&, const std::string&)>& box_hook() {
  static std::function<void(const std::string&, const std::string&)> hook;
  return hook;
}
std::function<bool(const std::string&, const std::string&)>& question_hook() {
  static std::function<bool(const std::string&, const std::string&)> hook;
  return hook;
}
}  // namespace

void yield() {
  if (yield_hook()) yield_hook()();
}

void set_yield_hook(std::function<void()> hook) { yield_hook() = std::move(hook); }

void run_aside(const std::function<void()>& work) {
  if (aside_hook()) {
    aside_hook()(work);
  } else {
    work();
  }
}

void set_run_aside_hook(std::function<void(const std::function<void()>&)> hook) {
  aside_hook() = std::move(hook);
}

void request_stop() { stopping = true; }

bool stop_requested() { return stopping; }

void message_box(const std::string& text, const std::string& title) {
  if (box_hook()) {
    box_hook()(text, title);
    return;
  }
  // No window system: the message still reaches the user.
  std::cerr << (title.empty() ? std::string("mellix") : title) << ": " << text << '\n';
}

void set_message_box_hook(std::function<void(const std::string&, const std::string&)> hook) {
  box_hook() = std::move(hook);
}

bool question_box(const std::string& text, const std::string& title) {
  if (question_hook()) return question_hook()(text, title);
  std::cerr << (title.empty() ? std::string("mellix") : title) << ": " << text << " No\n";
  return false;
}

void set_question_box_hook(std::function<bool(const std::string&, const std::string&)> hook) {
  question_hook() = std::move(hook);
}

}  // namespace core
