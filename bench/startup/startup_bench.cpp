// mellix-startup: measures the wizard from outside, as a user meets it, on an X server.
//
//   start-up  launch of build/mellix to the step-1 page on the screen with the first frame of
//             its backdrop movie drawn (the first run is cold, the others warm)
//   memory    proportional set size (PSS) of the program and every process it started, after
//             visiting step 1, the file page and step 1 again
//   idle CPU  share of one core that all those processes take while a page sits idle
//   ending    "Cancel" ends the program and its helper processes
//
// It drives the program with synthesised mouse clicks at the controls' design positions and
// watches the screen with XGetImage. Needs DISPLAY (bench/startup/run.sh starts a private X).

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void sleep_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Twips of the pages' design to pixels.
int px(int twips) { return (twips + 7) / 15; }

struct Rect {
  int x, y, w, h;
  bool contains(int px_, int py_) const { return px_ >= x && px_ < x + w && py_ >= y && py_ < y + h; }
};

// ---- Processes -------------------------------------------------------------------------

// The process and every process below it.
std::vector<pid_t> process_tree(pid_t root) {
  std::map<pid_t, std::vector<pid_t>> children;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.empty() || !std::isdigit(static_cast<unsigned char>(name[0]))) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    const auto close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 2));
    char state;
    pid_t parent;
    rest >> state >> parent;
    children[parent].push_back(std::stoi(name));
  }
  std::vector<pid_t> tree{root};
  for (std::size_t i = 0; i < tree.size(); ++i)
    for (pid_t child : children[tree[i]]) tree.push_back(child);
  return tree;
}

// PSS in kB of one process, from smaps_rollup.
long pss_kb(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
  std::string key;
  long value;
  std::string unit;
  while (in >> key) {
    if (key == "Pss:") {
      in >> value >> unit;
      return value;
    }
    std::string skip;
    std::getline(in, skip);
  }
  return 0;
}

// User plus system CPU time of one process, in clock ticks.
long cpu_ticks(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return 0;
  std::istringstream rest(line.substr(line.rfind(')') + 2));
  std::string field;
  long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && rest >> field; ++i) {
    if (i == 14) utime = std::stol(field);
    if (i == 15) stime = std::stol(field);
  }
  return utime + stime;
}

std::string command_name(pid_t pid) {
  std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
  std::string name;
  std::getline(comm, name);
  return name;
}

// ---- XScreen ------------------------------------------------------------------------------

class XScreen {
 public:
  XScreen() {
    display_ = XOpenDisplay(nullptr);
    if (!display_) throw std::runtime_error("no X display: set DISPLAY or use bench/startup/run.sh");
    // Windows come and go while the tree is walked: a vanished window is no error here.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    int event, error, major, minor;
    if (!XTestQueryExtension(display_, &event, &error, &major, &minor))
      throw std::runtime_error("the X server has no XTest extension");
  }
  ~XScreen() { XCloseDisplay(display_); }

  // A viewable top-level window of process `pid` titled `title`.
  std::optional<Window> find(pid_t pid, const std::string& title) {
    std::optional<Window> found;
    walk(DefaultRootWindow(display_), [&](Window w) {
      if (found) return;
      XWindowAttributes attributes;
      if (!XGetWindowAttributes(display_, w, &attributes) || attributes.map_state != IsViewable) return;
      if (window_pid(w) != pid || window_title(w) != title) return;
      found = w;
    });
    return found;
  }

  // The client area of `w` in root coordinates.
  Rect area(Window w) {
    XWindowAttributes attributes;
    XGetWindowAttributes(display_, w, &attributes);
    int x, y;
    Window child;
    XTranslateCoordinates(display_, w, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
    return {x, y, attributes.width, attributes.height};
  }

  // Pixels of `r` (root coordinates) as 0xRRGGBB.
  std::vector<unsigned> pixels(const Rect& r) {
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

  void click(int x, int y) {
    XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
    XTestFakeButtonEvent(display_, 1, True, CurrentTime);
    XTestFakeButtonEvent(display_, 1, False, CurrentTime);
    XFlush(display_);
  }

  void move_pointer(int x, int y) {
    XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
    XFlush(display_);
  }

 private:
  void walk(Window w, const std::function<void(Window)>& visit) {
    visit(w);
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display_, w, &root, &parent, &children, &count)) return;
    std::vector<Window> list(children, children + count);
    if (children) XFree(children);
    for (Window child : list) walk(child, visit);
  }

