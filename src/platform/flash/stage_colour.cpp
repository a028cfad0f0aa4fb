#include "platform/flash/stage_colour.h"

#include <zlib.h>

#include <fstream>
#include <iterator>

#include "core/hex.h"

namespace platform::flash {

namespace {

// The stage colour comes within the first tags: a few kilobytes of the movie are enough.
constexpr std::size_t kHeadBytes = 4096;

constexpr int kEnd = 0;
constexpr int kShowFrame = 1;
constexpr int kSetBackgroundColor = 9;

// Up to `limit` bytes of the zlib stream `packed`, as far as it goes.
std::string inflate_head(const std::string& packed, std::size_t limit) {
  std::string out(limit, '\0');
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return {};
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  stream.avail_in = static_cast<uInt>(packed.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  inflate(&stream, Z_SYNC_FLUSH);
  out.resize(out.size() - stream.avail_out);
  inflateEnd(&stream);
  return out;
}

}  // namespace

std::optional<std::uint32_t> stage_colour(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::string head(kHeadBytes * 4, '\0');
  file.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(file.gcount()));
  if (head.size() < 8 || head.compare(1, 2, "WS") != 0) return std::nullopt;

  // After the 8-byte header (signature, version, file length) the rest may be zlib-packed.
  std::string body;
  if (head[0] == 'F')
    body = head.substr(8, kHeadBytes);
  else if (head[0] == 'C')
    body = inflate_head(head.substr(8), kHeadBytes);
  else
    return std::nullopt;

  // Stage rectangle: 5 bits of field width, then four fields; frame rate and count.
  if (body.empty()) return std::nullopt;
  const std::size_t bits = static_cast<unsigned char>(body[0]) >> 3;  // nnnnnxxx
  std::size_t at = (5 + 4 * bits + 7) / 8 + 4;

  // Tags up to the first frame: code and length in 16 bits, a long length in 32 more.
  while (at + 2 <= body.size()) {
    const std::uint16_t code_and_length = core::get_u16le(body, at);
    const int code = code_and_length >> 6;
    std::size_t length = code_and_length & 0x3F;
    at += 2;
    if (length == 0x3F) {
      if (at + 4 > body.size()) return std::nullopt;
      length = core::get_u32le(body, at);
      at += 4;
    }
    if (code == kEnd || code == kShowFrame) return std::nullopt;
    if (code == kSetBackgroundColor) {
      if (length < 3 || at + 3 > body.size()) return std::nullopt;
      return std::uint32_t(static_cast<unsigned char>(body[at])) << 16 |
             std::uint32_t(static_cast<unsigned char>(body[at + 1])) << 8 |
             static_cast<unsigned char>(body[at + 2]);
    }
    if (length > body.size() - at) return std::nullopt;
    at += length;
  }
  return std::nullopt;
}

}  // namespace platform::flash
