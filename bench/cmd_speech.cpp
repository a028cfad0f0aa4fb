// mellix-bench speech-file FORMAT TEXT_FILE OUT.wav [RATE]: speaks a text file into a WAV file
//   in one of the 36 stream formats (4 to 39) as a voice does for "Start Recording Text",
//   and times it against the espeak-ng command line writing the same text at its own format.
// mellix-bench text-cleanup TEXT_FILE: times the clean-up of a text for a standard voice
//   against the one-blank-at-a-time procedure it replaces.

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>

#include "audio/speech/text_cleanup.h"
#include "command.h"
#include "engine/files.h"
#include "platform/speech/audio_format.h"
#include "platform/speech/espeak_engine.h"
#include "platform/speech/streams.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bench::Registrar speech_file(
    "speech-file", "FORMAT TEXT_FILE OUT.wav [RATE]", [](const std::vector<std::string>& args) -> int {
      if (args.size() < 3 || args.size() > 4) {
        std::cerr << "usage: mellix-bench speech-file FORMAT TEXT_FILE OUT.wav [RATE]\n";
        return 2;
      }
      const std::string text = engine::read_file(args[1]);
      const int rate = args.size() == 4 ? std::stoi(args[3]) : 0;
      sapi::SpFileStream stream;
      stream.Format().setType(std::stoi(args[0]));
      const sapi::WaveFormat format = stream.Format().wave();

      const auto start = Clock::now();
      stream.Open(args[2], sapi::SSFMCreateForWrite);
      speech::FormatConverter converter(format);
      speech::SynthesisSettings settings;
      settings.voice = speech::installed_voices().at(0).identifier;
      settings.words_per_minute = speech::words_per_minute(rate);
      speech::synthesize(text, settings, [&](const std::int16_t* samples, std::size_t count) {
        stream.write(converter.convert(samples, count, false));
        return true;
      });
      stream.write(converter.convert(nullptr, 0, true));
      const double sound_seconds = static_cast<double>(stream.bytes_written()) / format.bytes_per_second();
      stream.Close();
      const double ours = ms_since(start);

      const std::string peer_out = args[2] + ".espeak-ng.wav";
      const std::string command = "espeak-ng -v " + settings.voice + " -s " +
                                  std::to_string(settings.words_per_minute) + " -w '" + peer_out + "' -f '" +
                                  args[1] + "'";
      const auto peer_start = Clock::now();
      const int peer_status = std::system(command.c_str());
      const double peer = ms_since(peer_start);
      std::remove(peer_out.c_str());

      std::cout << "voice " << settings.voice << ", " << format.samples_per_second << " Hz, "
                << format.bits_per_sample << "-bit, " << format.channels << " channel(s)\n"
                << "sound: " << sound_seconds << " s\n"
                << "mellix: " << ours << " ms (" << sound_seconds * 1000 / ours << "x real time)\n";
      if (peer_status == 0) {
        std::cout << "espeak-ng -w (22050 Hz mono): " << peer << " ms (" << sound_seconds * 1000 / peer
                  << "x real time)\n";
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
  const std::string text = engine::read_file(args[0]);
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
