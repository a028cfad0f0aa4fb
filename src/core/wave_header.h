#pragma once

#include <cstdint>
#include <string>

namespace core {

/// The canonical 44-byte header of a PCM wave file: "RIFF", size, "WAVE", a 16-byte "fmt "
/// chunk, "data", size. `riff_padding` counts bytes stored after the data (the pad byte of an
/// odd-sized chunk) into the RIFF size.
std::string wave_header(int channels, int samples_per_sec, int bits_per_sample, int block_align,
                        std::uint32_t data_bytes, std::uint32_t riff_padding = 0);

inline constexpr std::size_t kWaveHeaderSize = 44;

/// True when a data chunk of this many bytes fits the header's 32-bit sizes: the RIFF size
/// counts 36 bytes, the data and the pad byte of an odd-sized chunk.
constexpr bool wave_data_fits(std::uint64_t data_bytes) {
  return 36 + data_bytes + data_bytes % 2 <= 0xFFFF'FFFFu;
}

}  // namespace core
