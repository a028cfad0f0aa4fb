#include "audio/speech/text_grab.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "core/errors.h"
#include "core/shared_state.h"
#include "platform/x11/x11_window_functions.h"
#include "support/test_support.h"

// Xlib last: its macros (None, Status, ...) clash with the test framework's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

extern char** environ;

namespace {

using namespace std::chrono_literals;

const std::string kEditorTitle = "notes.txt - Text Editor";
const std::string kSelectedText =
    "Gr\u00fc\u00dfe aus K\u00f6ln \u2014 na\u00efve caf\u00e9, \u6771\u4eac.\nSecond line";

bool wait_until(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

// A plain window titled `title`, which the window manager maps and activates.
Window show_window(Display* display, const std::string& title) {
  const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 200, 100, 0, 0, 0);
  XStoreName(display, window, title.c_str());
  XMapWindow(display, window);
  XFlush(display);
  return window;
}

// The speech page's timers and text boxes, as the grab leaves them.
class PageRecorder : public Module46::GrabPage {
 public:
  void set_Timer1_Enabled(bool on) override { timer_log.push_back(on ? "Timer1 on" : "Timer1 off"); }
  void set_Timer2_Enabled(bool on) override { timer_log.push_back(on ? "Timer2 on" : "Timer2 off"); }
  void set_Timer3_Enabled(bool on) override {
    timer_log.push_back(on ? "Timer3 on" : "Timer3 off");
    timer3 = on;
  }
  void set_Text1(const std::string& text) override { text1 = text; }
  void set_Text2(const std::string& text) override { text2 = text; }
  void set_Text3(const std::string& text) override { text3 = text; }
  void set_Text4(const std::string& text) override { text4 = text; }

  bool timer3 = false;
  std::string text1 = "No Text Selected\n", text2, text3, text4;
  std::vector<std::string> timer_log;
};

class TextGrab : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr)
        << "needs an X server with a window manager: run scripts/test.sh";
    ASSERT_TRUE(windows.connected());
    display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    Module46::set_page(&page);
    Module46::set_window_functions(&windows);
    core::own_title.clear();
    core::target_title.clear();
    core::grabbed_text.clear();
    core::target_window = 0;
  }
  void TearDown() override {
    Module46::set_page(nullptr);
    Module46::set_window_functions(nullptr);
    if (editor_pid > 0) {
      kill(editor_pid, SIGTERM);
      waitpid(editor_pid, nullptr, 0);
    }
    if (!display) return;
    if (own) XDestroyWindow(display, own);
    XCloseDisplay(display);
  }

  platform::WindowHandle find_window(const std::string& title) {
    for (auto w : windows.top_level_windows()) {
      if (windows.window_title(w) == title) return w;
    }
    return 0;
  }

  // Starts grab_target and waits until the window manager has it.
  platform::WindowHandle start_editor() {
    std::string program = (testsupport::build_dir() / "grab_target").string();
    char* argv[] = {program.data(), nullptr};
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    EXPECT_EQ(posix_spawn(&editor_pid, program.c_str(), nullptr, nullptr, argv, environ), 0);
    platform::WindowHandle window = 0;
    EXPECT_TRUE(wait_until([&] { return (window = find_window(kEditorTitle)) != 0; }, 10s));
    EXPECT_EQ(windows.window_pid(window), editor_pid);
    return window;
  }

  // The user brings a window to the front (a busy window manager may need a second request).
  bool bring_to_front(const std::string& title, platform::WindowHandle window) {
    return wait_until(
        [&] {
          core::ignore_errors([&] { windows.AppActivate(title); });
          return windows.GetForegroundWindow() == window;
        },
        10s);
  }

  // The speech page comes up as a plain window of this process titled "Step-2" (WM_NAME only),
  // and Timer2's first tick notes its title.
  void load_speech_page() {
    own = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 300, 200, 0, 0, 0xFFFFFF);
    XStoreName(display, own, "Step-2");
    const long pid = getpid();
    XChangeProperty(display, own, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
    XMapWindow(display, own);
    XSync(display, False);
    ASSERT_TRUE(bring_to_front("Step-2", own));
    core::own_title_pending = true;
    Module46::note_own_window();
  }

  // Timer3's ticks, every millisecond, until the text arrives or the time is up.
  bool poll_selection(std::chrono::milliseconds limit) {
    page.set_Timer3_Enabled(true);
    return wait_until(
        [&] {
          core::grabbed_text.clear();
          Module46::read_selected_text();
          return !page.timer3;
        },
        limit);
  }

  platform::X11WindowFunctions windows;
  Display* display = nullptr;
  Window own = 0;
  pid_t editor_pid = 0;
  PageRecorder page;
};

