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

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/xdesk.h"
#include "wizard/tables/step1_source_choice.h"
#include "wizard/tables/step2_file.h"

namespace fs = std::filesystem;
using namespace xdesk;

namespace {

// ---- The program under test --------------------------------------------------------------

// What stands on a page besides its backdrop, in pixels of its client area.
struct Page {
  std::string title;
  std::vector<Rect> controls;
};

const Page kStep1{"Step-1", control_rects(wizard::tables::kStepOne)};
const Page kFilePage{"Step-2", control_rects(wizard::tables::kFileSource)};

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
  std::optional<XScreen::Window> window;
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

// Share of one core that the program and its helpers take together while it idles.
double idle_cpu_total(pid_t pid, double seconds) {
  double total = 0;
  for (const auto& [p, share] : idle_cpu(pid, seconds)) total += share;
  return total;
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
    XScreen screen("bench/startup/run.sh");
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
    // Idles with the pointer off the movie, then reports the share of one core taken.
    auto idle = [&](const Rect& area, const char* what, const char* target) {
      screen.move_pointer(area.x + area.w + 20, area.y);
      sleep_ms(1000);
      std::printf("idle CPU, %s: %.1f %% of one core over %.0f s%s\n", what,
                  idle_cpu_total(pid, idle_seconds), idle_seconds, target);
    };
    // Clicks `button` of the page at `from` and times the way to the backdrop of `to`.
    auto turn = [&](const Rect& from, const Rect& button, const Page& to, Rect* to_area, const char* what) {
      const auto start = Clock::now();
      screen.click(from.x + button.centre_x(), from.y + button.centre_y());
      double white = 0;
      const auto shown = wait_for_page(screen, pid, to, start, 30, to_area, &white);
      if (shown)
        std::printf("%s, backdrop drawn after %.3f s, mostly white for %.3f s\n", what, *shown, white);
      else
        std::cerr << what << ": the page did not appear within 30 s\n";
      return shown.has_value();
    };
    idle(step1_area, "step 1", "  [target <= 15 %]");
    const Rect file_option = control_rect(wizard::tables::kStepOne, "Option3");
    screen.click(step1_area.x + file_option.centre_x(), step1_area.y + file_option.centre_y());
    sleep_ms(100);
    Rect file_area{};
    if (!turn(step1_area, control_rect(wizard::tables::kStepOne, "Command1"), kFilePage, &file_area,
              "step 1 -> file page")) {
      stop(pid);
      return 1;
    }
    idle(file_area, "file page", "  [target <= 15 %]");
    if (!turn(file_area, control_rect(wizard::tables::kFileSource, "Command4"), kStep1, &step1_area,
              "file page -> step 1")) {
      stop(pid);
      return 1;
    }
    sleep_ms(2000);
    print_memory(pid);
    idle(step1_area, "step 1 again", "");

    // Cancel ends the program and its helper processes.
    const auto helpers = process_tree(pid);
    const auto start = Clock::now();
    const Rect cancel = control_rect(wizard::tables::kStepOne, "Command2");
    screen.click(step1_area.x + cancel.centre_x(), step1_area.y + cancel.centre_y());
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
