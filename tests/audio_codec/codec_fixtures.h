#pragma once

// Codec test fixtures: MP3s by lame, the tools' answers, numbered errors.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "core/errors.h"
#include "support/audio_files.h"

namespace codec_test {

using namespace testsupport;

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

/// An MP3 lame makes from a sox sweep at `rate`; --resample keeps lame from choosing another rate.
inline std::string sox_mp3(const testsupport::TempDir& dir, int rate, int channels = 2) {
  const std::string wav = sox_tone(dir.file("sweep.wav"), rate, channels, 16, 1.2);
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
