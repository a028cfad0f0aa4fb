#pragma once

// Hex, bit and little-endian text helpers. Binary data travel as byte strings (one char per
// byte); numbers travel as upper-case hex text and become little-endian fields through
// `Module6::to_lit_endian` and `Module16::write_hex_at`.

#include <cstdint>
#include <string>

namespace Module18 {
/// "0".."9", "a".."f", "A".."F" give 0..15; anything else (also "" or longer text) gives 0.
std::int16_t hex_digit_val(const std::string& digit);
}  // namespace Module18

namespace Module17 {
/// Value of a hex text; non-hex characters count as 0 in their place; "" gives 0.
std::int32_t hex_val(const std::string& hex);
}  // namespace Module17

namespace Module29 {
/// Each pair of hex digits, from the left, becomes one byte: "FF04" gives FF 04.
std::string hex_to_bytes(const std::string& hex);
}  // namespace Module29

namespace Module26 {
/// "0000".."1111" give "0".."F"; anything else gives "".
std::string nibble_to_hex(const std::string& bits);
/// Up to eight bits (left-padded with "0") as two hex digits; bits after the eighth are ignored.
std::string bin8_to_hex(const std::string& bits);
}  // namespace Module26

namespace Module15 {
/// The four bits of one hex digit ("A" gives "1010"); anything else gives "".
std::string hex_digit_to_bin(const std::string& digit);
/// The bits of the first eight hex digits, in order; non-hex characters add nothing.
std::string hex_to_bin(const std::string& hex);
}  // namespace Module15

namespace Module19 {
/// The first four bytes as eight upper-case hex digits. A missing byte repeats the one
/// before it (0 when there is none): FF FB alone gives FFFBFBFB.
std::string bytes_to_hex(const std::string& bytes);
}  // namespace Module19

namespace Module14 {
/// Same result as Module19::bytes_to_hex.
std::string header_to_hex(const std::string& bytes);
}  // namespace Module14

namespace Module6 {
/// Pads to 8 (mode 1) or 4 (mode 2) digits and reverses the byte pairs: 0000ABCD gives
/// CDAB0000. Any other mode gives "".
std::string to_lit_endian(const std::string& hex, std::int16_t mode);
}  // namespace Module6

namespace core {
/// Upper-case hex text of a value, without leading zeros ("0" for 0).
std::string to_hex(std::uint32_t value);
/// Bytes of a little-endian field, the same bytes that to_lit_endian's text stands for.
void put_u16le(std::string& out, std::uint16_t value);
void put_u32le(std::string& out, std::uint32_t value);
/// Fields of a byte string; std::out_of_range past its end.
std::uint16_t get_u16le(const std::string& bytes, std::size_t offset);
std::uint32_t get_u32le(const std::string& bytes, std::size_t offset);
/// The same fields in a fixed-size record, read and written in place; the caller keeps
/// `offset` inside the record.
std::uint16_t get_u16le(const std::uint8_t* record, std::size_t offset);
std::uint32_t get_u32le(const std::uint8_t* record, std::size_t offset);
void set_u16le(std::uint8_t* record, std::size_t offset, std::uint16_t value);
void set_u32le(std::uint8_t* record, std::size_t offset, std::uint32_t value);
}  // namespace core
