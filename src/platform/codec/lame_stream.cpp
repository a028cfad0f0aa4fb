#include "platform/codec/lame_stream.h"

#include <lame.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <string_view>

namespace platform {

namespace {

// The library reports through printf-like callbacks; the stream interface reports only its
// result codes.
void silent(const char*, va_list) {}

struct Stream {
  lame_t flags = nullptr;
  int channels = 2;
  std::uint32_t buffer_size = 0;
  ~Stream() {
    if (flags) lame_close(flags);
  }
};

// Open streams by handle; handles start at 1 so that 0 means "no stream" to callers.
struct StreamTable {
  std::mutex lock;
  std::map<std::uint32_t, std::unique_ptr<Stream>> streams;
  std::uint32_t next_handle = 1;
};

StreamTable& table() {
  static StreamTable instance;
  return instance;
}

Stream* find_stream(std::uint32_t handle) {
  std::lock_guard guard(table().lock);
  const auto it = table().streams.find(handle);
  return it == table().streams.end() ? nullptr : it->second.get();
}

vbr_mode vbr_mode_of(std::int32_t method, bool* known) {
  *known = true;
  switch (method) {
    case VBR_METHOD_NONE:
      return vbr_off;
    case VBR_METHOD_DEFAULT:
      return vbr_default;
    case VBR_METHOD_OLD:
      return vbr_rh;
    case VBR_METHOD_NEW:
    case VBR_METHOD_MTRH:
      return vbr_mtrh;
    case VBR_METHOD_ABR:
      return vbr_abr;
    default:
      *known = false;
      return vbr_off;
  }
}

// Hands every field the stream reads to the library. Returns a BE_ERR_* result.
std::uint32_t configure(lame_t flags, const LameConfig& config, int* channels) {
  namespace f = lame_config;
  const std::uint8_t* record = config.data();
  if (core::get_u32le(record, f::kConfigKind) != BE_CONFIG_LAME) return BE_ERR_INVALID_FORMAT;

  const std::uint32_t in_rate = core::get_u32le(record, f::kSampleRate);
  if (in_rate < kLowestInputRate || in_rate > kHighestInputRate) return BE_ERR_INVALID_FORMAT_PARAMETERS;
  lame_set_in_samplerate(flags, static_cast<int>(in_rate));
  if (const std::uint32_t out_rate = core::get_u32le(record, f::kReSampleRate); out_rate > 0)
    lame_set_out_samplerate(flags, static_cast<int>(out_rate));

  switch (static_cast<std::int32_t>(core::get_u32le(record, f::kMode))) {
    case BE_MP3_MODE_STEREO:
      lame_set_mode(flags, STEREO);
      *channels = 2;
      break;
    case BE_MP3_MODE_JSTEREO:
      lame_set_mode(flags, JOINT_STEREO);
      *channels = 2;
      break;
    case BE_MP3_MODE_MONO:
      lame_set_mode(flags, MONO);
      *channels = 1;
      break;
    default:
      return BE_ERR_INVALID_FORMAT_PARAMETERS;
  }
  lame_set_num_channels(flags, *channels);

  // Header bits.
  lame_set_extension(flags, core::get_u32le(record, f::kPrivate) != 0);
  lame_set_error_protection(flags, core::get_u32le(record, f::kCrc) != 0);
  lame_set_copyright(flags, core::get_u32le(record, f::kCopyright) != 0);
  lame_set_original(flags, core::get_u32le(record, f::kOriginal) != 0);
  lame_set_bWriteVbrTag(flags, core::get_u32le(record, f::kWriteVbrHeader) != 0);

  // Bitrate and VBR.
  const bool vbr = core::get_u32le(record, f::kEnableVbr) != 0;
  if (vbr) {
    bool known = false;
    const vbr_mode mode =
        vbr_mode_of(static_cast<std::int32_t>(core::get_u32le(record, f::kVbrMethod)), &known);
    if (!known) return BE_ERR_INVALID_FORMAT_PARAMETERS;
    lame_set_VBR(flags, mode);
    lame_set_VBR_q(flags, static_cast<int>(core::get_u32le(record, f::kVbrQuality)));
    if (mode == vbr_abr)
      lame_set_VBR_mean_bitrate_kbps(flags, static_cast<int>(core::get_u32le(record, f::kVbrAbrBps) / 1000));
  } else {
    lame_set_VBR(flags, vbr_off);
  }
  const std::uint32_t bitrate = core::get_u32le(record, f::kBitrate);
  lame_set_brate(flags, static_cast<int>(bitrate));
  if (bitrate > 0) lame_set_VBR_min_bitrate_kbps(flags, static_cast<int>(bitrate));
  if (const std::uint32_t max_bitrate = core::get_u32le(record, f::kMaxBitrate); max_bitrate > 0)
    lame_set_VBR_max_bitrate_kbps(flags, static_cast<int>(max_bitrate));

  if (core::get_u32le(record, f::kNoRes) != 0) lame_set_disable_reservoir(flags, 1);
  lame_set_strict_ISO(flags, core::get_u32le(record, f::kStrictIso) != 0 ? 1 : 0);

  // The quality word counts only when its low byte is the complement of its high byte, so a
  // zeroed record keeps the library's default.
  const std::uint16_t quality = core::get_u16le(record, f::kQuality);
  const std::uint8_t low = quality & 0xFF;
  const std::uint8_t high = quality >> 8;
  if (low == static_cast<std::uint8_t>(~high)) lame_set_quality(flags, low);

  return lame_init_params(flags) < 0 ? BE_ERR_INVALID_FORMAT_PARAMETERS : BE_ERR_SUCCESSFUL;
}

}  // namespace

std::uint32_t take_free_handle(std::uint32_t& next, const std::function<bool(std::uint32_t)>& in_use) {
  // Once the counter has wrapped, a long-lived stream may still hold the next number.
  for (std::uint64_t tried = 0; tried <= std::numeric_limits<std::uint32_t>::max(); ++tried) {
    const std::uint32_t handle = next++;
    if (handle != 0 && !in_use(handle)) return handle;
  }
  return 0;
}

std::uint32_t beInitStream(const LameConfig& config, std::uint32_t* samples, std::uint32_t* buffer_size,
                           std::uint32_t* stream) {
  auto state = std::make_unique<Stream>();
  state->flags = lame_init();
  if (!state->flags) return BE_ERR_NO_MORE_HANDLES;
  lame_set_errorf(state->flags, silent);
  lame_set_debugf(state->flags, silent);
  lame_set_msgf(state->flags, silent);

  if (const std::uint32_t result = configure(state->flags, config, &state->channels); result != 0)
    return result;

  // One chunk is one MP3 frame of input per channel; the output bound is the library's own
  // worst case for that many samples.
  const auto frame_size = static_cast<std::uint32_t>(lame_get_framesize(state->flags));
  state->buffer_size = frame_size * 5 / 4 + 7200;
  *samples = frame_size * static_cast<std::uint32_t>(state->channels);
  *buffer_size = state->buffer_size;

  std::lock_guard guard(table().lock);
  const std::uint32_t handle =
      take_free_handle(table().next_handle, [](std::uint32_t h) { return table().streams.count(h) != 0; });
  if (handle == 0) return BE_ERR_NO_MORE_HANDLES;
  table().streams.emplace(handle, std::move(state));
  *stream = handle;
  return BE_ERR_SUCCESSFUL;
}

std::uint32_t beEncodeChunk(std::uint32_t stream, std::uint32_t samples, const std::int16_t* pcm,
                            std::uint8_t* output, std::uint32_t* written) {
  *written = 0;
  Stream* state = find_stream(stream);
  if (!state) return BE_ERR_INVALID_HANDLE;

  const int capacity = static_cast<int>(state->buffer_size);
  int result;
  if (state->channels == 1) {
    result = lame_encode_buffer(state->flags, pcm, pcm, static_cast<int>(samples), output, capacity);
  } else {
    result = lame_encode_buffer_interleaved(state->flags, const_cast<short*>(pcm),
                                            static_cast<int>(samples / 2), output, capacity);
  }
  if (result < 0) return BE_ERR_BUFFER_TOO_SMALL;
  *written = static_cast<std::uint32_t>(result);
  return BE_ERR_SUCCESSFUL;
}

std::uint32_t beDeinitStream(std::uint32_t stream, std::uint8_t* output, std::uint32_t* written) {
  *written = 0;
  Stream* state = find_stream(stream);
  if (!state) return BE_ERR_INVALID_HANDLE;
  const int result = lame_encode_flush(state->flags, output, static_cast<int>(state->buffer_size));
  if (result < 0) return BE_ERR_BUFFER_TOO_SMALL;
  *written = static_cast<std::uint32_t>(result);
  return BE_ERR_SUCCESSFUL;
}

std::uint32_t beCloseStream(std::uint32_t stream) {
  std::unique_ptr<Stream> closing;
  {
    std::lock_guard guard(table().lock);
    const auto it = table().streams.find(stream);
    if (it == table().streams.end()) return BE_ERR_INVALID_HANDLE;
    closing = std::move(it->second);
    table().streams.erase(it);
  }
  return BE_ERR_SUCCESSFUL;
}

namespace {

// "Mmm dd yyyy" of the compiler's __DATE__.
struct BuildDate {
  int day;
  int month;
  int year;
};

BuildDate build_date() {
  constexpr std::string_view date = __DATE__;
  constexpr std::string_view months = "JanFebMarAprMayJunJulAugSepOctNovDec";
  const int month = static_cast<int>(months.find(date.substr(0, 3)) / 3) + 1;
  const int day = (date[4] == ' ' ? 0 : date[4] - '0') * 10 + (date[5] - '0');
  int year = 0;
  for (char c : date.substr(7, 4)) year = year * 10 + (c - '0');
  return {day, month, year};
}

}  // namespace

void beVersion(LameVersion& version) {
  namespace f = lame_version;
  version.fill(0);
  std::uint8_t* record = version.data();

  lame_version_t library{};
  get_lame_version_numerical(&library);
  record[f::kDllMajor] = 1;
  record[f::kDllMinor] = 32;
  record[f::kMajor] = static_cast<std::uint8_t>(library.major);
  record[f::kMinor] = static_cast<std::uint8_t>(library.minor);
  record[f::kAlphaLevel] = static_cast<std::uint8_t>(library.alpha);
  record[f::kBetaLevel] = static_cast<std::uint8_t>(library.beta);

  const BuildDate date = build_date();
  record[f::kDay] = static_cast<std::uint8_t>(date.day);
  record[f::kMonth] = static_cast<std::uint8_t>(date.month);
  core::set_u16le(record, f::kYear, static_cast<std::uint16_t>(date.year));

  const char* url = get_lame_url();
  const std::size_t length = std::min(std::strlen(url), f::kHomePageSize - 1);
  std::memcpy(record + f::kHomePage, url, length);  // the rest of the field stays NUL

#if defined(__x86_64__) || defined(__i386__)
  record[f::kMmxEnabled] = __builtin_cpu_supports("mmx") ? 1 : 0;
#endif
}

}  // namespace platform
