#include "audio/recorder/recorder.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string_view>
#include <utility>

#include "core/errors.h"
#include "core/hooks.h"
#include "core/paths.h"
#include "platform/mci/mci.h"

namespace Module38 {

namespace {

// Sends a command with a 1024-character answer buffer; on failure shows the device's text
// titled `title`. Returns true on success.
bool send(const std::string& command, const std::string& title) {
  std::array<char, 1024> answer{};
  const std::uint32_t error = platform::mciSendStringA(command.c_str(), answer.data(),
                                                       static_cast<std::uint32_t>(answer.size()), nullptr);
  if (error == 0) return true;
  std::array<char, 1024> text{};
  platform::mciGetErrorStringA(error, text.data(), static_cast<std::uint32_t>(text.size()));
  core::message_box(text.data(), title);
  return false;
}

// Closes the recorder's device, if open, without a word: after a failure already shown, or
// when the recording is not wanted. Returns false, for the caller that failed.
bool close_unheard() {
  platform::mciSendStringA("close recsound", nullptr, 0, nullptr);
  return false;
}

// A status answer into a 255-character buffer; the result is not tested.
std::string status(const std::string& item) {
  std::array<char, 255> answer{};
  platform::mciSendStringA(("status recsound " + item).c_str(), answer.data(),
                           static_cast<std::uint32_t>(answer.size()), nullptr);
  return answer.data();
}

// The leading number of a text, 0 when there is none: the arguments are numbers as text.
double number_of(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

// A whole number filling the whole answer (blanks around it allowed).
bool whole_number(std::string_view text, long& value) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

// Nearest 32-bit integer, a half to the even neighbour; out-of-range values are held at the ends.
std::int32_t round_to_int32(double value) {
  if (!(value > std::numeric_limits<std::int32_t>::min())) return std::numeric_limits<std::int32_t>::min();
  if (!(value < std::numeric_limits<std::int32_t>::max())) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::nearbyint(value));
}

// A number as text with a blank in front when it is not negative ("set ... alignment  4").
std::string with_sign_blank(long value) { return (value >= 0 ? " " : "") + std::to_string(value); }

}  // namespace

bool start_recording(const std::string& /*file*/, const std::string& channels, const std::string& bits,
                     const std::string& samples) {
  core::yield();
  platform::mciSendStringA("close all", nullptr, 0, nullptr);
  // Each command needs the device, and the recording every setting: the first failure is the
  // one that names the cause, and nothing is left open after it.
  if (!send("open new Type waveaudio Alias recsound", "Error")) return false;
  const double block_align = std::nearbyint(number_of(bits) / 8 * number_of(channels));
  const long align = static_cast<long>(std::clamp(block_align, -32768.0, 32767.0));  // a 16-bit integer
  const std::pair<std::string, const char*> settings[] = {
      {"set recsound time format ms", "Error (time format)"},
      {"set recsound format tag pcm", "Error (format tag)"},
      {"set recsound channels " + channels, "Error (channels)"},
      // Shown like the other settings: a rate the device refuses would otherwise go unnoticed.
      {"set recsound samplespersec " + samples, "Error (samples/sec)"},
      {"set recsound bitspersample " + bits, "Error (bits/sample)"},
      {"set recsound alignment " + with_sign_blank(align), "Error (block align)"},
  };
  for (const auto& [command, title] : settings) {
    if (!send(command, title)) return close_unheard();
  }
  rec_bytes_per_sec = round_to_int32(number_of(channels) * number_of(bits) / 8 * number_of(samples));
  if (!send("record recsound", "Error (record)")) return close_unheard();
  return true;
}

bool recording() {
  std::array<char, 255> answer{};
  if (platform::mciSendStringA("status recsound mode", answer.data(),
                               static_cast<std::uint32_t>(answer.size()), nullptr) != 0)
    return false;
  const std::string_view mode = answer.data();
  return mode == "recording" || mode == "paused";
}

bool stop_recording() {
  core::yield();
  if (!recording()) return false;  // nothing to stop: nothing is sent, nothing is written
  const bool saved = send("stop recsound", "Error (stop)") &&
                     send(std::string("save recsound ") + kRecording, "Error (save)");
  if (!saved) {
    // The failure shown is the whole story: the device goes, and no earlier recording is
    // repaired and handed on in place of this one.
    close_unheard();
    platform::mciSendStringA("close all", nullptr, 0, nullptr);
    return false;
  }
  query_recording_format();
  send("close recsound", "Error (close)");
  platform::mciSendStringA("close all", nullptr, 0, nullptr);
  patch_wav_bytes_per_sec();
  copy_file(core::drive_c_path("NewWav.wav"), core::spd_path("wvtemp/microphone.wav"));
  return true;
}

void discard_recording() { close_unheard(); }

void query_recording_format() {
  long channels = 0;
  long bits = 0;
  long rate = 0;
  const bool channels_ok = whole_number(status("channels"), channels);
  const bool bits_ok = whole_number(status("bitspersample"), bits);
  const bool rate_ok = whole_number(status("samplespersec"), rate);
  status("bytespersec");  // asked for, not used
  if (!channels_ok || !bits_ok || !rate_ok) return;
  channels = channels == 1 ? 1 : 2;
  rec_bytes_per_sec = round_to_int32(static_cast<double>(channels) * static_cast<double>(bits) / 8 *
                                     static_cast<double>(rate));
}

void patch_wav_bytes_per_sec() {
  const std::string path = core::drive_c_path("NewWav.wav");
  std::FILE* f = std::fopen(path.c_str(), "r+b");
  if (!f) f = std::fopen(path.c_str(), "w+b");
  if (!f) throw core::VbError(75, core::exe_name() + ".patch_wav_bytes_per_sec", "Path/File access error");

  // Bytes 29-31 (1-based) are the low three bytes of the little-endian field; byte 32 stays.
  const auto value = static_cast<std::uint32_t>(rec_bytes_per_sec);
  const std::array<int, 3> bytes = {static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                                    static_cast<int>((value >> 16) & 0xFF)};
  bool written = std::fseek(f, 28, SEEK_SET) == 0;
  for (int byte : bytes) written = written && std::fputc(byte, f) != EOF;
  written = std::fclose(f) == 0 && written;
  if (!written) throw core::VbError(61, core::exe_name() + ".patch_wav_bytes_per_sec", "Disk full");
}

}  // namespace Module38
