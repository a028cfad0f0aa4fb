// Feeds arbitrary bytes to the MP3 decoder call as a file on disk. The output path must end up
// holding a complete WAV whose sizes match its length, or, after a failure, what it held
// before; nothing written beside it may stay.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/hex.h"
#include "platform/codec/mpeg_decoder.h"

namespace {

namespace fs = std::filesystem;

std::string read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void write(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

fs::path work_dir() {
  // Declared before the exit handler is registered, so it still exists when the handler runs.
  static fs::path dir;
  if (dir.empty()) {
    const fs::path base = fs::exists("/dev/shm") ? "/dev/shm" : fs::temp_directory_path();
    dir = base / ("mellix-fuzz-decoder-" + std::to_string(::getpid()));
    fs::create_directories(dir / "out");
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(dir, ec);
    });
  }
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const fs::path dir = work_dir();
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
