#pragma once

// What the sound tests share: the Qt event loop, the private PulseAudio of scripts/test.sh
// (null sink "out", its monitor as the default microphone) and a listener on that monitor.

#include <gtest/gtest.h>

#include <QProcess>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/mci/mci.h"
#include "support/audio_files.h"
#include "support/qt_core.h"

namespace soundtest {

using testsupport::core_app;
using testsupport::spin;

inline std::uint32_t mci(const std::string& command) {
  return platform::mciSendStringA(command.c_str(), nullptr, 0, nullptr);
}

inline std::string error_text(std::uint32_t code) {
  std::array<char, 1024> text{};
  platform::mciGetErrorStringA(code, text.data(), 1024);
  return text.data();
}

/// ffprobe's codec, rate, channels and bits of a sound file, one line.
inline std::string ffprobe(const std::string& path) {
  return testsupport::capture(
      "ffprobe -v error -show_entries stream=codec_name,sample_rate,channels,bits_per_sample -of csv=p=0 " +
      testsupport::quote(path));
}

/// The streams that programs record from the private PulseAudio with, one line each ("" when
/// none); the server's own loopback and remapping are left out.
inline std::string recording_streams() {
  return testsupport::capture("pactl list short source-outputs | awk -F '\\t' '$3 != \"-\"'");
}

/// A test on the private PulseAudio, in a temporary app folder; every device is closed after it.
class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("PULSE_SERVER")) GTEST_SKIP() << "needs the private PulseAudio of scripts/test.sh";
    ASSERT_EQ(testsupport::run("pactl info >/dev/null 2>&1"), 0) << "PulseAudio does not answer";
    core_app();
  }
  void TearDown() override { mci("close all"); }
  std::string file(const std::string& name) const { return (dir_.path() / name).string(); }

  testsupport::TempAppDir dir_;
};

/// Runs the tests matching `filter` again in a child process whose PULSE_SERVER names no socket;
/// `passed` tells whether every matching test ran and passed.
inline std::string run_without_sound_server(const std::string& filter, bool& passed) {
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string out = testsupport::capture(
      "MELLIX_NO_SOUND_CHILD=1 PULSE_SERVER=unix:/nonexistent/mellix-no-sound " + testsupport::quote(self) +
      " --gtest_filter=" + testsupport::quote(filter) + " 2>&1; echo \"exit=$?\"");
  passed = out.find("exit=0") != std::string::npos && out.find("[  PASSED  ]") != std::string::npos &&
           out.find("[  SKIPPED ]") == std::string::npos && out.find("0 tests") == std::string::npos;
  return out;
}

/// Marks a test that only the child of run_without_sound_server runs.
#define ONLY_WITHOUT_SOUND_SERVER()                                                      \
  do {                                                                                   \
    if (!std::getenv("MELLIX_NO_SOUND_CHILD")) GTEST_SKIP() << "run by its parent test"; \
  } while (0)

struct Segment {
  double start, length;  // seconds
};

/// Where a 1000 Hz tone sounds in 16-bit little-endian samples (every `stride` bytes from
/// `first`): 20 ms windows whose Goertzel amplitude is above 4000, about a quarter of the test
/// tones', joined across gaps shorter than 60 ms.
inline std::vector<Segment> tone_segments(const std::string& pcm, std::size_t first, std::size_t stride,
                                          int rate) {
  const std::size_t window = static_cast<std::size_t>(rate / 50);
  const double coefficient = 2 * std::cos(2 * M_PI * 1000 / rate);
  std::vector<Segment> out;
  for (std::size_t at = first, w = 0; at + window * stride <= pcm.size(); at += window * stride, ++w) {
    double s1 = 0, s2 = 0;
    for (std::size_t i = at; i < at + window * stride; i += stride) {
      const auto sample = static_cast<std::int16_t>(static_cast<unsigned char>(pcm[i]) |
                                                    (static_cast<unsigned char>(pcm[i + 1]) << 8));
      const double s0 = sample + coefficient * s1 - s2;
      s2 = s1;
      s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    if (2 * std::sqrt(std::max(power, 0.0)) / static_cast<double>(window) <= 4000) continue;
    const double start = static_cast<double>(w) * 0.02;
    if (!out.empty() && start - (out.back().start + out.back().length) < 0.06)
      out.back().length = start + 0.02 - out.back().start;
    else
      out.push_back({start, 0.02});
  }
  return out;
}

/// Records the sink's monitor with parec (8000 Hz mono): what the device really played.
class Listener {
 public:
  Listener() {
    process_.start("parec", {"--device=out.monitor", "--raw", "--rate=8000", "--channels=1", "--format=s16le",
                             "--latency-msec=20"});
    process_.waitForStarted();
    spin(300);  // let the stream settle before the sound starts
    process_.readAllStandardOutput();
  }
  ~Listener() { finish(); }

  std::vector<Segment> segments() {
    finish();
    return tone_segments(pcm_, 0, 2, 8000);
  }

 private:
  void finish() {
    if (process_.state() == QProcess::NotRunning) return;
    spin(300);  // the monitor's own latency
    pcm_ += process_.readAllStandardOutput().toStdString();
    process_.terminate();
    process_.waitForFinished(3000);
    pcm_ += process_.readAllStandardOutput().toStdString();
  }

  QProcess process_;
  std::string pcm_;
};

inline std::string describe(const std::vector<Segment>& segments) {
  std::string out;
  for (const auto& s : segments)
    out += "[" + std::to_string(s.start) + " +" + std::to_string(s.length) + "] ";
  return out;
}

}  // namespace soundtest
