// mellix-clickwait: how long the screen takes to answer a click, as a user sees it.
//
//   mellix-clickwait X Y RX RY RW RH [SHARE] [TIMEOUT_S]
//
// Clicks at root-window point (X, Y), then watches the root window's rectangle (RX, RY, RW, RH)
// until at least SHARE (default 0.02) of its pixels are coloured (not white, grey or black: a
// movie's colours, not a page's text), and prints the milliseconds from the click to that frame.
// Exit 1 when TIMEOUT_S (default 10) passes first, 3 when the rectangle is coloured already
// before the click. Needs DISPLAY (bench/road/run.sh starts a private X server).

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "common/xdesk.h"

namespace {

// Share of the pixels whose channels differ by more than a grey's do.
double coloured_share(const std::vector<unsigned>& pixels) {
  const auto coloured = std::count_if(pixels.begin(), pixels.end(), [](unsigned rgb) {
    const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return std::max({r, g, b}) - std::min({r, g, b}) > 48;
  });
  return pixels.empty() ? 0 : static_cast<double>(coloured) / static_cast<double>(pixels.size());
}

}  // namespace

int main(int argc, char** argv) try {
  if (argc < 7) {
    std::fprintf(stderr, "usage: mellix-clickwait X Y RX RY RW RH [SHARE] [TIMEOUT_S]\n");
    return 2;
  }
  int v[6];
  for (int i = 0; i < 6; ++i) v[i] = std::atoi(argv[i + 1]);
  const xdesk::Rect watched{v[2], v[3], v[4], v[5]};
  const double share = argc > 7 ? std::atof(argv[7]) : 0.02;
  const double timeout = argc > 8 ? std::atof(argv[8]) : 10;
  xdesk::XScreen screen("bench/road/run.sh");
  if (coloured_share(screen.pixels(watched)) >= share) {
    std::fprintf(stderr, "the rectangle is coloured before the click\n");
    return 3;
  }
  screen.click(v[0], v[1]);
  const auto clicked = xdesk::Clock::now();
  while (xdesk::seconds_since(clicked) < timeout) {
    if (coloured_share(screen.pixels(watched)) >= share) {
      std::printf("%.0f\n", xdesk::ms_since(clicked));
      return 0;
    }
    xdesk::sleep_ms(4);
  }
  return 1;
} catch (const std::exception& error) {
  std::fprintf(stderr, "%s\n", error.what());
  return 2;
}
