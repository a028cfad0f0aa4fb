#include "core/riff.h"

#include <string>

#include "core/hex.h"

namespace core {

namespace {

std::optional<std::uint32_t> read_u32(const RiffBytes& bytes, std::int64_t offset) {
  std::string field(4, '\0');
  if (bytes(offset, field.data(), field.size()) != field.size()) return std::nullopt;
  return get_u32le(field, 0);
}

}  // namespace

std::optional<RiffChunk> riff_chunk_at(const RiffBytes& bytes, std::int64_t offset) {
  RiffChunk chunk;
  const auto id = read_u32(bytes, offset);
  if (!id) return std::nullopt;
  const auto size = read_u32(bytes, offset + 4);
  if (!size) return std::nullopt;
  chunk.id = *id;
  chunk.size = *size;
  chunk.data_offset = offset + 8;
  if (chunk.id == fourcc("RIFF") || chunk.id == fourcc("LIST")) {
    const auto form = read_u32(bytes, chunk.data_offset);
    if (!form) return std::nullopt;
    chunk.form = *form;
  }
  return chunk;
}

RiffBytes riff_bytes(std::string_view bytes) {
  return [bytes](std::int64_t offset, char* out, std::size_t count) -> std::size_t {
    if (offset < 0 || static_cast<std::uint64_t>(offset) >= bytes.size()) return 0;
    return bytes.copy(out, count, static_cast<std::size_t>(offset));
  };
}

RiffBytes riff_bytes(std::FILE* file) {
  return [file](std::int64_t offset, char* out, std::size_t count) -> std::size_t {
    if (fseeko(file, offset, SEEK_SET) != 0) return 0;
    return std::fread(out, 1, count, file);
  };
}

void walk_riff_chunks(const RiffBytes& bytes, std::int64_t offset, std::optional<std::int64_t> end,
                      const std::function<bool(const RiffChunk&)>& visit) {
  while (!end || offset < *end) {
    const auto chunk = riff_chunk_at(bytes, offset);
    if (!chunk || !visit(*chunk)) return;
    offset = chunk->next_offset();
  }
}

std::optional<RiffChunk> find_riff_chunk(const RiffBytes& bytes, std::int64_t offset,
                                         std::optional<std::int64_t> end, std::uint32_t id,
                                         std::optional<std::uint32_t> form) {
  std::optional<RiffChunk> found;
  walk_riff_chunks(bytes, offset, end, [&](const RiffChunk& chunk) {
    if (chunk.id == id && (!form || chunk.form == *form)) found = chunk;
    return !found;
  });
  return found;
}

}  // namespace core
