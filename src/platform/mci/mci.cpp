#include "platform/mci/mci.h"

#include <QCoreApplication>
#include <QMediaDevices>
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/mci/command_words.h"
#include "platform/mci/wave_device.h"
#include "platform/mci/wave_file.h"

namespace platform {

namespace {

using mci::WaveDevice;
using Words = std::vector<std::string>;

// Open devices by lower-case alias. Never destroyed at exit: the devices are closed by the
// application's own teardown, while Qt Multimedia still stands.
std::map<std::string, std::unique_ptr<WaveDevice>>& devices() {
  static auto* table = new std::map<std::string, std::unique_ptr<WaveDevice>>;
  return *table;
}

void close_all_devices() { devices().clear(); }

void put_text(char* buffer, std::uint32_t length, const std::string& text) {
  if (!buffer || length == 0) return;
  const std::size_t n = std::min<std::size_t>(text.size(), length - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

std::uint32_t open_device(const Words& words) {
  if (words.size() < 2) return mci_error::kBadParameter;
  const std::string element = words[1];
  const bool is_new = mci::lower(element) == "new";
  std::string type;
  std::string alias;
  for (std::size_t i = 2; i < words.size(); i += 2) {
    const std::string key = mci::lower(words[i]);
    if (i + 1 >= words.size()) return mci_error::kBadParameter;
    if (key == "type")
      type = mci::lower(words[i + 1]);
    else if (key == "alias")
      alias = mci::lower(words[i + 1]);
    else
      return mci_error::kBadParameter;
  }
  if (type.empty() && !is_new && mci::lower(element).ends_with(".wav")) type = "waveaudio";
  if (type != "waveaudio") return mci_error::kUnknownDeviceType;
  if (alias.empty()) alias = mci::lower(element);
  if (alias == "all") return mci_error::kBadParameter;
  if (devices().contains(alias)) return mci_error::kAliasInUse;

  // The devices live on the event loop; closing them must come before Qt's own teardown.
  if (!QCoreApplication::instance()) return mci_error::kNoApplication;
  static const bool teardown_registered = [] {
    qAddPostRoutine(close_all_devices);
    return true;
  }();
  (void)teardown_registered;

  if (is_new) {
    if (QMediaDevices::audioInputs().isEmpty()) return mci_error::kNoInputDevice;
    devices()[alias] = std::make_unique<WaveDevice>();
    return 0;
  }
  if (QMediaDevices::audioOutputs().isEmpty()) return mci_error::kNoOutputDevice;
  mci::WaveFormat format;
  std::string pcm;
  switch (mci::read_wave_file(mci::local_path(element), format, pcm)) {
    case mci::WaveRead::not_found:
      return mci_error::kFileNotFound;
    case mci::WaveRead::not_wave:
      return mci_error::kNotAWaveFile;
    case mci::WaveRead::ok:
      break;
  }
  devices()[alias] = std::make_unique<WaveDevice>(format, pcm);
  return 0;
}

std::uint32_t close_device(const Words& words) {
  if (words.size() != 2) return mci_error::kBadParameter;
  const std::string alias = mci::lower(words[1]);
  if (alias == "all") {
    close_all_devices();
    return 0;
  }
  return devices().erase(alias) == 1 ? 0 : mci_error::kDeviceNotOpen;
}

// "set": one or more items, applied together only when all of them are valid.
std::uint32_t set_items(WaveDevice& device, const Words& words) {
  if (words.size() < 3) return mci_error::kBadParameter;
  mci::WaveFormat format = device.format();
  mci::TimeFormat time_format = device.time_format;
  for (std::size_t i = 2; i < words.size();) {
    const std::string item = mci::lower(words[i]);
    const std::string next = i + 1 < words.size() ? mci::lower(words[i + 1]) : std::string();
    if (item == "time" && next == "format" && i + 2 < words.size()) {
      const std::string unit = mci::lower(words[i + 2]);
      if (unit == "ms" || unit == "milliseconds")
        time_format = mci::TimeFormat::milliseconds;
      else if (unit == "bytes")
        time_format = mci::TimeFormat::bytes;
      else if (unit == "samples")
        time_format = mci::TimeFormat::samples;
      else
        return mci_error::kBadParameter;
      i += 3;
      continue;
    }
    if (item == "format" && next == "tag" && i + 2 < words.size()) {
      const std::string tag = mci::lower(words[i + 2]);
      if (tag != "pcm" && tag != "1") return mci_error::kFormatNotSupported;
      i += 3;
      continue;
    }
    long value = 0;
    if (next.empty() || !mci::parse_number(next, value)) return mci_error::kBadParameter;
    if (item == "channels") {
      if (value != 1 && value != 2) return mci_error::kFormatNotSupported;
      format.channels = static_cast<int>(value);
      format.block_align = format.channels * format.bits_per_sample / 8;
    } else if (item == "bitspersample") {
      if (value != 8 && value != 16) return mci_error::kFormatNotSupported;
      format.bits_per_sample = static_cast<int>(value);
      format.block_align = format.channels * format.bits_per_sample / 8;
    } else if (item == "samplespersec") {
      if (value < 1000 || value > 192000) return mci_error::kFormatNotSupported;
      format.samples_per_sec = static_cast<int>(value);
    } else if (item == "alignment") {
      if (value != format.channels * format.bits_per_sample / 8) return mci_error::kFormatNotSupported;
      format.block_align = static_cast<int>(value);
    } else {
      return mci_error::kBadParameter;
    }
    i += 2;
  }
  if (const std::uint32_t error = device.set_format(format)) return error;
  device.time_format = time_format;
  return 0;
}

std::uint32_t play_device(WaveDevice& device, const Words& words) {
  if (words.size() == 2) return device.play(-1);
  long from = 0;
  if (words.size() != 4 || mci::lower(words[2]) != "from" || !mci::parse_number(words[3], from) || from < 0)
    return mci_error::kBadParameter;
  return device.play(from);
}

std::uint32_t status_item(const WaveDevice& device, const Words& words, std::string& answer) {
  if (words.size() != 3) return mci_error::kBadParameter;
  const std::string item = mci::lower(words[2]);
  const mci::WaveFormat& format = device.format();
  if (item == "channels")
    answer = std::to_string(format.channels);
  else if (item == "bitspersample")
    answer = std::to_string(format.bits_per_sample);
  else if (item == "samplespersec")
    answer = std::to_string(format.samples_per_sec);
  else if (item == "bytespersec")
    answer = std::to_string(format.bytes_per_sec());
  else if (item == "mode")
    answer = device.mode();
  else
    return mci_error::kBadParameter;
  return 0;
}

std::uint32_t run(const Words& words, std::string& answer) {
  const std::string verb = mci::lower(words[0]);
  if (verb == "open") return open_device(words);
  if (verb == "close") return close_device(words);

  static const std::vector<std::string> device_verbs = {"set",   "record", "play", "stop",
                                                        "pause", "resume", "save", "status"};
  if (std::find(device_verbs.begin(), device_verbs.end(), verb) == device_verbs.end())
    return mci_error::kUnknownCommand;
  if (words.size() < 2) return mci_error::kBadParameter;
  const auto found = devices().find(mci::lower(words[1]));
  if (found == devices().end()) return mci_error::kDeviceNotOpen;
  WaveDevice& device = *found->second;

  const bool bare = words.size() == 2;
  if (verb == "set") return set_items(device, words);
  if (verb == "play") return play_device(device, words);
  if (verb == "status") return status_item(device, words, answer);
  if (verb == "save")
    return words.size() == 3 ? device.save(mci::local_path(words[2])) : mci_error::kBadParameter;
  if (!bare) return mci_error::kBadParameter;
  if (verb == "record") return device.record();
  if (verb == "stop") return device.stop();
  if (verb == "pause") return device.pause();
  return device.resume();
}

}  // namespace

std::uint32_t mciSendStringA(const char* command, char* return_text, std::uint32_t return_length,
                             void* callback_window) {
  put_text(return_text, return_length, {});
  if (callback_window) return mci_error::kBadParameter;  // no completion notices are sent
  const Words words = mci::split_words(command ? command : "");
  if (words.empty()) return mci_error::kUnknownCommand;
  std::string answer;
  const std::uint32_t error = run(words, answer);
  if (error == 0) put_text(return_text, return_length, answer);
  return error;
}

bool mciGetErrorStringA(std::uint32_t error, char* text, std::uint32_t length) {
  static const std::map<std::uint32_t, std::string> texts = {
      {0, "The command was carried out."},
      {mci_error::kUnknownCommand,
       "The wave-audio device does not recognize the command. Check its spelling."},
      {mci_error::kBadParameter,
       "A parameter of the command is missing or not valid for the wave-audio device."},
      {mci_error::kDeviceNotOpen,
       "The device named in the command is not open. Open it with an alias first."},
      {mci_error::kAliasInUse,
       "The alias is already used by an open device. Close that device or choose another alias."},
      {mci_error::kUnknownDeviceType, "The device type is not known. Only the waveaudio type is available."},
      {mci_error::kNoInputDevice,
       "No wave-audio input device is available. Check that a microphone is connected and that the sound "
       "system "
       "is running."},
      {mci_error::kNoOutputDevice,
       "No wave-audio output device is available. Check that speakers are connected and that the sound "
       "system is "
       "running."},
      {mci_error::kFormatNotSupported,
       "The wave-audio device cannot record or play in the requested format."},
      {mci_error::kDeviceFailed,
       "The wave-audio device could not be started. It may be in use by another program or not ready."},
      {mci_error::kFileNotFound, "The file cannot be found. Check the path and the file name."},
      {mci_error::kNotAWaveFile, "The file is not a PCM wave-audio file that the device can play."},
      {mci_error::kCannotSave,
       "The recording cannot be saved to the file. Check the path, its permissions and the free disk space."},
      {mci_error::kBusy, "The device is busy recording or playing. Stop it first."},
      {mci_error::kNoApplication,
       "The wave-audio device needs the program's event loop, which is not running."},
      {mci_error::kFormatLocked, "The format cannot be changed once the device holds sound."},
      {mci_error::kTooLong,
       "The recording is too long to be saved: a wave-audio file holds at most 4 GiB of sound. Record a "
       "shorter piece."},
  };
  const auto found = texts.find(error);
  put_text(text, length, found != texts.end() ? found->second : "Unknown error code.");
  return found != texts.end();
}

}  // namespace platform
