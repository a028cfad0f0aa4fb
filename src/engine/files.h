#pragma once

// File helpers of the engine: whole-file reads and writes of byte strings, the positional
// hex writer used for every length and colour patch, delete and copy that never report.

#include <cstdint>
#include <string>

namespace Module16 {
/// Writes the bytes of `hex` into the file from the 1-based `position` on, without
/// truncating it (a missing file is created). An odd digit count gets a leading "0".
/// Position 0 with a non-empty text shows "OFFSET Must not be 0" and writes nothing.
void write_hex_at(const std::string& path, const std::string& hex, std::int32_t position);
}  // namespace Module16

namespace Module5 {
/// Deletes the file; every error is ignored.
void kill_file(const std::string& path);
}  // namespace Module5

namespace Module38 {
/// Copies source to destination, replacing it; every error is ignored.
void copy_file(const std::string& source, const std::string& destination);
}  // namespace Module38

namespace engine {
/// Reads a whole file into a byte string; throws core::VbError 53 when it cannot be opened
/// and 75 when it is not a regular file (a folder, a pipe, a device).
std::string read_file(const std::string& path);
/// Replaces the file with the byte string, written beside it and renamed onto it; throws
/// core::VbError (75, 61) when it cannot be written, the file then staying as it was.
void write_file(const std::string& path, const std::string& bytes);
/// Writes bytes into an existing file at a 0-based offset without truncating it.
void write_at(const std::string& path, const std::string& bytes, std::uint64_t offset);
}  // namespace engine
