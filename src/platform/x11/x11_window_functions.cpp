#include "platform/x11/x11_window_functions.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <stdexcept>
#include <thread>

#include "core/errors.h"
#include "core/text.h"

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// How long a selection owner may take to answer one request, and a window manager to move
// the focus after an activation request.
constexpr auto kSelectionTimeout = std::chrono::milliseconds(1000);
constexpr auto kActivationTimeout = std::chrono::milliseconds(2000);

// Xlib's default error handler ends the process; a window may vanish between two requests,
// so errors are trapped, noted and answered by the caller.
int last_x_error = 0;

int note_x_error(Display*, XErrorEvent* event) {
  last_x_error = event->error_code;
  return 0;
}

class ErrorTrap {
 public:
  explicit ErrorTrap(Display* display) : display_(display) {
    XSync(display_, False);
    last_x_error = 0;
    previous_ = XSetErrorHandler(note_x_error);
  }
  ~ErrorTrap() {
    XSync(display_, False);
    XSetErrorHandler(previous_);
  }
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;
  bool failed() {
    XSync(display_, False);
    return last_x_error != 0;
  }

 private:
  Display* display_;
  int (*previous_)(Display*, XErrorEvent*);
};

std::string latin1_to_utf8(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

bool starts_with_text(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && core::same_ignoring_case(text.substr(0, prefix.size()), prefix);
}

}  // namespace

struct X11WindowFunctions::Connection {
  Display* display = nullptr;
  Window root = None;
  Window helper = None;           // receives the selection owner's answers
  std::uint32_t client_bits = 0;  // the bits of a window's id that name the connection that made it
  Atom utf8_string, incr, transfer, wm_state, net_active_window, net_wm_name, net_wm_pid,
      net_client_list_stacking, net_supporting_wm_check;

  ~Connection() {
    if (!display) return;
    if (helper != None) XDestroyWindow(display, helper);
    XCloseDisplay(display);
  }

  Atom atom(const char* name) { return XInternAtom(display, name, False); }

  // The foreground window and its title, which a caller may ask for every few milliseconds,
  // are kept until the server reports a change: the root's properties (active window, window
  // manager) and those of the window whose title is kept.
  bool foreground_known = false;
  Window foreground = None;
  Window titled = None;
  bool title_known = false;
  std::string title;

  void take_changes() {
    XEvent event;
    while (XCheckTypedWindowEvent(display, root, PropertyNotify, &event)) {
      if (event.xproperty.atom == net_active_window || event.xproperty.atom == net_supporting_wm_check)
        foreground_known = false;
    }
    if (titled == None) return;
    while (XCheckTypedWindowEvent(display, titled, PropertyNotify, &event)) {
      if (event.xproperty.atom == net_wm_name || event.xproperty.atom == XA_WM_NAME) title_known = false;
    }
    // A new window may be given the same id later: it has to be watched anew.
    if (XCheckTypedWindowEvent(display, titled, DestroyNotify, &event)) {
      title_known = false;
      titled = None;
    }
  }

  // Watches `window` for changes of its title from now on; false when it does not exist. The
  // watch starts before the title is read: a title set in between is reported, not lost. (The
  // window manager may still name a closed window active, and a window made next can get its id.)
  bool watch_title(Window window) {
    if (window != titled) {
      ErrorTrap trap(display);
      if (titled != None) {
        XSelectInput(display, titled, NoEventMask);
        take_changes();
      }
      XSelectInput(display, window, PropertyChangeMask | StructureNotifyMask);
      titled = trap.failed() ? None : window;
      title_known = false;
    }
    return titled == window;
  }

