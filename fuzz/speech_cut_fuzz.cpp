// Feeds arbitrary bytes to the preparation of a text for synthesis: the replacement of what is
// no UTF-8 and the cutting into pieces. The pieces must join up to the prepared text, stay
// within their size, and begin on a whole character; the prepared text must be valid, so that
// preparing it again changes nothing.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/speech/espeak_engine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t most = 4 + bytes[0] % 60;  // room for the longest character
  const std::string text(reinterpret_cast<const char*>(bytes) + 1, size - 1);

  const std::string prepared = speech::blank_invalid_utf8(text);
  if (speech::blank_invalid_utf8(prepared) != prepared || prepared.find('\0') != std::string::npos)
    std::abort();
  if (prepared.size() > text.size() + 1) std::abort();

  std::string joined;
  for (const std::string& piece : speech::split_for_synthesis(prepared, most)) {
    if (piece.empty() || piece.size() > most) std::abort();
    if ((static_cast<unsigned char>(piece[0]) & 0xC0) == 0x80) std::abort();  // 10xxxxxx: mid-character
    joined += piece;
  }
  if (joined != prepared) std::abort();
  return 0;
}
