// What the benches that drive the wizard on an X server share: the processes the program
// started and what they cost, and the screen, read with XGetImage and clicked with XTest.
// Xlib stays out of this header: its macros (Bool, Status, None) clash with Qt's names.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "wizard/tables/page_table.h"

struct _XDisplay;

namespace xdesk {

using Clock = std::chrono::steady_clock;

inline double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}
inline double ms_since(Clock::time_point start) { return 1000 * seconds_since(start); }

void sleep_ms(int ms);

/// Twips of the pages' design to pixels.
inline int px(int twips) { return (twips + 7) / 15; }

struct Rect {
  int x, y, w, h;
  bool contains(int px_, int py_) const { return px_ >= x && px_ < x + w && py_ >= y && py_ < y + h; }
  int centre_x() const { return x + w / 2; }
  int centre_y() const { return y + h / 2; }
};

/// Where control `name` (`index` within a control array) of a page's table stands, in pixels
/// of the page's client area (its container's place added).
Rect control_rect(wizard::tables::ControlTable table, const std::string& name, int index = -1);
/// Where every control of the table but its movies stands.
std::vector<Rect> control_rects(wizard::tables::ControlTable table);

// ---- Processes ------------------------------------------------------------------------------

/// The process and every process below it, parents before their children.
std::vector<pid_t> process_tree(pid_t root);

/// Proportional set size of one process in kB, from smaps_rollup; 0 when it is gone.
long pss_kb(pid_t pid);

/// User plus system CPU time of one process, in clock ticks.
long cpu_ticks(pid_t pid);

/// The process's command name (comm), empty when it is gone.
std::string command_name(pid_t pid);

/// Sleeps `seconds` and returns the share of one core, in per cent, that each process of the
/// tree under `root` took meanwhile (a process started meanwhile counts from zero).
std::map<pid_t, double> idle_cpu(pid_t root, double seconds);

// ---- The screen ---------------------------------------------------------------------------

class XScreen {
 public:
  using Window = unsigned long;  // Xlib's XID

  /// Opens $DISPLAY; throws naming `run_script` (the script that starts a private X server)
  /// when there is none, or when the server has no XTest.
  explicit XScreen(const std::string& run_script);
  ~XScreen();
  XScreen(const XScreen&) = delete;
  XScreen& operator=(const XScreen&) = delete;

  /// A viewable window of process `pid` titled `title`.
  std::optional<Window> find(pid_t pid, const std::string& title);

  /// The client area of `w` in root coordinates.
  Rect area(Window w);

  /// Pixels of `r` (root coordinates) as 0xRRGGBB, row by row; empty when it cannot be read.
  std::vector<unsigned> pixels(const Rect& r);

  /// A left click at (x, y) in root coordinates.
  void click(int x, int y);

  void move_pointer(int x, int y);

  /// A press and release of the key named `keysym` ("Tab", "Return", "KP_Enter").
  void key(const std::string& keysym);

 private:
  _XDisplay* display_;
};

}  // namespace xdesk
