// Feeds arbitrary bytes to the MP3 decoder call as a file on disk. The output path must end up
// holding a complete WAV whose sizes match its length, or, after a failure, what it held
// before; nothing written beside it may stay.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/hex.h"
#include "fuzz_files.h"
#include "platform/codec/mpeg_decoder.h"

using fuzz::read;
using fuzz::write;
namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const fs::path& dir = fuzz::work_dir("decoder", {"out"});
  const fs::path input = dir / "in.mp3";
  const fs::path output = dir / "out" / "decoded.wav";
  write(input, std::string(reinterpret_cast<const char*>(bytes), size));
  write(output, "old wave");

  std::string status;
  if (platform::CbMpegAudioDecoder(input.string(), output.string(), platform::kDecodeToWave, status,
                                   nullptr) == 0) {
    const std::string wav = read(output);
    if (wav.size() < 44 || wav.compare(0, 4, "RIFF") != 0 || core::get_u32le(wav, 4) != wav.size() - 8 ||
        core::get_u32le(wav, 40) != wav.size() - 44 || !status.empty())
      std::abort();
  } else if (read(output) != "old wave" || status.empty()) {
    std::abort();
  }
  for (const auto& entry : fs::directory_iterator(dir / "out"))
    if (entry.path() != output) std::abort();
  return 0;
}
