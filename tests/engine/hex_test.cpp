#include "engine/hex.h"

#include <gtest/gtest.h>

#include "core/errors.h"
#include "engine/files.h"
#include "support/test_support.h"

namespace {

TEST(HexDigits, ConvertDigitsAndIgnoreEverythingElse) {
  EXPECT_EQ(Module18::hex_digit_val("7"), 7);
  EXPECT_EQ(Module18::hex_digit_val("a"), 10);
  EXPECT_EQ(Module18::hex_digit_val("F"), 15);
  EXPECT_EQ(Module18::hex_digit_val("G"), 0);
  EXPECT_EQ(Module18::hex_digit_val(""), 0);
  EXPECT_EQ(Module18::hex_digit_val("12"), 0);

  EXPECT_EQ(Module17::hex_val("0000FFFF"), 65535);
  EXPECT_EQ(Module17::hex_val(""), 0);
  EXPECT_EQ(Module17::hex_val("1G"), 16);
  EXPECT_EQ(Module17::hex_val("7fffffff"), 2147483647);

  EXPECT_EQ(Module29::hex_to_bytes("FF04"), std::string("\xFF\x04", 2));
  EXPECT_EQ(Module29::hex_to_bytes("00"), std::string(1, '\0'));
}

TEST(HexBits, NibblesAndBitTexts) {
  EXPECT_EQ(Module26::nibble_to_hex("1010"), "A");
  EXPECT_EQ(Module26::nibble_to_hex("101"), "");
  EXPECT_EQ(Module26::bin8_to_hex("101"), "05");
  EXPECT_EQ(Module26::bin8_to_hex("11110000"), "F0");
  EXPECT_EQ(Module26::bin8_to_hex("1111000011"), "F0");

  EXPECT_EQ(Module15::hex_digit_to_bin("A"), "1010");
  EXPECT_EQ(Module15::hex_digit_to_bin("x"), "");
  EXPECT_EQ(Module15::hex_to_bin("fffb9064"), "11111111111110111001000001100100");
  EXPECT_EQ(Module15::hex_to_bin("FFZB9064").size(), 28u);
  EXPECT_EQ(Module15::hex_to_bin("FFFB9064AA").size(), 32u);
}

TEST(HexBits, HeaderBytesRepeatTheLastByteWhenShort) {
  EXPECT_EQ(Module19::bytes_to_hex(std::string("\xFF\xFB\x90\x64", 4)), "FFFB9064");
  EXPECT_EQ(Module14::header_to_hex(std::string("\x0A\x01\x02\x03", 4)), "0A010203");
  EXPECT_EQ(Module19::bytes_to_hex(std::string("\xFF\xFB", 2)), "FFFBFBFB");
  EXPECT_EQ(Module19::bytes_to_hex(""), "00000000");
}

TEST(LittleEndian, PadsAndReversesPairs) {
  struct Row {
    const char* hex;
    short mode;
    const char* expected;
  };
  const Row rows[] = {
      {"0000ABCD", 1, "CDAB0000"}, {"1A2B", 2, "2B1A"},         {"ABC", 2, "BC0A"},
      {"1", 1, "01000000"},        {"123456", 2, "563412"},     {"12345", 2, "4523"},
      {"", 1, "00000000"},         {"12345678", 2, "78563412"}, {"7", 3, ""},
  };
  for (const auto& row : rows) EXPECT_EQ(Module6::to_lit_endian(row.hex, row.mode), row.expected) << row.hex;
}

TEST(LittleEndian, ByteHelpersMatchTheHexForm) {
  std::string out;
  engine::put_u32le(out, 0x0001ABCD);
  engine::put_u16le(out, 0x1A2B);
  EXPECT_EQ(out,
            Module29::hex_to_bytes(Module6::to_lit_endian("1ABCD", 1) + Module6::to_lit_endian("1A2B", 2)));
  EXPECT_EQ(engine::get_u32le(out, 0), 0x0001ABCDu);
  EXPECT_EQ(engine::get_u16le(out, 4), 0x1A2B);
  EXPECT_EQ(engine::to_hex(0), "0");
  EXPECT_EQ(engine::to_hex(0x1FD6), "1FD6");
}

TEST(WriteHexAt, PatchesInPlaceWithoutTruncating) {
  testsupport::TempDir dir;
  const auto path = dir.file("patch.bin");
  testsupport::write_bytes(path, std::string(10, '\x11'));
  Module16::write_hex_at(path, "ABC", 5);
  std::string expected(10, '\x11');
  expected[4] = '\x0A';
  expected[5] = '\xBC';
  EXPECT_EQ(testsupport::read_bytes(path), expected);

  // Past the end the file grows to hold the bytes; nothing before them changes.
  Module16::write_hex_at(path, "FFEE", 11);
  EXPECT_EQ(testsupport::read_bytes(path), expected + "\xFF\xEE");
}

TEST(WriteHexAt, PositionZeroWarnsAndWritesNothing) {
  testsupport::TempDir dir;
  testsupport::MessageBoxRecorder boxes;
  const auto path = dir.file("missing.bin");
  Module16::write_hex_at(path, "ABCD", 0);
  EXPECT_EQ(boxes.texts(), std::vector<std::string>{"OFFSET Must not be 0"});
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(std::filesystem::file_size(path), 0u);

  Module16::write_hex_at(path, "", 0);  // an empty text shows nothing
  EXPECT_EQ(boxes.shown().size(), 1u);
}

TEST(FileHelpers, KillAndCopyNeverReport) {
  testsupport::TempDir dir;
  EXPECT_NO_THROW(Module5::kill_file(dir.file("nothing-here")));
  EXPECT_NO_THROW(Module38::copy_file(dir.file("nothing-here"), dir.file("copy")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("copy")));

  testsupport::write_bytes(dir.file("a"), "new");
  testsupport::write_bytes(dir.file("b"), "older and longer");
  Module38::copy_file(dir.file("a"), dir.file("b"));
  EXPECT_EQ(testsupport::read_bytes(dir.file("b")), "new");
  EXPECT_NO_THROW(Module38::copy_file(dir.file("a"), dir.file("no/such/folder/x")));

  Module5::kill_file(dir.file("b"));
  EXPECT_FALSE(std::filesystem::exists(dir.file("b")));
  EXPECT_THROW(engine::read_file(dir.file("b")), core::VbError);
}

}  // namespace
