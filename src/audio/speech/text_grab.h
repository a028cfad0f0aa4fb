#pragma once

// Fetches the text a user has selected in another program's window: keeps track of the last
// foreground window of another program and takes the selection that program holds. Nothing is
// typed into it: a copy shortcut is a command in terminals (Ctrl+C ends the job) and editors.

#include <string>

#include "platform/x11/window_functions.h"

namespace Module46 {

/// The speech page's timers and text boxes that the grab drives.
class GrabPage {
 public:
  virtual ~GrabPage() = default;
  virtual void set_Timer1_Enabled(bool enabled) = 0;  // foreground-window tracking
  virtual void set_Timer2_Enabled(bool enabled) = 0;  // notes the page's own title
  virtual void set_Timer3_Enabled(bool enabled) = 0;  // polls the selection
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
/// The foreground window becomes target_window and its title target_title, unless it is one of
/// this program's windows (the pages, their message boxes and dialogs) or titled own_title.
void track_foreground_window();
/// Empties grabbed_text; when the selection is held by the program of target_window, takes
/// its text into grabbed_text and Text1 and stops Timer3. Another program's selection is not
/// taken, nor one made in this program's own text box.
void read_selected_text();

}  // namespace Module46
