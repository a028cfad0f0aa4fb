// The program, started as a user starts it on an X server of its own, prints nothing; with
// MELLIX_WEB_LOG=1 it prints the movie views' lines, in which Ruffle reports no error or
// warning about loading the step-1 backdrop.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include "support/test_support.h"

namespace {

// Runs `argv` in a process group of its own with DISPLAY `display`, its output into `log`.
pid_t start(const std::vector<std::string>& argv, const std::string& display, const std::string& log) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  setpgid(0, 0);
  if (freopen(log.c_str(), "w", stdout)) dup2(fileno(stdout), fileno(stderr));
  setenv("DISPLAY", display.c_str(), 1);
  setenv("MELLIX_WEB_LOG", "1", 1);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  execvp(args[0], args.data());
  _exit(127);
}

bool wait_for(const std::function<bool()>& done) {
  for (int i = 0; i < 600 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return done();
}

TEST(QuietStart, StepOneStartsWithoutAWordButTheMovieLog) {
  testsupport::TempDir dir;
  int number = 150;  // the first free display from :150
  while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number)) ||
         std::filesystem::exists("/tmp/.X" + std::to_string(number) + "-lock"))
    ++number;
  const std::string display = ":" + std::to_string(number), log = dir.file("output.txt");
  const pid_t x = start({"Xvfb", display, "-nolisten", "tcp"}, display, dir.file("x.txt"));
  ASSERT_TRUE(wait_for([&] { return std::filesystem::exists("/tmp/.X11-unix/X" + display.substr(1)); }));
  const auto program = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "mellix";
  const pid_t mellix = start({program.string()}, display, log);
  const bool shown =
      wait_for([&] { return testsupport::read_bytes(log).find("mellix:shown 1") != std::string::npos; });
  std::this_thread::sleep_for(std::chrono::seconds(1));  // whatever comes after the first frame
  kill(-mellix, SIGKILL);
  waitpid(mellix, nullptr, 0);
  kill(x, SIGTERM);
  waitpid(x, nullptr, 0);

  EXPECT_TRUE(shown) << "step 1 drew no backdrop within 30 s";
  std::istringstream lines(testsupport::read_bytes(log));
  for (std::string line; std::getline(lines, line);) {
    EXPECT_EQ(line.rfind("web: ", 0), 0u) << line;
    EXPECT_EQ(line.find("ERROR"), std::string::npos) << line;
    EXPECT_EQ(line.find("WARN"), std::string::npos) << line;
  }
}

}  // namespace
