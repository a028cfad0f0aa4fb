#include "audio/speech/text_recording.h"

#include "audio/speech/text_cleanup.h"
#include "core/errors.h"
#include "core/paths.h"
#include "engine/files.h"
#include "platform/speech/streams.h"

namespace text_recording {

std::string recording_path() { return core::spd_path("wvtemp/text.wav"); }

std::string text_to_speak(Kind kind, const std::string& grabbed) {
  if (kind == Kind::standard) return Module51::prepare_speech_text(grabbed);
  if (kind == Kind::natural) return grabbed;
  return {};
}

void record(const std::shared_ptr<sapi::SpFileStream>& stream, const std::string& text, const Voice& voice) {
  const std::string recording = recording_path();
  core::ignore_errors([&] { Module5::kill_file(recording); });
  core::ignore_errors([&] { stream->Open(recording, sapi::SSFMCreateForWrite, false); });
  core::ignore_errors([&] { voice.set_output(stream); });
  core::ignore_errors([&] {
    if (!text.empty()) voice.speak(text);
  });
  core::ignore_errors([&] { stream->Close(); });
  core::ignore_errors([&] { voice.set_output(nullptr); });
  core::ignore_errors([&] { Module38::copy_file(recording, core::drive_c_path("text.wav")); });
}

}  // namespace text_recording