  // The whole value of a property, or nothing when the window or the property is missing.
  bool property(Window window, Atom name, Atom& type, int& format, std::string& bytes, bool remove = false) {
    ErrorTrap trap(display);
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, window, name, 0, LONG_MAX / 4, remove ? True : False,
                                          AnyPropertyType, &type, &format, &items, &after, &data);
    if (trap.failed() || status != Success || type == None) {
      if (data) XFree(data);
      return false;
    }
    const std::size_t unit = format == 32 ? sizeof(long) : static_cast<std::size_t>(format / 8);
    bytes.assign(reinterpret_cast<const char*>(data), items * unit);
    XFree(data);
    return true;
  }

  std::vector<Window> window_list(Window window, Atom name) {
    Atom type = None;
    int format = 0;
    std::string bytes;
    std::vector<Window> windows;
    if (!property(window, name, type, format, bytes) || format != 32) return windows;
    for (std::size_t at = 0; at + sizeof(long) <= bytes.size(); at += sizeof(long)) {
      long value = 0;
      std::copy_n(bytes.data() + at, sizeof(long), reinterpret_cast<char*>(&value));
      windows.push_back(static_cast<Window>(value));
    }
    return windows;
  }

  // A window manager that follows the EWMH conventions is running.
  bool window_manager() {
    const auto check = window_list(root, net_supporting_wm_check);
    if (check.empty() || check[0] == None) return false;
    const auto again = window_list(check[0], net_supporting_wm_check);
    return !again.empty() && again[0] == check[0];
  }

  Window parent_of(Window window) {
    ErrorTrap trap(display);
    Window root_return = None, parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    const Status ok = XQueryTree(display, window, &root_return, &parent, &children, &count);
    if (children) XFree(children);
    return (ok && !trap.failed()) ? parent : None;
  }

  // The application window that holds the keyboard focus: the one the window manager marked
  // as a client (WM_STATE) around the focus, else the child of the root that contains it.
  Window focused_client() {
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    if (focus == None || focus == PointerRoot || focus == root) return None;
    Window client = None;
    for (Window w = focus; w != None;) {
      Atom type = None;
      int format = 0;
      std::string bytes;
      if (client == None && property(w, wm_state, type, format, bytes)) client = w;
      const Window parent = parent_of(w);
      if (parent == root) return client != None ? client : w;
      w = parent;
    }
    return None;
  }

  bool focus_inside(Window target) {
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    for (Window w = focus; w != None && w != PointerRoot && w != root; w = parent_of(w)) {
      if (w == target) return true;
    }
    return false;
  }

  void viewable_titled(Window window, std::vector<WindowHandle>& out, X11WindowFunctions& self) {
    ErrorTrap trap(display);
    Window root_return = None, parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root_return, &parent, &children, &count) || trap.failed()) return;
    std::vector<Window> kids(children, children + count);
    if (children) XFree(children);
    for (Window child : kids) {
      XWindowAttributes attributes{};
      if (!XGetWindowAttributes(display, child, &attributes) || attributes.map_state != IsViewable) continue;
      if (!self.window_title(static_cast<WindowHandle>(child)).empty())
        out.push_back(static_cast<WindowHandle>(child));
      viewable_titled(child, out, self);
    }
  }

  // Waits for the answer to a selection request on the helper window.
  bool wait_for(int event_type, XEvent& event, Clock::time_point deadline) {
    for (;;) {
      if (XCheckTypedWindowEvent(display, helper, event_type, &event)) return true;
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return false;
      pollfd fd{ConnectionNumber(display), POLLIN, 0};
      poll(&fd, 1, static_cast<int>(std::min<long long>(left, 20)));
    }
  }

  void drop_helper_events() {
    XEvent event;
    while (XCheckWindowEvent(display, helper, PropertyChangeMask, &event)) {
    }
  }

  // Asks the PRIMARY selection's owner for its contents as `target`. False: the owner refused
  // that form. Throws when it does not answer.
  bool convert(Atom target, std::string& text) {
    drop_helper_events();
    XDeleteProperty(display, helper, transfer);
    XConvertSelection(display, XA_PRIMARY, target, transfer, helper, CurrentTime);
    XFlush(display);
    XEvent event;
    if (!wait_for(SelectionNotify, event, Clock::now() + kSelectionTimeout)) {
      throw std::runtime_error("the selection's owner did not answer");
    }
    if (event.xselection.property == None) return false;
    Atom type = None;
    int format = 0;
    std::string bytes;
    if (!property(helper, transfer, type, format, bytes, true)) throw std::runtime_error("no selection data");
    if (type != incr) {
      text = bytes;
      return true;
    }
    // Large contents come in pieces: each new value of the property is the next piece, an
    // empty one ends the transfer.
    text.clear();
    for (;;) {
      XEvent change;
      const auto deadline = Clock::now() + kSelectionTimeout;
      do {
        if (!wait_for(PropertyNotify, change, deadline))
          throw std::runtime_error("selection transfer stalled");
      } while (change.xproperty.atom != transfer || change.xproperty.state != PropertyNewValue);
      if (!property(helper, transfer, type, format, bytes, true))
        throw std::runtime_error("selection piece lost");
      if (bytes.empty()) break;
      text += bytes;
    }
    drop_helper_events();
    return true;
  }
};

