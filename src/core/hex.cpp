#include "core/hex.h"

#include <array>
#include <stdexcept>

namespace Module18 {

std::int16_t hex_digit_val(const std::string& digit) {
  if (digit.size() != 1) return 0;
  const char c = digit[0];
  if (c >= '0' && c <= '9') return static_cast<std::int16_t>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<std::int16_t>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<std::int16_t>(c - 'A' + 10);
  return 0;
}

}  // namespace Module18

namespace Module17 {

std::int32_t hex_val(const std::string& hex) {
  // Unsigned arithmetic: callers pass at most eight digits; wider text wraps instead of
  // overflowing a signed value.
  std::uint32_t value = 0;
  for (char c : hex)
    value = value * 16 + static_cast<std::uint32_t>(Module18::hex_digit_val(std::string(1, c)));
  return static_cast<std::int32_t>(value);
}

}  // namespace Module17

namespace Module29 {

std::string hex_to_bytes(const std::string& hex) {
  std::string out;
  out.reserve(hex.size() / 2);
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(static_cast<char>(Module17::hex_val(hex.substr(i, 2))));
  return out;
}

}  // namespace Module29

namespace Module26 {

std::string nibble_to_hex(const std::string& bits) {
  static constexpr std::array<const char*, 16> kNibbles = {"0000", "0001", "0010", "0011", "0100", "0101",
                                                           "0110", "0111", "1000", "1001", "1010", "1011",
                                                           "1100", "1101", "1110", "1111"};
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (std::size_t i = 0; i < kNibbles.size(); ++i)
    if (bits == kNibbles[i]) return std::string(1, kDigits[i]);
  return {};
}

std::string bin8_to_hex(const std::string& bits) {
  std::string padded = bits;
  if (padded.size() < 8) padded.insert(0, 8 - padded.size(), '0');
  return nibble_to_hex(padded.substr(0, 4)) + nibble_to_hex(padded.substr(4, 4));
}

}  // namespace Module26

namespace Module15 {

std::string hex_digit_to_bin(const std::string& digit) {
  if (digit.size() != 1) return {};
  const char c = digit[0];
  const bool is_hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  if (!is_hex) return {};
  const int v = Module18::hex_digit_val(digit);
  std::string bits(4, '0');
  for (int b = 0; b < 4; ++b)
    if (v & (8 >> b)) bits[b] = '1';
  return bits;
}

std::string hex_to_bin(const std::string& hex) {
  std::string bits;
  bits.reserve(32);
  for (std::size_t i = 0; i < hex.size() && i < 8; ++i) bits += hex_digit_to_bin(std::string(1, hex[i]));
  return bits;
}

}  // namespace Module15

namespace Module19 {

std::string bytes_to_hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  unsigned char previous = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const unsigned char b = i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : previous;
    hex.push_back(kDigits[b >> 4]);
    hex.push_back(kDigits[b & 0x0F]);
    previous = b;
  }
  return hex;
}

}  // namespace Module19

namespace Module14 {

std::string header_to_hex(const std::string& bytes) { return Module19::bytes_to_hex(bytes); }

}  // namespace Module14

namespace Module6 {

std::string to_lit_endian(const std::string& hex, std::int16_t mode) {
  std::size_t width = 0;
  if (mode == 1)
    width = 8;
  else if (mode == 2)
    width = 4;
  else
    return {};

  std::string work = hex;
  if (work.size() < width) work.insert(0, width - work.size(), '0');

  // Pairs from the right end: an odd-length text longer than its field loses its first digit.
  std::string out;
  const long len = static_cast<long>(work.size());
  for (long i = 1; len - i >= 1; i += 2) out += work.substr(static_cast<std::size_t>(len - i - 1), 2);
  return out;
}

}  // namespace Module6

namespace core {

std::string to_hex(std::uint32_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  do {
    out.insert(out.begin(), kDigits[value & 0x0F]);
    value >>= 4;
  } while (value != 0);
  return out;
}

void put_u16le(std::string& out, std::uint16_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>(value >> 8));
}

void put_u32le(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint16_t get_u16le(const std::string& bytes, std::size_t offset) {
  if (offset >= bytes.size() || bytes.size() - offset < 2) throw std::out_of_range("get_u16le past the end");
  return get_u16le(reinterpret_cast<const std::uint8_t*>(bytes.data()), offset);
}

std::uint32_t get_u32le(const std::string& bytes, std::size_t offset) {
  if (offset >= bytes.size() || bytes.size() - offset < 4) throw std::out_of_range("get_u32le past the end");
  return get_u32le(reinterpret_cast<const std::uint8_t*>(bytes.data()), offset);
}

std::uint16_t get_u16le(const std::uint8_t* record, std::size_t offset) {
  return static_cast<std::uint16_t>(record[offset] | record[offset + 1] << 8);
}

std::uint32_t get_u32le(const std::uint8_t* record, std::size_t offset) {
  return static_cast<std::uint32_t>(record[offset]) | static_cast<std::uint32_t>(record[offset + 1]) << 8 |
         static_cast<std::uint32_t>(record[offset + 2]) << 16 |
         static_cast<std::uint32_t>(record[offset + 3]) << 24;
}

void set_u16le(std::uint8_t* record, std::size_t offset, std::uint16_t value) {
  record[offset] = static_cast<std::uint8_t>(value & 0xFF);
  record[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void set_u32le(std::uint8_t* record, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) record[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace core
