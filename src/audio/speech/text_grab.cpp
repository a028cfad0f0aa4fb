#include "audio/speech/text_grab.h"

#include "core/errors.h"
#include "core/hooks.h"
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

// One synthesised key event, after which the other programs get their turn.
void key(std::uint8_t virtual_key, std::uint8_t scan_code, std::uint32_t flags) {
  windows()->keybd_event(virtual_key, scan_code, flags);
  core::yield();
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
  const std::string title = title_of(windows() ? windows()->GetForegroundWindow() : 0);
  if (!core::same_ignoring_case(title, core::own_title)) core::target_title = title;
  if (page()) page()->set_Text3(core::target_title);
}

std::string copy_from_window(const std::string& title) {
  if (page()) page()->set_Timer1_Enabled(false);
  if (windows()) {
    core::ignore_errors([&] { windows()->AppActivate(title); });
    core::ignore_errors([&] { windows()->clipboard_clear(); });
    core::ignore_errors([&] { key(17, 0, 0); });                          // Ctrl down
    core::ignore_errors([&] { key(67, 1, 0); });                          // C down
    core::ignore_errors([&] { key(17, 0, platform::KEYEVENTF_KEYUP); });  // Ctrl up
    // A key left down stays down in the server and auto-repeat would type it into whatever
    // has the focus: release the letter too.
    core::ignore_errors([&] { key(67, 1, platform::KEYEVENTF_KEYUP); });  // C up
  }
  if (page()) page()->set_Timer1_Enabled(true);
  if (windows()) core::ignore_errors([&] { windows()->AppActivate(core::own_title); });
  return {};
}

void read_clipboard_text() {
  core::grabbed_text.clear();
  if (!windows()) return;
  // A failed read ends quietly; the next tick tries again.
  core::ignore_errors([] {
    if (windows()->GetClipboardOwner() == core::clip_owner) return;
    core::grabbed_text = windows()->clipboard_text();
    if (page()) {
      page()->set_Text1(core::grabbed_text);
      page()->set_Timer3_Enabled(false);
    }
  });
}

}  // namespace Module46