  pid_t window_pid(Window w) {
    const Atom atom = XInternAtom(display_, "_NET_WM_PID", True);
    if (atom == None) return 0;
    Atom type;
    int format;
    unsigned long items, after;
    unsigned char* data = nullptr;
    pid_t pid = 0;
    if (XGetWindowProperty(display_, w, atom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after,
                           &data) == Success &&
        data && items == 1)
      pid = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data));
    if (data) XFree(data);
    return pid;
  }

  std::string window_title(Window w) {
    char* name = nullptr;
    std::string title;
    if (XFetchName(display_, w, &name) && name) title = name;
    if (name) XFree(name);
    return title;
  }

  Display* display_;
};

// ---- The program under test --------------------------------------------------------------

// What stands on a page besides its backdrop, in pixels of its client area.
struct Page {
  std::string title;
  std::vector<Rect> controls;
};

const Page kStep1{"Step-1",
                  {{0, 0, px(1455), px(1695)},
                   {px(5040), px(6480), px(1815), px(495)},
                   {px(3000), px(6480), px(1815), px(495)},
                   {px(3240), px(2520), px(255), px(2055)}}};
const Page kFilePage{"Step-2",
                     {{0, 0, px(1455), px(1695)},
                      {px(3840), px(2880), px(2535), px(1335)},
                      {px(2400), px(6360), px(6135), px(495)},
                      {px(3720), px(2040), px(2655), px(615)}}};

// How a page looks: whether its backdrop is drawn (the page's area outside its controls shows
// the movie: more than one colour, and less than nine tenths of it in the colour it had before
// the movie came), and the share of that area in plain white.
struct Look {
  bool drawn = false;
  double white = 0;
};

Look look_of(XScreen& screen, const Rect& area, const Page& page, unsigned blank) {
  const std::vector<unsigned> image = screen.pixels(area);
  if (image.empty()) return {};
  long counted = 0, plain = 0, white = 0;
  std::set<unsigned> colours;
  for (int y = 0; y < area.h; ++y)
    for (int x = 0; x < area.w; ++x) {
      bool covered = false;
      for (const Rect& c : page.controls) covered = covered || c.contains(x, y);
      if (covered) continue;
      const unsigned rgb = image[static_cast<std::size_t>(y) * area.w + x];
      ++counted;
      if (rgb == blank || rgb == 0xFFFFFF) ++plain;
      if (rgb == 0xFFFFFF) ++white;
      if (colours.size() < 8) colours.insert(rgb);
    }
  if (counted == 0) return {};
  return {colours.size() > 1 && plain < counted * 9 / 10, double(white) / double(counted)};
}

// Waits for the page's window and for its backdrop; returns the seconds since `start`. While
// it waits, adds up the time the window stood there mostly white (`white_out`).
std::optional<double> wait_for_page(XScreen& screen, pid_t pid, const Page& page, Clock::time_point start,
                                    double timeout, Rect* area_out = nullptr, double* white_out = nullptr) {
  std::optional<Window> window;
  unsigned blank = 0;
  double white = 0, last = 0;
  while (seconds_since(start) < timeout) {
    if (!window) {
      window = screen.find(pid, page.title);
      if (window) {
        // The colour the window shows before its movie: the first pixel of its bottom-right corner.
        const Rect a = screen.area(*window);
        const auto corner = screen.pixels({a.x + a.w - 2, a.y + a.h - 2, 1, 1});
        blank = corner.empty() ? 0 : corner[0];
        last = seconds_since(start);
      }
    }
    if (window) {
      const Rect a = screen.area(*window);
      const Look look = look_of(screen, a, page, blank);
      const double now = seconds_since(start);
      if (look.white > 0.5) white += now - last;
      last = now;
      if (white_out) *white_out = white;
      if (look.drawn) {
        if (area_out) *area_out = a;
        return now;
      }
    }
    sleep_ms(5);
  }
  return std::nullopt;
}

