#pragma once

// The window and selection functions that the selected-text grab calls.

#include <cstdint>
#include <string>

namespace platform {

/// A top-level window; 0 is no window.
using WindowHandle = std::uint32_t;

class WindowFunctions {
 public:
  virtual ~WindowFunctions() = default;

  /// The window the user works in now, whichever program it belongs to.
  virtual WindowHandle GetForegroundWindow() = 0;
  /// The active window when it is one of this program's windows, else 0.
  virtual WindowHandle GetActiveWindow() = 0;
  /// The window's title; empty for no window or a window without a title.
  virtual std::string window_title(WindowHandle window) = 0;
  /// Brings the window with this title (letter case ignored; else the one whose title starts
  /// with it) to the foreground and returns once it has the keyboard focus. Throws
  /// core::VbError 5 when no window has such a title.
  virtual void AppActivate(const std::string& title) = 0;
  /// The window that holds the text the user has selected last, in whichever program (the
  /// PRIMARY selection), 0 when nothing is selected anywhere.
  virtual WindowHandle selection_owner() = 0;
  /// The selected text (UTF-8); empty when its owner offers no text. Throws when the owner
  /// does not answer or the transfer fails.
  virtual std::string selection_text() = 0;
  /// Whether two windows belong to one program: they were made over one connection.
  virtual bool same_program(WindowHandle a, WindowHandle b) = 0;
};

}  // namespace platform
