// mellix-bench encode WAV OUT.mp3 RATE: encodes as the file page does, with RATE as the
// source's sample rate.

#include <iostream>
#include <string>

#include "audio/codec/lame_encoder.h"
#include "command.h"
#include "core/safe_files.h"
#include "core/shared_state.h"
#include "engine/files.h"

namespace {

bench::Registrar reg("encode", "WAV OUT.mp3 RATE", [](const std::vector<std::string>& args) -> int {
  if (args.size() != 3) {
    std::cerr << "usage: mellix-bench encode WAV OUT.mp3 RATE\n";
    return 2;
  }
  core::source_sample_rate = static_cast<std::int32_t>(bench::number_argument("RATE", args[2], 1, 1000000));
  core::refuse_same_file(args[0], args[1], "encode");
  // The encoder writes only to a path that does not exist yet: give it a free name beside
  // OUT.mp3, which is replaced only once the MP3 is complete.
  core::FileBeside out(args[1], "encode");
  Module5::kill_file(out.path());
  cLameEncoder encoder;
  encoder.WavFile(args[0]);
  encoder.Mp3File(out.path());
  encoder.Encode();
  out.commit();
  return 0;
});

}  // namespace
