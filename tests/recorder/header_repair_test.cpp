// The repair of the average-bytes-per-second field at byte positions 29-31.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "audio/recorder/recorder.h"
#include "core/errors.h"
#include "support/test_support.h"

namespace {

std::string bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

class HeaderRepair : public ::testing::Test {
 protected:
  std::string recording() const { return (dir_.path() / "home" / "NewWav.wav").string(); }
  testsupport::TempAppDir dir_;
};

TEST_F(HeaderRepair, WritesTheLowThreeBytesAndKeepsTheFourth) {
  const std::vector<std::pair<std::int32_t, std::string>> cases = {
      {88200, bytes({0x88, 0x58, 0x01})}, {44100, bytes({0x44, 0xAC, 0x00})},
      {8000, bytes({0x40, 0x1F, 0x00})},  {176400, bytes({0x10, 0xB1, 0x02})},
      {0, bytes({0x00, 0x00, 0x00})},
  };
  std::string original(64, '\x5A');
  original[31] = '\x7F';
  for (const auto& [value, expected] : cases) {
    testsupport::write_bytes(recording(), original);
    Module38::rec_bytes_per_sec = value;
    Module38::patch_wav_bytes_per_sec();
    std::string wanted = original;
    wanted.replace(28, 3, expected);
    EXPECT_EQ(testsupport::read_bytes(recording()), wanted) << value;
  }
}

TEST_F(HeaderRepair, MissingFileBecomes31BytesWithOnlyTheFieldWritten) {
  Module38::rec_bytes_per_sec = 88200;
  Module38::patch_wav_bytes_per_sec();
  EXPECT_EQ(testsupport::read_bytes(recording()), std::string(28, '\0') + bytes({0x88, 0x58, 0x01}));
}

TEST_F(HeaderRepair, ShortFileIsExtendedWithZeros) {
  testsupport::write_bytes(recording(), "RIFF");
  Module38::rec_bytes_per_sec = 44100;
  Module38::patch_wav_bytes_per_sec();
  EXPECT_EQ(testsupport::read_bytes(recording()), "RIFF" + std::string(24, '\0') + bytes({0x44, 0xAC, 0x00}));
}

TEST_F(HeaderRepair, AFolderInThePlaceOfTheFileIsAnError) {
  std::filesystem::create_directories(recording());
  try {
    Module38::patch_wav_bytes_per_sec();
    ADD_FAILURE() << "no error";
  } catch (const core::VbError& error) {
    EXPECT_EQ(error.number(), 75);
    EXPECT_EQ(error.source(), "mellix.patch_wav_bytes_per_sec");
  }
}

}  // namespace
