#include "audio/codec/mp3_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "codec_fixtures.h"

namespace {

using namespace codec_test;
using testsupport::read_bytes;
using testsupport::TempDir;

const std::string kWrite = "mellix.WriteBufferToFile";

TEST(Mp3Writer, EmptiesTheFileAndWritesTheFirstBytesOfItsBuffer) {
  TempDir dir;
  testsupport::write_bytes(dir.file("out.mp3"), "previous contents");
  cMp3Writer writer;
  EXPECT_EQ(writer.BufferPointer(), nullptr);
  writer.Filename(dir.file("out.mp3"));
  ASSERT_NE(writer.BufferPointer(), nullptr);
  EXPECT_EQ(writer.WriteBufferToFile(8192), 8192);  // the default buffer, zero-initialised
  writer.CloseFile();
  EXPECT_EQ(read_bytes(dir.file("out.mp3")), std::string(8192, '\0'));

  writer.BufferSize(16);
  writer.Filename(dir.file("out.mp3"));
  std::memcpy(writer.BufferPointer(), "ABCDEFGHIJKLMNOP", 16);
  EXPECT_EQ(writer.WriteBufferToFile(3), 3);
  EXPECT_EQ(writer.WriteBufferToFile(16), 16);
  EXPECT_EQ(writer.WriteBufferToFile(0), 0);
  expect_vb_error([&] { writer.WriteBufferToFile(17); }, 29873, kWrite,
                  "Cannot write more data than is available in the buffer");
  writer.CloseFile();
  EXPECT_EQ(read_bytes(dir.file("out.mp3")), "ABCABCDEFGHIJKLMNOP");
  expect_vb_error([&] { writer.WriteBufferToFile(1); }, 29874, kWrite, "File not open for writing");
}

TEST(Mp3Writer, FilesThatCannotBeWrittenAndBuffersThatCannotBeAllocated) {
  TempDir dir;
  for (const std::string& path : {dir.file("no/such/folder/d.mp3"), std::string(), dir.path().string()}) {
    SCOPED_TRACE(path);
    cMp3Writer writer;
    expect_vb_error([&] { writer.Filename(path); }, 29872, "mellix.OpenFile",
                    "Unable to open file for writing");
    EXPECT_EQ(writer.Filename(), path);  // path and buffer stay
    EXPECT_NE(writer.BufferPointer(), nullptr);
    expect_vb_error([&] { writer.WriteBufferToFile(1); }, 29874, kWrite, "File not open for writing");
  }
  cMp3Writer negative;
  expect_vb_error([&] { negative.BufferSize(-1); }, 29871, "mellix.AllocateBuffer",
                  "Unable to allocate output buffer for writing");
  EXPECT_EQ(negative.BufferPointer(), nullptr);
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  cMp3Writer full;
  full.BufferSize(64);
  full.Filename("/dev/full");
  expect_vb_error([&] { full.WriteBufferToFile(64); }, 29875, kWrite, "Failed to write buffer to file");
}

}  // namespace