X11WindowFunctions::X11WindowFunctions(const char* display_name) : x_(std::make_unique<Connection>()) {
  x_->display = XOpenDisplay(display_name);
  if (!x_->display) return;
  Display* d = x_->display;
  x_->root = DefaultRootWindow(d);
  // The server hands every connection the same mask for the ids it may make (the rest names
  // the connection); Xlib keeps it private, a second look at the set-up tells it.
  xcb_connection_t* look = xcb_connect(display_name, nullptr);
  if (!xcb_connection_has_error(look)) x_->client_bits = ~xcb_get_setup(look)->resource_id_mask;
  xcb_disconnect(look);
  x_->utf8_string = x_->atom("UTF8_STRING");
  x_->incr = x_->atom("INCR");
  x_->transfer = x_->atom("MELLIX_SELECTED_TEXT");
  x_->wm_state = x_->atom("WM_STATE");
  x_->net_active_window = x_->atom("_NET_ACTIVE_WINDOW");
  x_->net_wm_name = x_->atom("_NET_WM_NAME");
  x_->net_wm_pid = x_->atom("_NET_WM_PID");
  x_->net_client_list_stacking = x_->atom("_NET_CLIENT_LIST_STACKING");
  x_->net_supporting_wm_check = x_->atom("_NET_SUPPORTING_WM_CHECK");
  // Never mapped: it only receives the selection owner's answers.
  XSetWindowAttributes attributes{};
  attributes.event_mask = PropertyChangeMask;
  x_->helper =
      XCreateWindow(d, x_->root, -10, -10, 1, 1, 0, 0, InputOnly, CopyFromParent, CWEventMask, &attributes);
  XSelectInput(d, x_->root, PropertyChangeMask);  // a new active window, another window manager
  XSync(d, False);
}

X11WindowFunctions::~X11WindowFunctions() = default;

bool X11WindowFunctions::connected() const { return x_->display != nullptr; }

WindowHandle X11WindowFunctions::GetForegroundWindow() {
  if (!x_->display) return 0;
  x_->take_changes();
  if (x_->foreground_known) return static_cast<WindowHandle>(x_->foreground);
  // The window manager names the active window, but not while the focus moves from one
  // window to the next: then the focus itself tells.
  if (x_->window_manager()) {
    const auto active = x_->window_list(x_->root, x_->net_active_window);
    if (!active.empty() && active[0] != None) {
      x_->foreground = active[0];
      x_->foreground_known = true;
      return static_cast<WindowHandle>(active[0]);
    }
  }
  return static_cast<WindowHandle>(x_->focused_client());
}

WindowHandle X11WindowFunctions::GetActiveWindow() {
  const WindowHandle foreground = GetForegroundWindow();
  if (foreground == 0 || window_pid(foreground) != static_cast<long>(getpid())) return 0;
  return foreground;
}

std::string X11WindowFunctions::window_title(WindowHandle window) {
  if (!x_->display || window == 0) return {};
  x_->take_changes();
  if (x_->title_known && window == x_->titled) return x_->title;
  const bool keep = x_->foreground_known && window == x_->foreground && x_->watch_title(window);
  std::string title = read_title(window);
  if (keep) {
    x_->title = title;
    x_->title_known = true;
  }
  return title;
}

