#include "wizard/framework/working_files.h"

#include "core/paths.h"
#include "engine/files.h"
#include "engine/final_movie.h"

namespace wizard {

void remove_working_files() {
  engine::remove_build_files();
  for (const char* name : {"final.swf", "twav/tmp.mp3", "twav/temp_wav.mp3", "twav/mp3towav.wav",
                           "wvtemp/microphone.wav", "wvtemp/text.wav"})
    Module5::kill_file(core::spd_path(name));
}

}  // namespace wizard
