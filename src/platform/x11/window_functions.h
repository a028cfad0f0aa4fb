#pragma once

// The window, keyboard and clipboard functions that the selected-text grab calls.

#include <cstdint>
#include <string>

namespace platform {

/// A top-level window; 0 is no window.
using WindowHandle = std::uint32_t;

/// Virtual-key event flag: the key is released.
inline constexpr std::uint32_t KEYEVENTF_KEYUP = 0x0002;

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
  /// Synthesises a key press (flags 0) or release (KEYEVENTF_KEYUP) of a virtual-key code.
  /// The scan code is not used: the server maps the key itself.
  virtual void keybd_event(std::uint8_t virtual_key, std::uint8_t scan_code, std::uint32_t flags) = 0;
  /// The window that owns the clipboard, 0 when nobody does.
  virtual WindowHandle GetClipboardOwner() = 0;
  /// Empties the clipboard: it then has no owner.
  virtual void clipboard_clear() = 0;
  /// The clipboard's text (UTF-8); empty when the owner offers no text. Throws when the owner
  /// does not answer or the transfer fails.
  virtual std::string clipboard_text() = 0;
};

}  // namespace platform
