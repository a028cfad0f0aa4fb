// Feeds arbitrary bytes to the engine as an MP3 file: the sync search past an ID3v2 tag, the
// frame walk, the header decoders and the stream writer that splices the frames. Every
// frame the walk finds must come out once, in order, and nothing may read past the data.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/hex.h"
#include "core/paths.h"
#include "engine/mp3_header.h"
#include "engine/sound_stream.h"
#include "fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  // The writer puts mp3_data2.dat under <appdir>/spd: it gets a private folder in memory.
  core::set_app_dir(fuzz::work_dir("frame-walk", {"spd"}));
  const std::string file(reinterpret_cast<const char*>(bytes), size);

  const std::int32_t first = engine::find_first_frame(file);
  const std::string_view data = engine::frame_data(file, first);
  if (data.empty()) return 0;

  engine::vbr_header_frames(data.substr(0, 64));

  std::vector<std::int32_t> lengths;
  engine::MemoryBytes walked(data);
  bool one_bitrate = false;
  const std::int32_t n = engine::walk_frames(walked, &lengths, &one_bitrate);
  std::size_t covered = 0;
  for (auto l : lengths) covered += static_cast<std::size_t>(l);
  if (static_cast<std::size_t>(n) != lengths.size() || covered > data.size()) std::abort();

  // The stream's format, read from the first header as the movie build reads it.
  const std::string header(data.substr(0, 4));
  const std::string bits = Module15::hex_to_bin(Module14::header_to_hex(header));
  const double version = Module19::get_mpeg_version(bits.substr(11, 2));
  const int layer = Module19::get_layer(bits.substr(13, 2));
  const int rate = Module19::get_sample_rate(bits.substr(20, 2), version);
  const int spf = Module20::get_samples_per_frame(version, layer);
  if (Module28::get_frame_size(header) != engine::frame_size_at(data, 0)) std::abort();
  if (n == 0) return 0;
  if (rate == 0 || spf == 0) std::abort();  // a frame was found, so its header has a format

  Module25::write_mp3_data(24, rate, spf, lengths, data, n);

  // Blocks carry the frames, each with 12 bytes of records, then the End tag.
  const std::string out = fuzz::read(core::spd_path("mp3_data2.dat"));
  std::size_t p = 0;
  std::string joined;
  while (p + 2 <= out.size() && !(out[p] == 0 && out[p + 1] == 0)) {
    if (p + 12 > out.size()) std::abort();
    const std::uint32_t length = core::get_u32le(out, p + 2);
    if (length < 4 || p + 6 + length + 2 > out.size()) std::abort();
    joined.append(out, p + 10, length - 4);
    p += 6 + length + 2;
  }
  if (p + 2 != out.size() || joined != data.substr(0, covered)) std::abort();
  return 0;
}
