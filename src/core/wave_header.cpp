#include "core/wave_header.h"

#include "core/hex.h"

namespace core {

std::string wave_header(int channels, int samples_per_sec, int bits_per_sample, int block_align,
                        std::uint32_t data_bytes, std::uint32_t riff_padding) {
  std::string h = "RIFF";
  put_u32le(h, 36 + data_bytes + riff_padding);  // everything after this field
  h += "WAVEfmt ";
  put_u32le(h, 16);  // chunk size of plain PCM
  put_u16le(h, 1);   // format tag: PCM
  put_u16le(h, static_cast<std::uint16_t>(channels));
  put_u32le(h, static_cast<std::uint32_t>(samples_per_sec));
  put_u32le(h, static_cast<std::uint32_t>(samples_per_sec) * static_cast<std::uint32_t>(block_align));
  put_u16le(h, static_cast<std::uint16_t>(block_align));
  put_u16le(h, static_cast<std::uint16_t>(bits_per_sample));
  h += "data";
  put_u32le(h, data_bytes);
  return h;
}

}  // namespace core
