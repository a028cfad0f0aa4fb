#include "audio/speech/text_grab.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <thread>
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

// The speech page's timers and text boxes, as the grab leaves them.
class PageRecorder : public Module46::GrabPage {
 public:
  void set_Timer1_Enabled(bool on) override { log("Timer1", on), timer1 = on; }
  void set_Timer2_Enabled(bool on) override { log("Timer2", on), timer2 = on; }
  void set_Timer3_Enabled(bool on) override { log("Timer3", on), timer3 = on; }
  void set_Text1(const std::string& text) override { text1 = text; }
  void set_Text2(const std::string& text) override { text2 = text; }
  void set_Text3(const std::string& text) override { text3 = text; }
  void set_Text4(const std::string& text) override { text4 = text; }

  bool timer1 = false, timer2 = true, timer3 = false;
  std::string text1 = "No Text Selected\n", text2 = "Text2", text3 = "Text3", text4 = "Text4";
  std::vector<std::string> timer_log;

 private:
  void log(const char* timer, bool on) { timer_log.push_back(std::string(timer) + (on ? " on" : " off")); }
};

// The speech page stands in for itself with a plain window of this process titled "Step-2".
class OwnWindow {
 public:
  explicit OwnWindow(Display* display) : display_(display) {
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 300, 200, 0, 0, 0xFFFFFF);
    const std::string title = "Step-2";
    XStoreName(display_, window_, title.c_str());
    XChangeProperty(display_, window_, XInternAtom(display_, "_NET_WM_NAME", False),
                    XInternAtom(display_, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
    const long pid = getpid();
    XChangeProperty(display_, window_, XInternAtom(display_, "_NET_WM_PID", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
    XMapWindow(display_, window_);
    XSync(display_, False);
  }
  ~OwnWindow() {
    XDestroyWindow(display_, window_);
    XSync(display_, False);
  }
  Window id() const { return window_; }

 private:
  Display* display_;
  Window window_;
};

// A running grab_target editor, ended by its pid.
class Editor {
 public:
  explicit Editor(std::vector<std::string> options) {
    const std::string program = (testsupport::build_dir() / "grab_target").string();
    std::vector<std::string> args = {program};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    if (posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) pid_ = 0;
  }
  ~Editor() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = 0;
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
    core::clip_owner = 0;
  }
  void TearDown() override {
    Module46::set_page(nullptr);
    Module46::set_window_functions(nullptr);
    if (display) XCloseDisplay(display);
  }

  platform::WindowHandle find_window(const std::string& title) {
    for (auto w : windows.top_level_windows()) {
      if (windows.window_title(w) == title) return w;
    }
    return 0;
  }

  // Starts the editor and waits until the window manager has it.
  platform::WindowHandle show_editor(Editor& editor) {
    EXPECT_GT(editor.pid(), 0);
    platform::WindowHandle window = 0;
    EXPECT_TRUE(wait_until([&] { return (window = find_window(kEditorTitle)) != 0; }, 10s));
    EXPECT_EQ(windows.window_pid(window), editor.pid());
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

  // The speech page comes up: Timer2's first tick notes its title.
  void load_speech_page(const OwnWindow& own) {
    EXPECT_TRUE(wait_until([&] { return find_window("Step-2") != 0; }, 5s));
    ASSERT_TRUE(bring_to_front("Step-2", own.id()));
    core::own_title_pending = true;
    Module46::note_own_window();
  }

  // "Get Selected Text": clipboard emptied, owner noted, keys sent, polling started.
  void get_selected_text() {
    windows.clipboard_clear();
    core::clip_owner = windows.GetClipboardOwner();
    EXPECT_EQ(Module46::copy_from_window(core::target_title), "");
    page.set_Timer3_Enabled(true);
  }

  // Timer3's ticks, every millisecond, until the text arrives or the time is up.
  bool poll_clipboard(std::chrono::milliseconds limit) {
    return wait_until(
        [&] {
          core::grabbed_text.clear();
          Module46::read_clipboard_text();
          return !page.timer3;
        },
        limit);
  }

  std::vector<int> keys_down() {
    char keys[32] = {};
    XQueryKeymap(display, keys);
    std::vector<int> down;
    for (int code = 0; code < 256; ++code) {
      if (keys[code / 8] & (1 << (code % 8))) down.push_back(code);
    }
    return down;
  }

  platform::X11WindowFunctions windows;
  Display* display = nullptr;
  PageRecorder page;
};

TEST_F(TextGrab, FetchesTheSelectedTextOfTheLastOtherWindow) {
  Editor editor({});
  const auto editor_window = show_editor(editor);
  OwnWindow own(display);
  load_speech_page(own);
  EXPECT_EQ(core::own_title, "Step-2");
  EXPECT_EQ(page.text4, "Step-2");
  EXPECT_EQ(page.text3, " entered");
  EXPECT_EQ(page.text2, "Step-2");
  EXPECT_FALSE(core::own_title_pending);
  EXPECT_EQ(page.timer_log, (std::vector<std::string>{"Timer2 off", "Timer1 on"}));

  // The user works in the editor, then comes back to the speech page.
  ASSERT_TRUE(bring_to_front(kEditorTitle, editor_window));
  Module46::track_foreground_window();
  EXPECT_EQ(core::target_title, kEditorTitle);
  EXPECT_EQ(page.text3, kEditorTitle);
  ASSERT_TRUE(bring_to_front("step-2", own.id()));  // any letter case
  Module46::track_foreground_window();
  EXPECT_EQ(core::target_title, kEditorTitle);

  page.timer_log.clear();
  get_selected_text();
  EXPECT_EQ(core::clip_owner, 0u);
  EXPECT_EQ(page.timer_log, (std::vector<std::string>{"Timer1 off", "Timer1 on", "Timer3 on"}));
  EXPECT_EQ(windows.GetForegroundWindow(), own.id()) << "the speech page is active again";

  ASSERT_TRUE(poll_clipboard(5s)) << "no new clipboard owner";
  EXPECT_EQ(core::grabbed_text, kSelectedText);
  EXPECT_EQ(page.text1, kSelectedText);
  EXPECT_FALSE(page.timer3);
  EXPECT_NE(windows.GetClipboardOwner(), 0u);
  EXPECT_TRUE(keys_down().empty()) << "a key stayed down";

  // Past the auto-repeat delay nothing has been typed over the selection: a second grab
  // copies the same text again.
  std::this_thread::sleep_for(700ms);
  EXPECT_TRUE(keys_down().empty());
  get_selected_text();
  ASSERT_TRUE(poll_clipboard(5s));
  EXPECT_EQ(core::grabbed_text, kSelectedText);
}

TEST_F(TextGrab, NothingCopiedLeavesTheTextEmptyAndKeepsPolling) {
  Editor editor({"--select-after-first-copy"});
  const auto editor_window = show_editor(editor);
  OwnWindow own(display);
  load_speech_page(own);
  ASSERT_TRUE(bring_to_front(kEditorTitle, editor_window));
  Module46::track_foreground_window();
  ASSERT_TRUE(bring_to_front("Step-2", own.id()));
  Module46::track_foreground_window();
  ASSERT_EQ(core::target_title, kEditorTitle);

  get_selected_text();
  EXPECT_FALSE(poll_clipboard(600ms));
  EXPECT_EQ(core::grabbed_text, "");
  EXPECT_TRUE(page.timer3) << "polling goes on";
  EXPECT_EQ(page.text1, "No Text Selected\n");
  EXPECT_TRUE(keys_down().empty());

  // The editor has selected its text meanwhile; the keys sent again are caught by the
  // polling that never stopped.
  EXPECT_EQ(Module46::copy_from_window(core::target_title), "");
  ASSERT_TRUE(poll_clipboard(5s));
  EXPECT_EQ(core::grabbed_text, kSelectedText);
  EXPECT_TRUE(keys_down().empty());
}

TEST_F(TextGrab, TrackingNeverLosesTheTargetWhileTheFocusMoves) {
  Editor editor({});
  const auto editor_window = show_editor(editor);
  OwnWindow own(display);
  load_speech_page(own);
  ASSERT_TRUE(bring_to_front(kEditorTitle, editor_window));
  Module46::track_foreground_window();
  ASSERT_EQ(core::target_title, kEditorTitle);

  // The user switches back and forth; Timer1 ticks all the while.
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
  while (switching) {
    Module46::track_foreground_window();
    targets.insert(core::target_title);
    ++ticks;
  }
  user.join();
  EXPECT_GT(ticks, 20);
  EXPECT_EQ(targets, std::set<std::string>{kEditorTitle});
}

TEST_F(TextGrab, ForegroundTrackingPassesOverTheOwnTitle) {
  OwnWindow own(display);
  load_speech_page(own);
  core::target_title = "earlier.txt - Text Editor";
  Module46::track_foreground_window();
  EXPECT_EQ(core::target_title, "earlier.txt - Text Editor");
  EXPECT_EQ(page.text3, "earlier.txt - Text Editor");
}

TEST_F(TextGrab, AnEmptyOrUnknownTitleActivatesNothingAndTheKeysStillGo) {
  OwnWindow own(display);
  load_speech_page(own);
  for (const std::string title : {"", "no such window"}) {
    EXPECT_THROW(windows.AppActivate(title), core::VbError);
    page.timer_log.clear();
    EXPECT_EQ(Module46::copy_from_window(title), "");
    EXPECT_EQ(page.timer_log, (std::vector<std::string>{"Timer1 off", "Timer1 on"}));
    EXPECT_EQ(windows.GetForegroundWindow(), own.id());
    EXPECT_TRUE(keys_down().empty());
  }
}

TEST_F(TextGrab, ActivationTakesAWholeTitleBeforeAPrefix) {
  Editor editor({});
  const auto editor_window = show_editor(editor);
  OwnWindow own(display);
  load_speech_page(own);
  EXPECT_TRUE(bring_to_front("NOTES.TXT", editor_window));
  EXPECT_TRUE(bring_to_front("step", own.id()));
  EXPECT_EQ(windows.GetActiveWindow(), own.id());
  ASSERT_TRUE(bring_to_front(kEditorTitle, editor_window));
  EXPECT_EQ(windows.GetActiveWindow(), 0u) << "another program's window is not ours";
}

}  // namespace
