// Feeds arbitrary bytes as a WAV file to the encoder's reader: open, read to the end, seek.
// Every outcome must be a numbered error or data, never a crash or a hang.

#include <cstdint>
#include <filesystem>
#include <string>

#include "audio/codec/wav_reader.h"
#include "core/errors.h"
#include "fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The reader works on files: one scratch file per process, removed when it ends.
  static const std::string path = (fuzz::work_dir("wav-reader") / "in.wav").string();
  fuzz::write(path, std::string(reinterpret_cast<const char*>(data), size));

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