TEST_F(TextGrab, FetchesTheSelectedTextOfTheLastOtherWindow) {
  const auto editor_window = start_editor();
  load_speech_page();
  EXPECT_EQ(std::tuple(core::own_title, page.text4, page.text3, page.text2, core::own_title_pending),
            std::tuple("Step-2", "Step-2", " entered", "Step-2", false));
  EXPECT_EQ(page.timer_log, (std::vector<std::string>{"Timer2 off", "Timer1 on"}));

  // The user works in the editor (activation takes a title's start in any letter case).
  ASSERT_TRUE(bring_to_front("NOTES.TXT", editor_window));
  EXPECT_EQ(windows.GetActiveWindow(), 0u) << "another program's window is not ours";
  Module46::track_foreground_window();
  EXPECT_EQ(std::pair(core::target_title, page.text3), std::pair(kEditorTitle, kEditorTitle));

  // The user switches back and forth while Timer1 ticks: the target is never lost.
  std::atomic<bool> switching{true};
  std::thread user([&] {
    platform::X11WindowFunctions desk;
    for (int i = 0; i < 8; ++i) {
      core::ignore_errors([&] { desk.AppActivate("Step-2"); });
      core::ignore_errors([&] { desk.AppActivate(kEditorTitle); });
    }
    switching = false;
  });
  std::set<std::string> targets;
  int ticks = 0;
  for (; switching; ++ticks) {
    Module46::track_foreground_window();
    targets.insert(core::target_title);
  }
  user.join();
  EXPECT_GT(ticks, 20);
  EXPECT_EQ(targets, std::set<std::string>{kEditorTitle});

  // Back on the speech page, the tracking passes over its own title.
  ASSERT_TRUE(bring_to_front("step", own));
  EXPECT_EQ(windows.GetActiveWindow(), own);
  page.text3.clear();
  Module46::track_foreground_window();
  EXPECT_EQ(std::pair(core::target_title, page.text3), std::pair(kEditorTitle, kEditorTitle));

  // Nothing is selected yet: nothing arrives and polling goes on.
  EXPECT_FALSE(poll_selection(600ms));
  EXPECT_EQ(std::tuple(core::grabbed_text, page.timer3, page.text1),
            std::tuple("", true, "No Text Selected\n"));

  // The user selects the editor's whole text and comes back: it arrives.
  ASSERT_TRUE(bring_to_front(kEditorTitle, editor_window));
  ASSERT_EQ(testsupport::run("xdotool key ctrl+a"), 0);
  ASSERT_TRUE(bring_to_front("Step-2", own));
  ASSERT_TRUE(poll_selection(5s)) << "the editor's selection did not arrive";
  EXPECT_EQ(std::pair(core::grabbed_text, page.text1), std::pair(kSelectedText, kSelectedText));
}

// Openbox names a closed window active and the X server gives its id to the next program's window:
// the new window in front is known by its title, asked for all the while it comes, and when renamed.
TEST_F(TextGrab, AWindowGivenTheIdOfTheClosedOneInFrontIsKnownByItsTitle) {
  int reused = 0;
  for (int round = 0; round < 60 && reused < 15; ++round) {
    Display* first = XOpenDisplay(nullptr);
    ASSERT_NE(first, nullptr);
    const Window closed = show_window(first, "closed window");
    ASSERT_TRUE(bring_to_front("closed window", closed));
    XCloseDisplay(first);

    const std::string title = "new window " + std::to_string(round);
    Display* second = nullptr;
    Window made = 0;
    std::thread program([&] {
      second = XOpenDisplay(nullptr);
      if (second) made = show_window(second, title);
    });
    const auto front_title = [&](const std::string& expected) {
      std::string seen;
      const auto deadline = std::chrono::steady_clock::now() + 3s;
      while (seen != expected && std::chrono::steady_clock::now() < deadline)
        seen = windows.window_title(windows.GetForegroundWindow());
      return seen;
    };
    const std::string seen = front_title(title);
    program.join();
    ASSERT_NE(second, nullptr);
    std::string renamed_seen = "renamed";  // checked only where the id came again
    if (made == closed) {
      ++reused;
      XStoreName(second, made, "renamed");
      XFlush(second);
      renamed_seen = front_title("renamed");
    }
    XCloseDisplay(second);
    ASSERT_EQ(seen, title) << "round " << round;
    ASSERT_EQ(renamed_seen, "renamed") << "round " << round;
  }
  if (reused == 0) GTEST_SKIP() << "the X server gave no new window the id of a closed one";
}

}  // namespace
