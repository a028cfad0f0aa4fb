#include "audio/speech/text_grab.h"

#include "core/errors.h"
#include "core/shared_state.h"
#include "core/text.h"

namespace Module46 {

namespace {

GrabPage*& page() {
  static GrabPage* registered = nullptr;
  return registered;
}

platform::WindowFunctions*& windows() {
  static platform::WindowFunctions* registered = nullptr;
  return registered;
}

std::string title_of(platform::WindowHandle window) {
  return windows() ? windows()->window_title(window) : std::string();
}

}  // namespace

void set_page(GrabPage* grab_page) { page() = grab_page; }
void set_window_functions(platform::WindowFunctions* functions) { windows() = functions; }

void note_own_window() {
  if (core::own_title_pending) {
    core::own_title = title_of(windows() ? windows()->GetActiveWindow() : 0);
    if (page()) {
      page()->set_Text4(core::own_title);
      page()->set_Text3(" entered");
    }
    core::own_title_pending = false;
  }
  if (page()) {
    page()->set_Timer2_Enabled(false);
    page()->set_Text2(core::own_title);
    page()->set_Timer1_Enabled(true);
  }
}

void track_foreground_window() {
  const platform::WindowHandle window = windows() ? windows()->GetForegroundWindow() : 0;
  const std::string title = title_of(window);
  // None of this program's windows holds the text meant: a grab's own message box in front
  // must not become the next grab's target.
  const bool own_window = window != 0 && windows()->GetActiveWindow() == window;
  if (!own_window && !core::same_ignoring_case(title, core::own_title)) {
    core::target_title = title;
    core::target_window = window;
  }
  if (page()) page()->set_Text3(core::target_title);
}

void read_selected_text() {
  core::grabbed_text.clear();
  if (!windows()) return;
  // A failed read ends quietly; the next tick tries again.
  core::ignore_errors([] {
    if (!windows()->same_program(windows()->selection_owner(), core::target_window)) return;
    core::grabbed_text = windows()->selection_text();
    if (page()) {
      page()->set_Text1(core::grabbed_text);
      page()->set_Timer3_Enabled(false);
    }
  });
}

}  // namespace Module46
