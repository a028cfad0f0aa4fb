#pragma once

// The chunk walk of RIFF files (wave files): each chunk is a four-character id, a 32-bit
// little-endian size and its data, padded to an even length. RIFF and LIST chunks start their
// data with a form type.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string_view>

namespace core {

/// The 32-bit code of a chunk id as it lies in the file. Codes shorter than four characters
/// are padded with blanks: "fmt" is "fmt ".
constexpr std::uint32_t fourcc(std::string_view code) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const char c = i < code.size() ? code[i] : ' ';
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << (8 * i);
  }
  return value;
}

struct RiffChunk {
  std::uint32_t id = 0;
  std::uint32_t size = 0;        // as the chunk declares it
  std::uint32_t form = 0;        // form type of a RIFF or LIST chunk, 0 for others
  std::int64_t data_offset = 0;  // first byte after the 8-byte chunk header

  /// Where the next chunk starts: after the data and the pad byte of an odd size.
  std::int64_t next_offset() const { return data_offset + size + (size & 1); }
};

/// Reads up to `count` bytes from `offset` into `out` and returns how many it read.
using RiffBytes = std::function<std::size_t(std::int64_t offset, char* out, std::size_t count)>;

/// The bytes of a buffer, or of an open file (which the walk repositions).
RiffBytes riff_bytes(std::string_view bytes);
RiffBytes riff_bytes(std::FILE* file);

/// The chunk header at `offset`; nothing when the bytes end inside it.
std::optional<RiffChunk> riff_chunk_at(const RiffBytes& bytes, std::int64_t offset);

/// Walks the chunks from `offset` until `end` (or until the bytes end inside a chunk header)
/// and calls `visit` with each; the walk stops when `visit` returns false.
void walk_riff_chunks(const RiffBytes& bytes, std::int64_t offset, std::optional<std::int64_t> end,
                      const std::function<bool(const RiffChunk&)>& visit);

/// The first chunk of the walk with the given id (and, when `form` is given, that form type).
std::optional<RiffChunk> find_riff_chunk(const RiffBytes& bytes, std::int64_t offset,
                                         std::optional<std::int64_t> end, std::uint32_t id,
                                         std::optional<std::uint32_t> form = std::nullopt);

}  // namespace core