std::string X11WindowFunctions::read_title(WindowHandle window) {
  Atom type = None;
  int format = 0;
  std::string bytes;
  if (x_->property(window, x_->net_wm_name, type, format, bytes) && type == x_->utf8_string && format == 8) {
    return bytes;
  }
  if (!x_->property(window, XA_WM_NAME, type, format, bytes) || format != 8) return {};
  if (type == x_->utf8_string) return bytes;
  if (type == XA_STRING) return latin1_to_utf8(bytes);
  // Compound text: let Xlib convert it.
  XTextProperty text{reinterpret_cast<unsigned char*>(bytes.data()), type, format, bytes.size()};
  char** list = nullptr;
  int count = 0;
  std::string title;
  if (Xutf8TextPropertyToTextList(x_->display, &text, &list, &count) >= Success && count > 0) {
    title = list[0];
  }
  if (list) XFreeStringList(list);
  return title;
}

long X11WindowFunctions::window_pid(WindowHandle window) {
  if (!x_->display || window == 0) return 0;
  const auto values = x_->window_list(window, x_->net_wm_pid);
  return values.empty() ? 0 : static_cast<long>(values[0]);
}

std::vector<WindowHandle> X11WindowFunctions::top_level_windows() {
  std::vector<WindowHandle> windows;
  if (!x_->display) return windows;
  if (x_->window_manager()) {
    for (Window w : x_->window_list(x_->root, x_->net_client_list_stacking)) {
      windows.push_back(static_cast<WindowHandle>(w));
    }
    return windows;
  }
  x_->viewable_titled(x_->root, windows, *this);
  return windows;
}

void X11WindowFunctions::AppActivate(const std::string& title) {
  const auto invalid = [] {
    return core::VbError(5, core::exe_name(), "Invalid procedure call or argument");
  };
  if (!x_->display || title.empty()) throw invalid();

  // Among several windows of the title, the one highest in the stacking order wins; a title
  // that names no window whole may name the start of one.
  const auto windows = top_level_windows();
  WindowHandle target = 0;
  for (auto it = windows.rbegin(); it != windows.rend() && target == 0; ++it) {
    if (core::same_ignoring_case(window_title(*it), title)) target = *it;
  }
  for (auto it = windows.rbegin(); it != windows.rend() && target == 0; ++it) {
    if (starts_with_text(window_title(*it), title)) target = *it;
  }
  if (target == 0) throw invalid();

  Display* d = x_->display;
  {
    ErrorTrap trap(d);
    if (x_->window_manager()) {
      XEvent message{};
      message.xclient.type = ClientMessage;
      message.xclient.window = target;
      message.xclient.message_type = x_->net_active_window;
      message.xclient.format = 32;
      message.xclient.data.l[0] = 2;  // source: a pager, which the window manager obeys
      message.xclient.data.l[1] = CurrentTime;
      XSendEvent(d, x_->root, False, SubstructureRedirectMask | SubstructureNotifyMask, &message);
    } else {
      XRaiseWindow(d, target);
      XSetInputFocus(d, target, RevertToParent, CurrentTime);
    }
    if (trap.failed()) throw invalid();
  }

  // Keys sent next must reach the window: wait until the focus is inside it and the window
  // manager names it active.
  const auto deadline = Clock::now() + kActivationTimeout;
  while (!(x_->focus_inside(target) && GetForegroundWindow() == target) && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

WindowHandle X11WindowFunctions::selection_owner() {
  if (!x_->display) return 0;
  return static_cast<WindowHandle>(XGetSelectionOwner(x_->display, XA_PRIMARY));
}

std::string X11WindowFunctions::selection_text() {
  if (!x_->display) throw std::runtime_error("no display");
  if (XGetSelectionOwner(x_->display, XA_PRIMARY) == None) return {};
  std::string text;
  if (x_->convert(x_->utf8_string, text)) return text;
  if (x_->convert(XA_STRING, text)) return latin1_to_utf8(text);
  return {};
}

bool X11WindowFunctions::same_program(WindowHandle a, WindowHandle b) {
  return a != 0 && b != 0 && x_->client_bits != 0 && (a & x_->client_bits) == (b & x_->client_bits);
}

}  // namespace platform
