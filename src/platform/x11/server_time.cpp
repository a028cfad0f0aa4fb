#include "platform/x11/server_time.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kAnswerTimeout = std::chrono::milliseconds(1000);

// The connection and the never-mapped window whose property is changed, made at the first call.
struct Stamper {
  Display* display = nullptr;
  Window window = None;
  Atom property = None;

  Stamper() {
    display = XOpenDisplay(nullptr);
    if (!display) return;
    XSetWindowAttributes attributes{};
    attributes.event_mask = PropertyChangeMask;
    window = XCreateWindow(display, DefaultRootWindow(display), -10, -10, 1, 1, 0, 0, InputOnly,
                           CopyFromParent, CWEventMask, &attributes);
    property = XInternAtom(display, "MELLIX_SERVER_TIME", False);
    XSync(display, False);
  }
  ~Stamper() {
    if (display) XCloseDisplay(display);
  }
  Stamper(const Stamper&) = delete;
  Stamper& operator=(const Stamper&) = delete;

  std::optional<std::uint32_t> now() {
    if (!display) return std::nullopt;
    XEvent event;
    while (XCheckTypedWindowEvent(display, window, PropertyNotify, &event)) {
    }
    // Appending nothing changes no value, but the server reports the change with its time.
    XChangeProperty(display, window, property, XA_INTEGER, 32, PropModeAppend, nullptr, 0);
    XFlush(display);
    const auto deadline = Clock::now() + kAnswerTimeout;
    for (;;) {
      if (XCheckTypedWindowEvent(display, window, PropertyNotify, &event) && event.xproperty.atom == property)
        return static_cast<std::uint32_t>(event.xproperty.time);
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return std::nullopt;
      pollfd fd{ConnectionNumber(display), POLLIN, 0};
      poll(&fd, 1, static_cast<int>(left));
    }
  }
};

}  // namespace

std::optional<std::uint32_t> x_server_time() {
  static Stamper stamper;
  return stamper.now();
}

}  // namespace platform
