#include "audio/codec/wav_rate_probe.h"

#include <unistd.h>

#include <array>

#include "core/errors.h"
#include "core/hex.h"
#include "core/safe_files.h"
#include "core/shared_state.h"

namespace Module35 {

std::int32_t wav_sample_rate() {
  // A regular file only, opened without waiting on a pipe.
  const int fd = core::open_regular_file(core::source_filename, "wav_sample_rate");
  std::array<char, 30> header{};  // a short file leaves the rest 0
  for (std::size_t got = 0; got < header.size();) {
    const ssize_t n = ::read(fd, header.data() + got, header.size() - got);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);

  // Bytes 28, 27, 26, 25 (1-based), most significant first, as eight hex digits.
  std::string hex;
  for (int position : {28, 27, 26, 25}) {
    const auto byte = static_cast<unsigned char>(header[static_cast<std::size_t>(position - 1)]);
    hex += Module36::pad_hex_byte(core::to_hex(byte));
  }
  return Module17::hex_val(hex);
}

}  // namespace Module35

namespace Module36 {

std::string pad_hex_byte(const std::string& hex) {
  if (hex.size() == 2) return hex;
  if (hex.size() == 1) return "0" + hex;
  return "";
}

}  // namespace Module36
