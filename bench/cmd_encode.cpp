// mellix-bench encode WAV OUT.mp3 RATE: encodes as the file page does, with RATE as the
// source's sample rate.

#include <iostream>
#include <string>

#include "audio/codec/lame_encoder.h"
#include "command.h"
#include "core/shared_state.h"
#include "engine/files.h"

namespace {

bench::Registrar reg("encode", "WAV OUT.mp3 RATE", [](const std::vector<std::string>& args) -> int {
  if (args.size() != 3) {
    std::cerr << "usage: mellix-bench encode WAV OUT.mp3 RATE\n";
    return 2;
  }
  core::source_sample_rate = static_cast<std::int32_t>(std::stol(args[2]));
  Module5::kill_file(args[1]);  // the encoder writes only to a path that does not exist yet
  cLameEncoder encoder;
  encoder.WavFile(args[0]);
  encoder.Mp3File(args[1]);
  encoder.Encode();
  return 0;
});

}  // namespace
