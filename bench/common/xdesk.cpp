#include "common/xdesk.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace xdesk {

void sleep_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// ---- Processes ------------------------------------------------------------------------------

namespace {

// The fields of /proc/<pid>/stat after the command name, which may itself hold blanks and
// parentheses; empty when the process is gone.
std::string stat_fields(const fs::path& stat_file) {
  std::ifstream stat(stat_file);
  std::string line;
  if (!std::getline(stat, line)) return {};
  const auto close = line.rfind(')');
  return close == std::string::npos || close + 2 > line.size() ? std::string() : line.substr(close + 2);
}

}  // namespace

std::vector<pid_t> process_tree(pid_t root) {
  std::map<pid_t, std::vector<pid_t>> children;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.empty() || !std::isdigit(static_cast<unsigned char>(name[0]))) continue;
    std::istringstream rest(stat_fields(entry.path() / "stat"));
    char state;
    pid_t parent;
    if (rest >> state >> parent) children[parent].push_back(std::stoi(name));
  }
  std::vector<pid_t> tree{root};
  for (std::size_t i = 0; i < tree.size(); ++i)
    for (pid_t child : children[tree[i]]) tree.push_back(child);
  return tree;
}

long pss_kb(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
  std::string key, unit;
  long value;
  while (in >> key) {
    if (key == "Pss:") return (in >> value >> unit) ? value : 0;
    std::getline(in, unit);
  }
  return 0;
}

long cpu_ticks(pid_t pid) {
  std::istringstream rest(stat_fields("/proc/" + std::to_string(pid) + "/stat"));
  std::string field;
  long ticks = 0;
  for (int i = 3; i <= 15 && rest >> field; ++i)
    if (i == 14 || i == 15) ticks += std::stol(field);  // utime, stime
  return ticks;
}

std::string command_name(pid_t pid) {
  std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
  std::string name;
  std::getline(comm, name);
  return name;
}

std::map<pid_t, double> idle_cpu(pid_t root, double seconds) {
  auto ticks = [root] {
    std::map<pid_t, long> by_process;
    for (pid_t p : process_tree(root)) by_process[p] = cpu_ticks(p);
    return by_process;
  };
  const auto before = ticks();
  const auto start = Clock::now();
  sleep_ms(static_cast<int>(seconds * 1000));
  const auto after = ticks();
  const double elapsed = seconds_since(start), tick = double(sysconf(_SC_CLK_TCK));
  std::map<pid_t, double> share;
  for (const auto& [pid, t] : after) {
    const auto was = before.find(pid);
    share[pid] = 100.0 * double(t - (was == before.end() ? 0 : was->second)) / tick / elapsed;
  }
  return share;
}

// ---- The screen ---------------------------------------------------------------------------

namespace {

void walk(Display* display, Window w, const std::function<void(Window)>& visit) {
  visit(w);
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, w, &root, &parent, &children, &count)) return;
  std::vector<Window> list(children, children + count);
  if (children) XFree(children);
  for (Window child : list) walk(display, child, visit);
}

pid_t window_pid(Display* display, Window w) {
  const Atom atom = XInternAtom(display, "_NET_WM_PID", True);
  if (atom == None) return 0;
  Atom type;
  int format;
  unsigned long items, after;
  unsigned char* data = nullptr;
  pid_t pid = 0;
  if (XGetWindowProperty(display, w, atom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after, &data) ==
          Success &&
      data && items == 1)
    pid = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data));
  if (data) XFree(data);
  return pid;
}

std::string window_title(Display* display, Window w) {
  char* name = nullptr;
  std::string title;
  if (XFetchName(display, w, &name) && name) title = name;
  if (name) XFree(name);
  return title;
}

}  // namespace

XScreen::XScreen(const std::string& run_script) : display_(XOpenDisplay(nullptr)) {
  if (!display_) throw std::runtime_error("no X display: set DISPLAY or use " + run_script);
  // Windows come and go while the tree is walked: a vanished window is no error here.
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  int event, error, major, minor;
  if (!XTestQueryExtension(display_, &event, &error, &major, &minor)) {
    XCloseDisplay(display_);
    throw std::runtime_error("the X server has no XTest extension");
  }
}

XScreen::~XScreen() { XCloseDisplay(display_); }

std::optional<XScreen::Window> XScreen::find(pid_t pid, const std::string& title) {
  std::optional<Window> found;
  walk(display_, DefaultRootWindow(display_), [&](Window w) {
    XWindowAttributes attributes;
    if (found || !XGetWindowAttributes(display_, w, &attributes) || attributes.map_state != IsViewable)
      return;
    if (window_pid(display_, w) == pid && window_title(display_, w) == title) found = w;
  });
  return found;
}

Rect XScreen::area(Window w) {
  XWindowAttributes attributes;
  XGetWindowAttributes(display_, w, &attributes);
  int x, y;
  Window child;
  XTranslateCoordinates(display_, w, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
  return {x, y, attributes.width, attributes.height};
}

std::vector<unsigned> XScreen::pixels(const Rect& r) {
  std::vector<unsigned> out;
  XImage* image = XGetImage(display_, DefaultRootWindow(display_), r.x, r.y, static_cast<unsigned>(r.w),
                            static_cast<unsigned>(r.h), AllPlanes, ZPixmap);
  if (!image) return out;
  out.reserve(static_cast<std::size_t>(r.w) * static_cast<std::size_t>(r.h));
  for (int y = 0; y < r.h; ++y)
    for (int x = 0; x < r.w; ++x) out.push_back(static_cast<unsigned>(XGetPixel(image, x, y)) & 0xFFFFFF);
  XDestroyImage(image);
  return out;
}

void XScreen::click(int x, int y) {
  // Each event reaches the server before the next, so the press lands where the pointer went.
  XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
  XSync(display_, False);
  XTestFakeButtonEvent(display_, 1, True, CurrentTime);
  XSync(display_, False);
  XTestFakeButtonEvent(display_, 1, False, CurrentTime);
  XSync(display_, False);
}

void XScreen::move_pointer(int x, int y) {
  XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
  XFlush(display_);
}

void XScreen::key(const std::string& keysym) {
  const KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(keysym.c_str()));
  if (code == 0) throw std::runtime_error("no key for " + keysym);
  XTestFakeKeyEvent(display_, code, True, CurrentTime);
  XSync(display_, False);
  XTestFakeKeyEvent(display_, code, False, CurrentTime);
  XSync(display_, False);
}

Rect control_rect(wizard::tables::ControlTable table, const std::string& name, int index) {
  for (const auto& row : table) {
    if (name != row.name || row.index != index) continue;
    Rect rect{px(row.left), px(row.top), px(row.width), px(row.height)};
    if (row.parent) {
      const Rect parent = control_rect(table, row.parent);
      rect.x += parent.x;
      rect.y += parent.y;
    }
    return rect;
  }
  throw std::logic_error("no control " + name);
}

std::vector<Rect> control_rects(wizard::tables::ControlTable table) {
  std::vector<Rect> rects;
  for (const auto& row : table)
    if (row.kind != wizard::tables::Kind::Flash && row.kind != wizard::tables::Kind::Browser)
      rects.push_back(control_rect(table, row.name, row.index));
  return rects;
}

}  // namespace xdesk
