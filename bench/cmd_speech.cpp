// mellix-bench speech-file FORMAT TEXT_FILE OUT.wav [RATE]: speaks a text file into a WAV file
//   in one of the 36 stream formats (4 to 39) as a voice does for "Start Recording Text",
//   and times it against the espeak-ng command line writing the same text at its own format.
// mellix-bench text-cleanup TEXT_FILE: times the clean-up of a text for a standard voice
//   against the one-blank-at-a-time procedure it replaces.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "audio/speech/text_cleanup.h"
#include "command.h"
#include "core/safe_files.h"
#include "engine/files.h"
#include "platform/speech/audio_format.h"
#include "platform/speech/espeak_engine.h"
#include "platform/speech/streams.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string read_text(const std::string& path) { return engine::read_file(path); }

// Runs a program with its arguments as they are (no shell) and returns its exit status, -1
// when it cannot be started.
int run_program(const std::vector<std::string>& argv) {
  std::vector<char*> pointers;
  for (const std::string& arg : argv) pointers.push_back(const_cast<char*>(arg.c_str()));
  pointers.push_back(nullptr);
  // The child does not inherit the stopping signals that this process blocks.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
  pid_t pid = 0;
  const int started = posix_spawnp(&pid, pointers[0], nullptr, &attributes, pointers.data(), environ);
  posix_spawnattr_destroy(&attributes);
  if (started != 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bench::Registrar speech_file(
    "speech-file", "FORMAT TEXT_FILE OUT.wav [RATE]", [](const std::vector<std::string>& args) -> int {
      if (args.size() < 3 || args.size() > 4) {
        std::cerr << "usage: mellix-bench speech-file FORMAT TEXT_FILE OUT.wav [RATE]\n";
        return 2;
      }
      const int type = static_cast<int>(bench::number_argument("FORMAT", args[0], 4, 39));
      const int rate =
          args.size() == 4 ? static_cast<int>(bench::number_argument("RATE", args[3], -10, 10)) : 0;
      core::refuse_same_file(args[1], args[2], "speech-file");
      const std::string text = read_text(args[1]);
      const std::vector<speech::VoiceInfo> voices = speech::installed_voices();
      if (voices.empty()) throw std::runtime_error("no speech voice is installed");

      // The WAV is spoken beside OUT.wav and replaces it only when complete. Each side runs
      // three times; the best time counts, so a busy machine disturbs the comparison less.
      core::FileBeside out(args[2], "speech-file");
      sapi::SpFileStream stream;
      stream.Format().setType(type);
      const sapi::WaveFormat format = stream.Format().wave();
      speech::SynthesisSettings settings;
      settings.voice = voices.at(0).identifier;
      settings.words_per_minute = speech::words_per_minute(rate);
      constexpr int kRuns = 3;
      double ours = 0;
      double sound_seconds = 0;
      for (int run = 0; run < kRuns; ++run) {
        const auto start = Clock::now();
        stream.Open(out.path(), sapi::SSFMCreateForWrite);
        speech::FormatConverter converter(format);
        speech::synthesize(text, settings, [&](const std::int16_t* samples, std::size_t count) {
          stream.write(converter.convert(samples, count, false));
          return true;
        });
        stream.write(converter.convert(nullptr, 0, true));
        sound_seconds = static_cast<double>(stream.bytes_written()) / format.bytes_per_second();
        stream.Close();
        const double ms = ms_since(start);
        ours = run == 0 ? ms : std::min(ours, ms);
      }
      out.commit();

      // The reference: the espeak-ng command line on the same text file, written beside
      // OUT.wav and removed afterwards.
      const core::FileBeside peer_out(args[2] + ".espeak-ng.wav", "speech-file");
      double peer = 0;
      int peer_status = 0;
      for (int run = 0; run < kRuns && peer_status == 0; ++run) {
        const auto peer_start = Clock::now();
        peer_status =
            run_program({"espeak-ng", "-v", settings.voice, "-s", std::to_string(settings.words_per_minute),
                         "-w", peer_out.path(), "-f", args[1]});
        const double ms = ms_since(peer_start);
        peer = run == 0 ? ms : std::min(peer, ms);
      }

      std::cout << "voice " << settings.voice << ", " << format.samples_per_second << " Hz, "
                << format.bits_per_sample << "-bit, " << format.channels << " channel(s)\n"
                << "sound: " << sound_seconds << " s\n"
                << "mellix: " << ours << " ms (" << sound_seconds * 1000 / ours << "x real time)\n";
      if (peer_status == 0) {
        std::cout << "espeak-ng -w (22050 Hz mono): " << peer << " ms (" << sound_seconds * 1000 / peer
                  << "x real time)\n"
                  << "mellix / espeak-ng: " << ours / peer << "\n";
      } else {
        std::cout << "espeak-ng -w could not run\n";
      }
      return 0;
    });

// The clean-up as the one-blank-at-a-time procedure, positions from 1.
std::string stepwise(std::string t, char mark, bool squeeze) {
  for (std::size_t p = 0;;) {
    const std::size_t n = t.size();
    const std::size_t at = t.find(mark, p);
    p = at == std::string::npos ? 0 : at + 1;
    if (p == 0 || p >= n) return t;
    if (!squeeze) {
      t.insert(p, 1, ' ');
      continue;
    }
    std::size_t k = 0;
    for (std::size_t pos = p + 1; pos + 1 < n; ++pos) {
      if (t[pos] != ' ') {
        k = pos - p - 1;
        break;
      }
    }
    t.erase(p + 1, k);
  }
}

bench::Registrar text_cleanup("text-cleanup", "TEXT_FILE", [](const std::vector<std::string>& args) -> int {
  if (args.size() != 1) {
    std::cerr << "usage: mellix-bench text-cleanup TEXT_FILE\n";
    return 2;
  }
  const std::string text = read_text(args[0]);
  auto start = Clock::now();
  const std::string ours = Module51::prepare_speech_text(text);
  const double ours_ms = ms_since(start);
  start = Clock::now();
  const std::string theirs =
      stepwise(stepwise(stepwise(stepwise(text, '.', false), '.', true), ',', false), ',', true);
  const double theirs_ms = ms_since(start);
  std::cout << "text: " << text.size() << " bytes\n"
            << "one pass: " << ours_ms << " ms\n"
            << "one blank at a time: " << theirs_ms << " ms\n"
            << (ours == theirs ? "same text\n" : "TEXTS DIFFER\n");
  return ours == theirs ? 0 : 1;
});

}  // namespace
