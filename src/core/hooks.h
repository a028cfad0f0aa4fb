#pragma once

#include <functional>
#include <string>

namespace core {

/// Lets pending window events run (the wizard installs QCoreApplication::processEvents;
/// headless callers leave it a no-op).
void yield();
void set_yield_hook(std::function<void()> hook);

/// Shows a message box with an OK button. An empty title means the program's default
/// caption. Headless callers install a hook that records the messages.
void message_box(const std::string& text, const std::string& title = {});
void set_message_box_hook(std::function<void(const std::string& text, const std::string& title)> hook);

/// Asks a question with Yes and No buttons, No the default; true for Yes. Headless callers
/// install a hook that answers; without one the answer is No.
bool question_box(const std::string& text, const std::string& title = {});
void set_question_box_hook(std::function<bool(const std::string& text, const std::string& title)> hook);

}  // namespace core
