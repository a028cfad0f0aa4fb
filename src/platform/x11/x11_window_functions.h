#pragma once

// The window and selection functions over an X server: EWMH for the active window and
// activation when a window manager runs, the PRIMARY selection for the selected text.

#include <memory>
#include <string>
#include <vector>

#include "platform/x11/window_functions.h"

namespace platform {

class X11WindowFunctions : public WindowFunctions {
 public:
  /// Opens a connection of its own to the display $DISPLAY names (or display_name). Without a
  /// display every query answers "no window" and every action fails or does nothing.
  explicit X11WindowFunctions(const char* display_name = nullptr);
  ~X11WindowFunctions() override;
  X11WindowFunctions(const X11WindowFunctions&) = delete;
  X11WindowFunctions& operator=(const X11WindowFunctions&) = delete;

  bool connected() const;

  WindowHandle GetForegroundWindow() override;
  WindowHandle GetActiveWindow() override;
  std::string window_title(WindowHandle window) override;
  void AppActivate(const std::string& title) override;
  WindowHandle selection_owner() override;
  std::string selection_text() override;
  bool same_program(WindowHandle a, WindowHandle b) override;

  /// Top-level windows in stacking order, bottom first: the window manager's client list
  /// when one runs, else the viewable windows of the whole tree that carry a title.
  std::vector<WindowHandle> top_level_windows();
  /// The process id a window declares (_NET_WM_PID), 0 when it declares none.
  long window_pid(WindowHandle window);

 private:
  std::string read_title(WindowHandle window);

  struct Connection;
  std::unique_ptr<Connection> x_;
};

}  // namespace platform
