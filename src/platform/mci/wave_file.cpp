#include "platform/mci/wave_file.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "core/hex.h"
#include "core/riff.h"
#include "core/wave_header.h"

namespace platform::mci {

bool WaveFormat::is_playable() const {
  return (channels == 1 || channels == 2) && (bits_per_sample == 8 || bits_per_sample == 16) &&
         samples_per_sec >= 1000 && samples_per_sec <= 192000 &&
         block_align == channels * bits_per_sample / 8;
}

std::string wave_header(const WaveFormat& format, std::uint32_t data_bytes) {
  return core::wave_header(format.channels, format.samples_per_sec, format.bits_per_sample,
                           format.block_align, data_bytes);
}

WaveWrite write_wave_file(const std::string& path, const WaveFormat& format, std::string_view pcm) {
  if (!core::wave_data_fits(pcm.size())) return WaveWrite::too_long;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return WaveWrite::cannot_write;
  const std::string header = wave_header(format, static_cast<std::uint32_t>(pcm.size()));
  out.write(header.data(), static_cast<std::streamsize>(header.size()));
  out.write(pcm.data(), static_cast<std::streamsize>(pcm.size()));
  out.close();
  return out ? WaveWrite::ok : WaveWrite::cannot_write;
}

WaveRead read_wave_file(const std::string& path, WaveFormat& format, std::string& pcm) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return WaveRead::not_found;
  const std::string bytes(std::istreambuf_iterator<char>(in), {});
  const core::RiffBytes file_bytes = core::riff_bytes(bytes);
  const auto riff = core::riff_chunk_at(file_bytes, 0);
  if (!riff || riff->id != core::fourcc("RIFF") || riff->form != core::fourcc("WAVE"))
    return WaveRead::not_wave;

  // Walk the chunks up to the end of the file; each size is bounded by what is left of it.
  bool have_format = false;
  bool have_data = false;
  bool pcm_format = true;
  WaveFormat found;
  std::string data;
  core::walk_riff_chunks(file_bytes, 12, std::nullopt, [&](const core::RiffChunk& chunk) {
    const auto body = static_cast<std::size_t>(chunk.data_offset);
    const std::size_t size = std::min<std::size_t>(chunk.size, bytes.size() - body);
    if (chunk.id == core::fourcc("fmt") && size >= 16) {
      if (core::get_u16le(bytes, body) != 1) {  // PCM only
        pcm_format = false;
        return false;
      }
      found.channels = core::get_u16le(bytes, body + 2);
      found.samples_per_sec =
          static_cast<int>(std::min<std::uint32_t>(core::get_u32le(bytes, body + 4), 1u << 30));
      found.block_align = core::get_u16le(bytes, body + 12);
      found.bits_per_sample = core::get_u16le(bytes, body + 14);
      have_format = true;
    } else if (chunk.id == core::fourcc("data")) {
      data = bytes.substr(body, size);
      have_data = true;
    }
    return !(have_format && have_data);
  });
  if (!pcm_format || !have_format || !have_data || !found.is_playable()) return WaveRead::not_wave;
  data.resize(data.size() - data.size() % static_cast<std::size_t>(found.block_align));
  format = found;
  pcm = std::move(data);
  return WaveRead::ok;
}

}  // namespace platform::mci
