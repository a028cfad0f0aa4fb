#pragma once

// Fetches the text a user has selected in another program's window: keeps track of the last
// foreground window that is not the speech page, sends it the copy keys and polls the
// clipboard until a new owner has put the copy there.

#include <string>

#include "platform/x11/window_functions.h"

namespace Module46 {

/// The speech page's timers and text boxes that the grab drives.
class GrabPage {
 public:
  virtual ~GrabPage() = default;
  virtual void set_Timer1_Enabled(bool enabled) = 0;  // foreground-window tracking
  virtual void set_Timer2_Enabled(bool enabled) = 0;  // notes the page's own title
  virtual void set_Timer3_Enabled(bool enabled) = 0;  // polls the clipboard
  virtual void set_Text1(const std::string& text) = 0;
  virtual void set_Text2(const std::string& text) = 0;
  virtual void set_Text3(const std::string& text) = 0;
  virtual void set_Text4(const std::string& text) = 0;
};

/// The page and the window functions the routines below use; both must outlive the calls.
void set_page(GrabPage* page);
void set_window_functions(platform::WindowFunctions* functions);

/// Notes the title of the program's active window as own_title (when own_title_pending),
/// then stops Timer2 and starts Timer1.
void note_own_window();
/// The foreground window's title becomes target_title unless it is own_title.
void track_foreground_window();
/// Activates the window with the title, sends Ctrl+C to it and activates own_title again.
/// Every error is ignored; returns an empty text.
std::string copy_from_window(const std::string& title);
/// Empties grabbed_text; when the clipboard has an owner other than clip_owner, takes its
/// text into grabbed_text and Text1 and stops Timer3.
void read_clipboard_text();

}  // namespace Module46