pid_t launch(const std::string& program) {
  const pid_t pid = fork();
  if (pid == 0) {
    // The program's own output is not part of the figures.
    std::freopen("/dev/null", "w", stdout);
    std::freopen("/dev/null", "w", stderr);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

// Ends the program and whatever it left behind.
void stop(pid_t pid) {
  const auto tree = process_tree(pid);
  for (pid_t p : tree) kill(p, SIGKILL);
  waitpid(pid, nullptr, 0);
}

double idle_cpu(pid_t pid, double seconds) {
  auto total = [&] {
    long ticks = 0;
    for (pid_t p : process_tree(pid)) ticks += cpu_ticks(p);
    return ticks;
  };
  const long before = total();
  const auto start = Clock::now();
  sleep_ms(static_cast<int>(seconds * 1000));
  const long after = total();
  return 100.0 * double(after - before) / double(sysconf(_SC_CLK_TCK)) / seconds_since(start);
}

void print_memory(pid_t pid) {
  long total = 0;
  std::map<std::string, std::pair<int, long>> by_name;
  for (pid_t p : process_tree(pid)) {
    const long kb = pss_kb(p);
    total += kb;
    auto& entry = by_name[command_name(p)];
    entry.first += 1;
    entry.second += kb;
  }
  std::printf("memory: PSS %.0f MB over all processes (", total / 1024.0);
  bool first = true;
  for (const auto& [name, entry] : by_name) {
    std::printf("%s%s x%d %.0f MB", first ? "" : ", ", name.c_str(), entry.first, entry.second / 1024.0);
    first = false;
  }
  std::printf(")  [target <= 600 MB]\n");
}

int usage() {
  std::cerr << "usage: mellix-startup [--program PATH] [--runs N] [--idle SECONDS] [--drop-caches]\n"
               "  --drop-caches  empties the system's file cache before the first run (root only), so that\n"
               "                 the first run reads the program, Qt, the web engine and Ruffle from disk\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string program = (fs::read_symlink("/proc/self/exe").parent_path() / "mellix").string();
  int runs = 5;
  double idle_seconds = 10;
  bool drop_caches = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--program" && i + 1 < argc) {
      program = argv[++i];
    } else if (arg == "--runs" && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--drop-caches") {
      drop_caches = true;
    } else if (arg == "--idle" && i + 1 < argc) {
      idle_seconds = std::atof(argv[++i]);
    } else {
      return usage();
    }
  }
  try {
    XScreen screen;
    std::vector<double> times;
    double white_at_start = 0;
    pid_t pid = 0;
    Rect step1_area{};
    if (drop_caches) {
      sync();
      std::ofstream("/proc/sys/vm/drop_caches") << "3\n";
    }
    for (int run = 0; run < runs; ++run) {
      if (pid) stop(pid);
      const auto start = Clock::now();
      pid = launch(program);
      double white = 0;
      const auto shown = wait_for_page(screen, pid, kStep1, start, 30, &step1_area, &white);
      white_at_start = std::max(white_at_start, white);
      if (!shown) {
        std::cerr << "step 1 with its backdrop did not appear within 30 s\n";
        stop(pid);
        return 1;
      }
      times.push_back(*shown);
    }
    std::printf("start-up to the first backdrop frame of step 1: %s %.3f s", drop_caches ? "cold" : "first",
                times[0]);
    if (times.size() > 1) {
      std::vector<double> warm(times.begin() + 1, times.end());
      std::printf(", warm");
      for (double t : warm) std::printf(" %.3f", t);
      std::sort(warm.begin(), warm.end());
      std::printf(" s (median %.3f s)", warm[warm.size() / 2]);
    }
    std::printf("  [target <= 1.5 s]\n");
    std::printf("step 1 stood mostly white before its backdrop for at most %.3f s\n", white_at_start);

    // The last run stays: step 1 idles, then the file page, then step 1 again.
    screen.move_pointer(step1_area.x + step1_area.w + 20, step1_area.y);  // off the movie
    sleep_ms(1000);
    std::printf("idle CPU, step 1: %.1f %% of one core over %.0f s  [target <= 30 %%]\n",
                idle_cpu(pid, idle_seconds), idle_seconds);

    screen.click(step1_area.x + px(3240) + px(255) / 2,
                 step1_area.y + px(3840) + px(735) / 2);  // file option
    sleep_ms(100);
    auto start = Clock::now();
    screen.click(step1_area.x + px(3000) + px(1815) / 2, step1_area.y + px(6480) + px(495) / 2);  // Next >
    Rect file_area{};
    double white = 0;
    const auto file_shown = wait_for_page(screen, pid, kFilePage, start, 30, &file_area, &white);
    if (!file_shown) {
      std::cerr << "the file page did not appear\n";
      stop(pid);
      return 1;
    }
    std::printf("step 1 -> file page, backdrop drawn after %.3f s, mostly white for %.3f s\n", *file_shown,
                white);
    screen.move_pointer(file_area.x + file_area.w + 20, file_area.y);
    sleep_ms(1000);
    std::printf("idle CPU, file page: %.1f %% of one core over %.0f s  [target <= 30 %%]\n",
                idle_cpu(pid, idle_seconds), idle_seconds);

    start = Clock::now();
    screen.click(file_area.x + px(2400) + px(1815) / 2, file_area.y + px(6360) + px(495) / 2);  // < Back
    const auto back_shown = wait_for_page(screen, pid, kStep1, start, 30, &step1_area, &white);
    if (!back_shown) {
      std::cerr << "step 1 did not come back\n";
      stop(pid);
      return 1;
    }
    std::printf("file page -> step 1, backdrop drawn after %.3f s, mostly white for %.3f s\n", *back_shown,
                white);
    sleep_ms(2000);
    print_memory(pid);
    screen.move_pointer(step1_area.x + step1_area.w + 20, step1_area.y);
    std::printf("idle CPU, step 1 again: %.1f %% of one core over %.0f s\n", idle_cpu(pid, idle_seconds),
                idle_seconds);

    // Cancel ends the program and its helper processes.
    const auto helpers = process_tree(pid);
    start = Clock::now();
    screen.click(step1_area.x + px(5040) + px(1815) / 2, step1_area.y + px(6480) + px(495) / 2);
    int status = 0;
    bool ended = false;
    while (seconds_since(start) < 10) {
      if (waitpid(pid, &status, WNOHANG) == pid) {
        ended = true;
        break;
      }
      sleep_ms(5);
    }
    const double exit_time = seconds_since(start);
    while (seconds_since(start) < 10) {
      bool left = false;
      for (pid_t p : helpers) left = left || (p != pid && kill(p, 0) == 0 && command_name(p) != "");
      if (!left) break;
      sleep_ms(20);
    }
    int remaining = 0;
    for (pid_t p : helpers)
      if (p != pid && kill(p, 0) == 0) ++remaining;
    if (!ended) {
      std::printf("Cancel: the program did not end\n");
      stop(pid);
      return 1;
    }
    std::printf(
        "Cancel: program ended after %.3f s (exit status %d), %d of %zu helper processes left after %.1f s\n",
        exit_time, WIFEXITED(status) ? WEXITSTATUS(status) : -1, remaining, helpers.size() - 1,
        seconds_since(start));
    for (pid_t p : helpers)
      if (p != pid) kill(p, SIGKILL);
    return 0;
  } catch (const std::exception& error) {
    std::cerr << error.what() << '\n';
    return 1;
  }
}
