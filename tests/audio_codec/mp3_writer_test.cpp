#include "audio/codec/mp3_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "codec_fixtures.h"

namespace {

using namespace codec_test;
using testsupport::read_bytes;
using testsupport::TempDir;
using testsupport::write_bytes;

TEST(Mp3Writer, WritesTheFirstBytesOfItsBufferInOrder) {
  TempDir dir;
  {
    cMp3Writer writer;
    EXPECT_EQ(writer.BufferSize(), 8192);
    writer.BufferSize(16);
    writer.Filename(dir.file("out.mp3"));
    std::memcpy(writer.BufferPointer(), "ABCDEFGHIJKLMNOP", 16);
    EXPECT_EQ(writer.WriteBufferToFile(3), 3);
    EXPECT_EQ(writer.WriteBufferToFile(16), 16);
    EXPECT_EQ(writer.WriteBufferToFile(0), 0);  // nothing written
    writer.CloseFile();
  }
  EXPECT_EQ(read_bytes(dir.file("out.mp3")), "ABCABCDEFGHIJKLMNOP");
}

TEST(Mp3Writer, ABufferIsAllocatedWhenTheFileIsNamed) {
  TempDir dir;
  cMp3Writer writer;
  EXPECT_EQ(writer.BufferPointer(), nullptr);
  writer.Filename(dir.file("a.mp3"));
  ASSERT_NE(writer.BufferPointer(), nullptr);
  EXPECT_EQ(writer.WriteBufferToFile(8192), 8192);  // zero-initialised
  writer.CloseFile();
  EXPECT_EQ(read_bytes(dir.file("a.mp3")), std::string(8192, '\0'));
}

TEST(Mp3Writer, NamingAnExistingFileEmptiesIt) {
  TempDir dir;
  write_bytes(dir.file("old.mp3"), "previous contents");
  cMp3Writer writer;
  writer.Filename(dir.file("old.mp3"));
  writer.CloseFile();
  EXPECT_EQ(std::filesystem::file_size(dir.file("old.mp3")), 0u);
}

TEST(Mp3Writer, CountAboveTheBufferIsError3) {
  TempDir dir;
  cMp3Writer writer;
  writer.BufferSize(100);
  writer.Filename(dir.file("b.mp3"));
  expect_vb_error([&] { writer.WriteBufferToFile(101); }, 29873, "mellix.WriteBufferToFile",
                  "Cannot write more data than is available in the buffer");
  EXPECT_EQ(writer.WriteBufferToFile(100), 100);
}

TEST(Mp3Writer, WritingWithoutAFileIsError4) {
  cMp3Writer writer;
  writer.BufferSize(10);
  expect_vb_error([&] { writer.WriteBufferToFile(1); }, 29874, "mellix.WriteBufferToFile",
                  "File not open for writing");
  TempDir dir;
  writer.Filename(dir.file("c.mp3"));
  writer.CloseFile();
  expect_vb_error([&] { writer.WriteBufferToFile(1); }, 29874, "mellix.WriteBufferToFile",
                  "File not open for writing");
}

TEST(Mp3Writer, AFileThatCannotBeCreatedIsError2AndLaterWritesError4) {
  TempDir dir;
  for (const std::string& path : {dir.file("no/such/folder/d.mp3"), std::string(), dir.path().string()}) {
    SCOPED_TRACE(path);
    cMp3Writer writer;
    expect_vb_error([&] { writer.Filename(path); }, 29872, "mellix.OpenFile",
                    "Unable to open file for writing");
    EXPECT_EQ(writer.Filename(), path);  // path and buffer stay
    EXPECT_NE(writer.BufferPointer(), nullptr);
    expect_vb_error([&] { writer.WriteBufferToFile(1); }, 29874, "mellix.WriteBufferToFile",
                    "File not open for writing");
  }
}

TEST(Mp3Writer, ANegativeBufferSizeCannotBeAllocated) {
  cMp3Writer writer;
  expect_vb_error([&] { writer.BufferSize(-1); }, 29871, "mellix.AllocateBuffer",
                  "Unable to allocate output buffer for writing");
  EXPECT_EQ(writer.BufferPointer(), nullptr);
}

TEST(Mp3Writer, AFullDiskIsError5) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  cMp3Writer writer;
  writer.BufferSize(64);
  writer.Filename("/dev/full");
  expect_vb_error([&] { writer.WriteBufferToFile(64); }, 29875, "mellix.WriteBufferToFile",
                  "Failed to write buffer to file");
}

}  // namespace
