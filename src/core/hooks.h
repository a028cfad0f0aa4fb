#pragma once

#include <functional>
#include <string>

namespace core {

/// Lets pending window events run (the wizard installs QCoreApplication::processEvents;
/// headless callers leave it a no-op).
void yield();
void set_yield_hook(std::function<void()> hook);

/// Runs `work`, which must not touch the pages, while window events keep running (the wizard
/// runs it on a thread of its own and waits in the message loop; headless callers run it
/// here), and raises again whatever it raised: for a long encode or decode.
void run_aside(const std::function<void()>& work);
void set_run_aside_hook(std::function<void(const std::function<void()>&)> hook);

/// Asks the work that run_aside runs to stop: the process is ending. The work's long loops ask
/// stop_requested() between their chunks and leave at once, their output left unwritten (its
/// part file removed, as on a failure). The request is never taken back.
void request_stop();
bool stop_requested();

/// Shows a message box with an OK button. An empty title means the program's default
/// caption. Headless callers install a hook that records the messages.
void message_box(const std::string& text, const std::string& title = {});
void set_message_box_hook(std::function<void(const std::string& text, const std::string& title)> hook);

/// Asks a question with Yes and No buttons, No the default; true for Yes. Headless callers
/// install a hook that answers; without one the answer is No.
bool question_box(const std::string& text, const std::string& title = {});
void set_question_box_hook(std::function<bool(const std::string& text, const std::string& title)> hook);

}  // namespace core
