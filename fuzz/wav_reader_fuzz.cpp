// Feeds arbitrary bytes as a WAV file to the encoder's reader: open, read to the end, seek.
// Every outcome must be a numbered error or data, never a crash or a hang.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "audio/codec/wav_reader.h"
#include "core/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The reader works on files: one scratch file per process, removed when it ends.
  struct Scratch {
    std::string path = "/tmp/wav_reader_fuzz_" + std::to_string(getpid()) + ".wav";
    ~Scratch() { std::remove(path.c_str()); }
  };
  static const Scratch scratch;
  const std::string& path = scratch.path;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  try {
    cWavReader reader;
    reader.ReadBufferSize(37);  // small and odd, so that files of a few bytes take many reads
    reader.Filename(path);
    const std::int32_t length = reader.AudioLength();
    std::int64_t frames = 0;
    for (int reads = 0; reads < 100000; ++reads) {
      const bool more = reader.Read();
      frames += reader.ReadSize();
      if (!more) break;
    }
    if (frames > static_cast<std::int64_t>(size) / 4) __builtin_trap();  // more than the file holds
    reader.SeekAbsolute(length / 2);
    reader.Read();
    reader.SeekRelative(-1);
  } catch (const core::VbError&) {
  }
  return 0;
}
