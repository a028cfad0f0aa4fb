#pragma once

// Sound files made by the reference tools while the tests run, so the repository holds no
// opaque blobs: a sox tone as WAV, then lame or ffmpeg for the MP3 in the wanted shape.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/hex.h"
#include "engine/mp3_header.h"
#include "support/test_support.h"

namespace fixtures {

/// A two-tone WAV of `seconds` at `rate` with `channels` channels (a chord keeps the VBR
/// encoder busy enough to vary its frame sizes).
inline std::string tone_wav(const testsupport::TempDir& dir, int rate, int channels, double seconds) {
  const std::string path = dir.file("tone_" + std::to_string(rate) + "_" + std::to_string(channels) + "_" +
                                    std::to_string(static_cast<int>(seconds * 1000)) + ".wav");
  const std::string cmd = "sox -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) +
                          " -b 16 " + testsupport::quote(path) + " synth " + std::to_string(seconds) +
                          " sine 440 sine 660 tremolo 3 2>/dev/null";
  EXPECT_EQ(testsupport::run(cmd), 0) << cmd;
  return path;
}

/// Runs lame with `options` on `wav` and returns the MP3's path.
inline std::string lame(const testsupport::TempDir& dir, const std::string& name, const std::string& wav,
                        const std::string& options) {
  const std::string path = dir.file(name);
  const std::string cmd =
      "lame --quiet " + options + " " + testsupport::quote(wav) + " " + testsupport::quote(path);
  EXPECT_EQ(testsupport::run(cmd), 0) << cmd;
  return path;
}

/// Runs ffmpeg on `wav` with the output `options` and returns the output's path.
inline std::string ffmpeg(const testsupport::TempDir& dir, const std::string& name, const std::string& wav,
                          const std::string& options) {
  const std::string path = dir.file(name);
  const std::string cmd = "ffmpeg -nostdin -loglevel error -y -i " + testsupport::quote(wav) + " " + options +
                          " " + testsupport::quote(path);
  EXPECT_EQ(testsupport::run(cmd), 0) << cmd;
  return path;
}

/// A small JPEG picture, for ID3v2 tags that embed one.
inline std::string jpeg(const testsupport::TempDir& dir) {
  const std::string path = dir.file("cover.jpg");
  const std::string cmd = "ffmpeg -nostdin -loglevel error -y -f lavfi -i color=red:s=32x32 -frames:v 1 " +
                          testsupport::quote(path);
  EXPECT_EQ(testsupport::run(cmd), 0) << cmd;
  return path;
}

/// MP3 frames made by hand: each header (eight hex digits) followed by filler up to the
/// length the header declares. The filler of frame i is the byte i % 100, so a frame out of
/// place shows, and it never holds a sync.
inline std::string frames(const std::vector<std::string>& headers) {
  std::string out;
  for (std::size_t i = 0; i < headers.size(); ++i) {
    const std::string header = Module29::hex_to_bytes(headers[i]);
    const int length = engine::frame_size_at(header, 0);
    EXPECT_GE(length, 4) << headers[i];
    out += header +
           std::string(static_cast<std::size_t>(length > 4 ? length - 4 : 0), static_cast<char>(i % 100));
  }
  return out;
}

/// `n` headers alternating between `a` and `b`.
inline std::vector<std::string> alternate(const std::string& a, const std::string& b, int n) {
  std::vector<std::string> out;
  for (int i = 0; i < n; ++i) out.push_back(i % 2 ? b : a);
  return out;
}

}  // namespace fixtures
