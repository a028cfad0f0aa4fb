#include "audio/codec/wav_rate_probe.h"

#include <array>
#include <fstream>

#include "core/errors.h"
#include "core/hex.h"
#include "core/shared_state.h"

namespace Module35 {

std::int32_t wav_sample_rate() {
  std::ifstream in(core::source_filename, std::ios::binary);
  if (!in) throw core::VbError(53, core::exe_name() + ".wav_sample_rate", "File not found");
  std::array<char, 30> header{};  // a short file leaves the rest 0
  in.read(header.data(), header.size());

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
