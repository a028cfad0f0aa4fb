// The repair of the average-bytes-per-second field at byte positions 29-31.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "audio/recorder/recorder.h"
#include "core/errors.h"
#include "support/test_support.h"

namespace {

TEST(HeaderRepair, WritesTheLowThreeBytesIntoWhateverStandsThere) {
  testsupport::TempAppDir dir;
  const std::string recording = (dir.path() / "home" / "NewWav.wav").string();
  std::string header(64, '\x5A');
  header[31] = '\x7F';  // the fourth byte is kept
  const auto with = [](std::string bytes, const char* field) { return bytes.replace(28, 3, field, 3); };
  const struct {
    std::optional<std::string> before;
    std::int32_t value;
    std::string after;
  } cases[] = {
      {header, 88200, with(header, "\x88\x58\x01")},
      {header, 176400, with(header, "\x10\xB1\x02")},
      {header, 0, with(header, "\x00\x00\x00")},
      {std::nullopt, 88200, std::string(28, '\0') + "\x88\x58\x01"},        // no file: 31 bytes
      {"RIFF", 44100, "RIFF" + std::string(24, '\0') + "\x44\xAC" + '\0'},  // short: zeros between
  };
  for (const auto& row : cases) {
    std::filesystem::remove(recording);
    if (row.before) testsupport::write_bytes(recording, *row.before);
    Module38::rec_bytes_per_sec = row.value;
    Module38::patch_wav_bytes_per_sec();
    EXPECT_EQ(testsupport::read_bytes(recording), row.after) << row.value;
  }

  std::filesystem::remove(recording);
  std::filesystem::create_directories(recording);  // a folder in the file's place is an error
  try {
    Module38::patch_wav_bytes_per_sec();
    ADD_FAILURE() << "no error";
  } catch (const core::VbError& error) {
    EXPECT_EQ(error.number(), 75);
    EXPECT_EQ(error.source(), "mellix.patch_wav_bytes_per_sec");
  }
}

}  // namespace
