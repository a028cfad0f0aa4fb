// mellix-bench decode MP3 OUT.wav: the decoder call the MP3 rate check makes.

#include <iostream>
#include <string>

#include "audio/codec/mp3_rate_check.h"
#include "command.h"
#include "platform/codec/mpeg_decoder.h"

namespace {

bench::Registrar reg("decode", "MP3 OUT.wav", [](const std::vector<std::string>& args) -> int {
  if (args.size() != 2) {
    std::cerr << "usage: mellix-bench decode MP3 OUT.wav\n";
    return 2;
  }
  std::string status;
  const std::int32_t result = platform::CbMpegAudioDecoder(args[0], args[1], platform::kDecodeToWave, status,
                                                           Module46::decoder_callback);
  if (result != 0) std::cerr << "decode failed: " << status << '\n';
  return result == 0 ? 0 : 1;
});

}  // namespace
