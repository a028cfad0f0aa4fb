#include "platform/flash/stage_colour.h"

#include <zlib.h>

#include <fstream>
#include <functional>
#include <vector>

#include "core/hex.h"

namespace platform::flash {

namespace {

// The stage colour comes within the first tags: a few kilobytes of the movie are enough.
constexpr std::size_t kHeadBytes = 4096;
// A movie's sounds, if any, come within its first frames; a longer look reads the whole movie.
constexpr std::size_t kSoundLookBytes = 1 << 16;

constexpr int kEnd = 0;
constexpr int kShowFrame = 1;
constexpr int kSetBackgroundColor = 9;
constexpr int kDefineSprite = 39;
// DefineSound, StartSound, DefineButtonSound, SoundStreamHead, SoundStreamBlock,
// SoundStreamHead2, StartSound2.
constexpr int kSoundTags[] = {14, 15, 17, 18, 19, 45, 89};

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

// Up to `limit` bytes of the movie after its 8-byte header (signature, version, file length),
// unpacked when the rest is zlib-packed, all of it when `limit` is 0; "" when the file is no
// SWF movie.
std::string movie_body(const std::string& path, std::size_t limit) {
  std::ifstream file(path, std::ios::binary);
  std::string head(8, '\0');
  if (!file.read(head.data(), 8) || head.compare(1, 2, "WS") != 0) return {};
  if (head[0] != 'F' && head[0] != 'C') return {};
  const std::size_t length = core::get_u32le(head, 4);
  if (!limit || limit > length - 8) limit = length > 8 ? length - 8 : 0;
  // Packed bytes are never many more than what they unpack to.
  std::string rest(limit + 1024, '\0');
  file.read(rest.data(), static_cast<std::streamsize>(rest.size()));
  rest.resize(static_cast<std::size_t>(file.gcount()));
  return head[0] == 'F' ? rest.substr(0, limit) : inflate_head(rest, limit);
}

enum class Walk { kStopped, kEnded, kRanOut };

// Walks the tags of `body` up to the movie's End, sprites' own tags too when `into_sprites`,
// handing each code and body offset and length to `visit` until it returns true.
Walk walk_tags(const std::string& body, bool into_sprites,
               const std::function<bool(int, std::size_t, std::size_t)>& visit) {
  // Stage rectangle: 5 bits of field width, then four fields; frame rate and count.
  if (body.empty()) return Walk::kRanOut;
  const std::size_t bits = static_cast<unsigned char>(body[0]) >> 3;  // nnnnnxxx
  std::size_t at = (5 + 4 * bits + 7) / 8 + 4;
  std::vector<std::size_t> sprite_ends;
  // Each tag: code and length in 16 bits, a long length in 32 more.
  while (at + 2 <= body.size()) {
    while (!sprite_ends.empty() && at >= sprite_ends.back()) sprite_ends.pop_back();
    const std::uint16_t code_and_length = core::get_u16le(body, at);
    const int code = code_and_length >> 6;
    std::size_t length = code_and_length & 0x3F;
    at += 2;
    if (length == 0x3F) {
      if (at + 4 > body.size()) return Walk::kRanOut;
      length = core::get_u32le(body, at);
      at += 4;
    }
    if (visit(code, at, length)) return Walk::kStopped;
    if (code == kEnd && sprite_ends.empty()) return Walk::kEnded;
    if (into_sprites && code == kDefineSprite && length >= 4) {  // sprite id and frame count, then its tags
      sprite_ends.push_back(at + length);
      at += 4;
      continue;
    }
    if (length > body.size() - at) return Walk::kRanOut;
    at += length;
  }
  return Walk::kRanOut;
}

}  // namespace

std::optional<std::uint32_t> stage_colour(const std::string& path) {
  const std::string body = movie_body(path, kHeadBytes);
  std::optional<std::uint32_t> colour;
  // Tags up to the first frame.
  walk_tags(body, false, [&](int code, std::size_t at, std::size_t length) {
    if (code == kSetBackgroundColor && length >= 3 && at + 3 <= body.size())
      colour = std::uint32_t(static_cast<unsigned char>(body[at])) << 16 |
               std::uint32_t(static_cast<unsigned char>(body[at + 1])) << 8 |
               static_cast<unsigned char>(body[at + 2]);
    return code == kEnd || code == kShowFrame || code == kSetBackgroundColor;
  });
  return colour;
}

bool has_sounds(const std::string& path) {
  bool found = false;
  const auto look = [&found](int code, std::size_t, std::size_t) {
    for (const int sound : kSoundTags) found = found || code == sound;
    return found;
  };
  // The first frames first; the whole movie when they hold no sound.
  for (const std::size_t limit : {kSoundLookBytes, std::size_t{0}}) {
    const std::string body = movie_body(path, limit);
    if (body.empty()) return true;  // not read: what it holds is not known
    if (walk_tags(body, true, look) != Walk::kRanOut) return found;
  }
  return found;
}

}  // namespace platform::flash
