#include "platform/mci/wave_file.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "core/hex.h"
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

bool write_wave_file(const std::string& path, const WaveFormat& format, std::string_view pcm) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  const std::string header = wave_header(format, static_cast<std::uint32_t>(pcm.size()));
  out.write(header.data(), static_cast<std::streamsize>(header.size()));
  out.write(pcm.data(), static_cast<std::streamsize>(pcm.size()));
  out.close();
  return static_cast<bool>(out);
}

WaveRead read_wave_file(const std::string& path, WaveFormat& format, std::string& pcm) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return WaveRead::not_found;
  const std::string bytes(std::istreambuf_iterator<char>(in), {});
  if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0)
    return WaveRead::not_wave;

  // Walk the chunks; each size is bounded by what is left of the file.
  bool have_format = false;
  bool have_data = false;
  WaveFormat found;
  std::string data;
  std::size_t pos = 12;
  while (pos + 8 <= bytes.size() && !(have_format && have_data)) {
    const std::string id = bytes.substr(pos, 4);
    const std::size_t size = std::min<std::size_t>(core::get_u32le(bytes, pos + 4), bytes.size() - pos - 8);
    const std::size_t body = pos + 8;
    if (id == "fmt " && size >= 16) {
      if (core::get_u16le(bytes, body) != 1) return WaveRead::not_wave;  // PCM only
      found.channels = core::get_u16le(bytes, body + 2);
      found.samples_per_sec =
          static_cast<int>(std::min<std::uint32_t>(core::get_u32le(bytes, body + 4), 1u << 30));
      found.block_align = core::get_u16le(bytes, body + 12);
      found.bits_per_sample = core::get_u16le(bytes, body + 14);
      have_format = true;
    } else if (id == "data") {
      data = bytes.substr(body, size);
      have_data = true;
    }
    pos = body + size + (size & 1);  // chunks are padded to even length
  }
  if (!have_format || !have_data || !found.is_playable()) return WaveRead::not_wave;
  data.resize(data.size() - data.size() % static_cast<std::size_t>(found.block_align));
  format = found;
  pcm = std::move(data);
  return WaveRead::ok;
}

}  // namespace platform::mci
