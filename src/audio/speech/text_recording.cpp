#include "audio/speech/text_recording.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>

#include "audio/speech/text_cleanup.h"
#include "core/errors.h"
#include "core/paths.h"
#include "core/riff.h"
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

bool holds_sound(const std::string& wav) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(wav.c_str(), "rb"), &std::fclose);
  if (!file) return false;
  const core::RiffBytes bytes = core::riff_bytes(file.get());
  const auto riff = core::find_riff_chunk(bytes, 0, std::nullopt, core::fourcc("RIFF"), core::fourcc("WAVE"));
  if (!riff) return false;
  const std::int64_t first = riff->data_offset + 4;  // after the form type
  const auto format = core::find_riff_chunk(bytes, first, riff->next_offset(), core::fourcc("fmt"));
  const auto data = core::find_riff_chunk(bytes, first, riff->next_offset(), core::fourcc("data"));
  if (!format || !data || format->size < 16) return false;

  // wBitsPerSample, at byte 14 of the format chunk
  std::array<unsigned char, 2> bits{};
  if (bytes(format->data_offset + 14, reinterpret_cast<char*>(bits.data()), bits.size()) != bits.size())
    return false;
  // 8-bit samples are unsigned and rest at 128; wider ones are signed and rest at 0 in every byte.
  const char silence = (bits[0] | bits[1] << 8) == 8 ? static_cast<char>(0x80) : 0;

  std::array<char, 65536> block{};
  for (std::int64_t at = data->data_offset, end = data->data_offset + data->size; at < end;) {
    const auto wanted = static_cast<std::size_t>(std::min<std::int64_t>(end - at, block.size()));
    const std::size_t got = bytes(at, block.data(), wanted);
    for (std::size_t i = 0; i < got; ++i) {
      if (block[i] != silence) return true;
    }
    if (got < wanted) break;  // the file ends before the size its data chunk declares
    at += static_cast<std::int64_t>(got);
  }
  return false;
}

}  // namespace text_recording
