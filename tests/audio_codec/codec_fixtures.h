#pragma once

// Codec test fixtures: WAVs built byte by byte, sound by sox, MP3s by lame, the tools' answers.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <utility>

#include "core/errors.h"
#include "support/test_support.h"

namespace codec_test {

inline std::string le16(std::uint16_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }

inline std::string le32(std::uint32_t v) {
  std::string out;
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  return out;
}

/// A chunk: id, declared size (the payload's size unless given), payload, pad byte when odd.
inline std::string chunk(const std::string& id, const std::string& payload, std::int64_t declared = -1) {
  const auto size = static_cast<std::uint32_t>(declared < 0 ? payload.size() : declared);
  std::string out = id + le32(size) + payload;
  if (payload.size() % 2 == 1) out.push_back('\0');
  return out;
}

/// A RIFF file of the given form holding the given chunks.
inline std::string riff(const std::string& form, const std::string& chunks, std::int64_t declared = -1) {
  return chunk("RIFF", form + chunks, declared);
}

/// The 16 bytes of a PCM format chunk.
inline std::string fmt_payload(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                               std::uint16_t tag = 1) {
  const std::uint16_t align = static_cast<std::uint16_t>(channels * bits / 8);
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

/// Sets a shared value for one scope and puts the old one back.
template <typename T>
class Restore {
 public:
  Restore(T& ref, T value) : ref_(ref), old_(ref) { ref_ = std::move(value); }
  ~Restore() { ref_ = old_; }

 private:
  T& ref_;
  T old_;
};

/// The PCM after the "data" chunk header of a WAV written by a reference tool.
inline std::string pcm_of(const std::string& wav) { return wav.substr(wav.find("data") + 8); }

/// Runs a command and fails the test when it does not exit with 0.
inline void must_run(const std::string& command) { ASSERT_EQ(testsupport::run(command), 0) << command; }

/// A tone sweep made by sox: `seconds` long, at `rate` Hz, with `channels` and `bits`.
inline std::string sox_wav(const testsupport::TempDir& dir, const std::string& name, int rate,
                           int channels = 2, int bits = 16, double seconds = 1.5) {
  const std::string path = dir.file(name);
  must_run("sox -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) + " -b " +
           std::to_string(bits) + " " + testsupport::quote(path) + " synth " + std::to_string(seconds) +
           " sine 300-3000 sine 500 vol 0.5");
  return path;
}

/// An MP3 lame makes from a sox sweep at `rate`; --resample keeps lame from choosing another rate.
inline std::string sox_mp3(const testsupport::TempDir& dir, int rate, int channels = 2) {
  const std::string wav = sox_wav(dir, "sweep.wav", rate, channels, 16, 1.2);
  const std::string mp3 = dir.file(std::to_string(rate) + "_" + std::to_string(channels) + ".mp3");
  must_run("lame --quiet -b 32 --resample " + std::to_string(rate / 1000.0) +
           (channels == 1 ? " -m m " : " ") + testsupport::quote(wav) + " " + testsupport::quote(mp3));
  return mp3;
}

/// ffprobe's "sample_rate,bit_rate" of the first audio stream.
inline std::string probe_rate_and_bitrate(const std::string& path) {
  std::string out = testsupport::capture(
      "ffprobe -v error -select_streams a:0 -show_entries stream=sample_rate,bit_rate -of csv=p=0 " +
      testsupport::quote(path));
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

/// Expects `statement` to raise the numbered error with its source and description.
template <typename Statement>
void expect_vb_error(Statement statement, long number, const std::string& source,
                     const std::string& description) {
  try {
    statement();
    ADD_FAILURE() << "expected error " << number;
  } catch (const core::VbError& e) {
    EXPECT_EQ(e.number(), number);
    EXPECT_EQ(e.source(), source);
    EXPECT_EQ(e.description(), description);
  }
}

}  // namespace codec_test
