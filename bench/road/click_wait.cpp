// mellix-clickwait: how long the screen takes to answer a click, as a user sees it.
//
//   mellix-clickwait X Y RX RY RW RH [SHARE] [TIMEOUT_S]
//
// Clicks the left button at root-window point (X, Y) through XTest, then watches the root
// window's rectangle (RX, RY, RW, RH) until at least SHARE (default 0.02) of its pixels are
// coloured (not white, grey or black: a movie's colours, not a page's text), and prints the
// milliseconds from the click to that frame. Exit 1 when TIMEOUT_S (default 10) passes first,
// 3 when the rectangle is coloured already before the click. Needs DISPLAY.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Share of the rectangle's pixels whose channels differ by more than a grey's do.
double coloured_share(Display* display, int x, int y, int w, int h) {
  XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(w),
                            static_cast<unsigned>(h), AllPlanes, ZPixmap);
  if (!image) return 0;
  long coloured = 0;
  for (int row = 0; row < h; ++row) {
    for (int col = 0; col < w; ++col) {
      const unsigned long pixel = XGetPixel(image, col, row);
      const int r = static_cast<int>((pixel >> 16) & 0xFF), g = static_cast<int>((pixel >> 8) & 0xFF),
                b = static_cast<int>(pixel & 0xFF);
      if (std::max({r, g, b}) - std::min({r, g, b}) > 48) ++coloured;
    }
  }
  XDestroyImage(image);
  return static_cast<double>(coloured) / (static_cast<double>(w) * h);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 7) {
    std::fprintf(stderr, "usage: mellix-clickwait X Y RX RY RW RH [SHARE] [TIMEOUT_S]\n");
    return 2;
  }
  int v[6];
  for (int i = 0; i < 6; ++i) v[i] = std::atoi(argv[i + 1]);
  const double share = argc > 7 ? std::atof(argv[7]) : 0.02;
  const double timeout = argc > 8 ? std::atof(argv[8]) : 10;
  if (v[4] <= 0 || v[5] <= 0) {
    std::fprintf(stderr, "the rectangle is empty\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "no X display\n");
    return 2;
  }
  if (coloured_share(display, v[2], v[3], v[4], v[5]) >= share) {
    std::fprintf(stderr, "the rectangle is coloured before the click\n");
    XCloseDisplay(display);
    return 3;
  }

  XTestFakeMotionEvent(display, -1, v[0], v[1], CurrentTime);
  XTestFakeButtonEvent(display, 1, True, CurrentTime);
  XTestFakeButtonEvent(display, 1, False, CurrentTime);
  XFlush(display);
  const auto clicked = Clock::now();

  int status = 1;
  while (std::chrono::duration<double>(Clock::now() - clicked).count() < timeout) {
    if (coloured_share(display, v[2], v[3], v[4], v[5]) >= share) {
      const double ms = std::chrono::duration<double, std::milli>(Clock::now() - clicked).count();
      std::printf("%.0f\n", ms);
      status = 0;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(4));
  }
  XCloseDisplay(display);
  return status;
}
