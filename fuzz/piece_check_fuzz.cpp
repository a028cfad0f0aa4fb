// Feeds arbitrary bytes, cut into a tp, a middle and a bottom piece at the lengths its first
// two 16-bit fields give, to the check that a composition makes before it joins style pieces. The
// check must never read outside the pieces, and the pieces it passes must meet as the movie
// assembly needs them: the middle one DefineSprite record with its long length, the bottom
// long enough for an End record.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/errors.h"
#include "core/hex.h"
#include "engine/style_pieces.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size < 4) return 0;
  const std::string rest(reinterpret_cast<const char*>(bytes) + 4, size - 4);
  const std::size_t first = (bytes[0] | bytes[1] << 8) % (rest.size() + 1);
  const std::size_t second = first + (bytes[2] | bytes[3] << 8) % (rest.size() - first + 1);
  const std::string tp = rest.substr(0, first), middle = rest.substr(first, second - first),
                    bottom = rest.substr(second);
  try {
    engine::style::check_pieces({"tp", "middle", "bottom"}, tp, middle, bottom);
  } catch (const core::VbError&) {
    return 0;
  }
  if (middle.size() < 6 || core::get_u16le(middle, 0) != (39 << 6 | 0x3F) ||
      core::get_u32le(middle, 2) != middle.size() - 6 || bottom.size() < 2)
    std::abort();
  return 0;
}
