#pragma once

// The sound a wave-audio device holds and the RIFF/WAVE files it saves and opens.

#include <cstdint>
#include <string>
#include <string_view>

namespace platform::mci {

/// PCM layout of a device's sound. A new recording starts as 11025 Hz, 8-bit mono.
struct WaveFormat {
  int channels = 1;
  int samples_per_sec = 11025;
  int bits_per_sample = 8;
  int block_align = 1;  // bytes per sample frame

  int bytes_per_sec() const { return samples_per_sec * block_align; }
  /// True for a layout the device records and plays: PCM, 1 or 2 channels of 8 or 16 bits,
  /// 1000 to 192000 samples per second, and a block alignment that fits them.
  bool is_playable() const;
};

/// The canonical 44-byte header: "RIFF", size, "WAVE", a 16-byte "fmt " chunk, "data", size.
std::string wave_header(const WaveFormat& format, std::uint32_t data_bytes);

enum class WaveWrite { ok, cannot_write, too_long };

/// Writes header and sample data as a new file. Sound past what the header's 32-bit sizes
/// count (4 GiB) is refused before the file is touched.
WaveWrite write_wave_file(const std::string& path, const WaveFormat& format, std::string_view pcm);

enum class WaveRead { ok, not_found, not_wave };

/// Reads a PCM wave file: its "fmt " chunk wherever it stands, and its "data" chunk cut to
/// what the file really holds (whole sample frames only).
WaveRead read_wave_file(const std::string& path, WaveFormat& format, std::string& pcm);

}  // namespace platform::mci
