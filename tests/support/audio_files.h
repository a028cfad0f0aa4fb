#pragma once

// Sound files for the tests: WAVs built byte by byte (chunks, format, noise for PCM or
// garbage) and tones made by sox.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "support/test_support.h"

namespace testsupport {

inline std::string le16(std::uint16_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
inline std::string le32(std::uint32_t v) {
  return le16(v & 0xFFFF) + le16(static_cast<std::uint16_t>(v >> 16));
}

/// A chunk: id, declared size (the payload's size unless given), payload, pad byte when odd.
inline std::string chunk(const std::string& id, const std::string& payload, std::int64_t declared = -1) {
  const auto size = static_cast<std::uint32_t>(declared < 0 ? payload.size() : declared);
  return id + le32(size) + payload + (payload.size() % 2 ? std::string(1, '\0') : "");
}

/// A RIFF file of the given form holding the given chunks.
inline std::string riff(const std::string& form, const std::string& chunks, std::int64_t declared = -1) {
  return chunk("RIFF", form + chunks, declared);
}

/// The 16 bytes of a PCM format chunk.
inline std::string fmt_payload(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                               std::uint16_t tag = 1) {
  const auto align = static_cast<std::uint16_t>(channels * bits / 8);
  return le16(tag) + le16(channels) + le32(rate) + le32(rate * align) + le16(align) + le16(bits);
}

/// Deterministic bytes standing for PCM or for garbage.
inline std::string noise(std::size_t count, unsigned seed = 7) {
  std::mt19937 gen(seed);
  std::string out(count, '\0');
  for (char& c : out) c = static_cast<char>(gen() & 0xFF);
  return out;
}

/// A canonical 16-bit stereo WAV holding `data`.
inline std::string stereo_wav(const std::string& data, std::uint32_t rate = 44100) {
  return riff("WAVE", chunk("fmt ", fmt_payload(2, rate, 16)) + chunk("data", data));
}

/// The PCM after the "data" chunk header of a WAV written by a reference tool.
inline std::string pcm_of(const std::string& wav) { return wav.substr(wav.find("data") + 8); }

/// Runs a command and fails the test when it does not exit with 0.
inline void must_run(const std::string& command) { ASSERT_EQ(run(command), 0) << command; }

/// A WAV made by sox at `path` (returned): `seconds` of `synth` (sox synth effects; a sweep and
/// a tone by default) at `rate` Hz with `channels` and `bits`.
inline std::string sox_tone(const std::string& path, int rate, int channels = 2, int bits = 16,
                            double seconds = 1.5, const std::string& synth = "sine 300-3000 sine 500") {
  must_run("sox -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) + " -b " +
           std::to_string(bits) + " " + quote(path) + " synth " + std::to_string(seconds) + " " + synth +
           " vol 0.5");
  return path;
}

/// A second of a 440 Hz stereo tone, encoded by the lame command line at 128 kbit/s into `path`.
inline void tone_mp3(const std::string& path) {
  must_run("sox -n -r 44100 -c 2 -b 16 -t wav - synth 1 sine 440 | lame --quiet -b 128 - " + quote(path));
}

}  // namespace testsupport
