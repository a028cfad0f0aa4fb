#include "audio/codec/source_file.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>

#include "audio/codec/lame_encoder.h"
#include "audio/codec/mp3_info.h"
#include "audio/codec/wav_rate_probe.h"
#include "core/errors.h"
#include "core/shared_state.h"
#include "engine/files.h"
#include "engine/final_movie.h"
#include "engine/mp3_header.h"
#include "platform/codec/lame_stream.h"

namespace source_file {

namespace {

constexpr char kCrLf[] = "\r\n";

std::uint32_t little_endian(const std::string& bytes, std::size_t at, int width) {
  std::uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

}  // namespace

std::string information(const std::string& mp3_path) {
  return information(mp3_path, engine::play_time(mp3_path));
}

std::string information(const std::string& mp3_path, const engine::PlayTime& play) {
  const std::int32_t bits_per_second = Module55::mp3_bitrate(mp3_path) * 1000;
  std::string time = kCrLf;
  // No bitrate (free format, no header): no play time can be worked out.
  if (bits_per_second != 0) {
    // Frames of one bitrate: the sound's bytes at that rate, where a tag before the first frame
    // (a picture, say) plays no time. The size at the first frame's bitrate is no measure of a
    // file whose frames vary (VBR, ABR): their count is.
    double seconds = play.seconds();
    if (play.one_bitrate) {
      const std::int32_t first = Module10::find_first_frame(mp3_path);
      const std::int32_t sound = core::mp3_file_len - (first > 0 ? first - 1 : 0);
      seconds = sound / double(bits_per_second) * 8;
    }
    // A count from a header is untrusted: the text holds at most the 32-bit seconds.
    time = Module55::format_duration(
        static_cast<std::int32_t>(std::min(std::nearbyint(seconds), double{INT32_MAX})));
  }
  return "File name: " + mp3_path + kCrLf + "File time: " + time +
         "File size:" + Module55::format_file_size(core::mp3_file_len);
}

std::string describe_wav(const std::string& path) {
  // A pipe or device is not opened at all: opening a pipe would wait for a writer.
  std::error_code ec;
  if (std::filesystem::exists(path, ec) && !std::filesystem::is_regular_file(path, ec))
    return "not a regular file";
  std::ifstream in(path, std::ios::binary);
  if (!in) return "the file cannot be read";
  std::string head(12, '\0');
  if (!in.read(head.data(), 12) || head.compare(0, 4, "RIFF") != 0 || head.compare(8, 4, "WAVE") != 0)
    return "not a RIFF/WAVE file";
  // The chunks after the form type, up to the format chunk.
  std::string chunk(8, '\0');
  while (in.read(chunk.data(), 8)) {
    const std::uint32_t size = little_endian(chunk, 4, 4);
    if (chunk.compare(0, 4, "fmt ") != 0) {
      in.seekg(size + (size & 1), std::ios::cur);
      continue;
    }
    std::string format(16, '\0');
    if (size < 16 || !in.read(format.data(), 16)) break;
    const std::uint32_t tag = little_endian(format, 0, 2), channels = little_endian(format, 2, 2);
    const std::uint32_t rate = little_endian(format, 4, 4), bits = little_endian(format, 14, 2);
    std::string kind = tag == 3 ? std::to_string(bits) + "-bit floating-point samples"
                                : std::to_string(bits) + "-bit samples";
    if (tag != 1 && tag != 3 && tag != 0xFFFE)
      kind = "compressed samples (format " + std::to_string(tag) + ")";
    return kind + ", " + std::to_string(channels) + (channels == 1 ? " channel, " : " channels, ") +
           std::to_string(rate) + " Hz";
  }
  return "a WAVE file without a readable format chunk";
}

std::string encode_wav(std::unique_ptr<cLameEncoder>& encoder, const std::string& mp3) {
  const std::string wav = core::source_filename;
  Module5::kill_file(mp3);
  try {
    core::source_sample_rate = Module35::wav_sample_rate();
    encoder = std::make_unique<cLameEncoder>();
    encoder->WavFile(wav);
    encoder->Mp3File(mp3);
    encoder->Encode();
    return {};
  } catch (const core::VbError& error) {
    Module5::kill_file(mp3);
    return "The file could not be encoded to MP3.\r\n\r\nError " + std::to_string(error.number()) + ": " +
           error.description() + "\r\n\r\n" + wav + ": " + describe_wav(wav) +
           "; the encoder takes 16-bit stereo PCM at " + std::to_string(platform::kLowestInputRate) + " to " +
           std::to_string(platform::kHighestInputRate) + " Hz.";
  }
}

Opened open(const std::string& chosen, std::unique_ptr<cLameEncoder>& encoder, const std::string& tmp_mp3) {
  std::string extension = chosen.size() >= 3 ? chosen.substr(chosen.size() - 3) : chosen;
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension != "mp3" && extension != "wav")
    return {{}, {}, chosen + " is neither an MP3 nor a WAV file."};
  try {
    if (extension == "mp3") {
      // A sound too long for a movie is refused before anything is shown of it.
      const engine::PlayTime play = engine::check_sound_length(chosen, "open");
      return {chosen, information(chosen, play), {}};
    }
    // The WAV is encoded beside the working MP3, which it replaces only once it can be used.
    const std::string part = tmp_mp3 + ".part";
    const std::string kept = core::source_filename;
    core::source_filename = chosen;  // the encoder's rate probe reads the WAV from there
    std::string failure;
    try {
      failure = encode_wav(encoder, part);
    } catch (...) {
      core::source_filename = kept;
      throw;
    }
    core::source_filename = kept;
    if (!failure.empty()) return {{}, {}, failure};
    engine::PlayTime play;
    try {
      play = engine::check_sound_length(part, "open");
      std::filesystem::rename(part, tmp_mp3);
    } catch (...) {
      Module5::kill_file(part);
      throw;
    }
    return {tmp_mp3, information(tmp_mp3, play), {}};
  } catch (const core::VbError& error) {
    return {{}, {}, "Error " + std::to_string(error.number()) + ": " + error.description()};
  } catch (const std::exception& error) {
    return {{}, {}, error.what()};
  }
}

}  // namespace source_file
