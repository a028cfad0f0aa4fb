#include "platform/codec/mpeg_decoder.h"

#include <mpg123.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>
#include <mutex>
#include <vector>

#include "core/errors.h"
#include "core/hooks.h"
#include "core/safe_files.h"
#include "core/wave_header.h"

namespace platform {

namespace {

using core::kWaveHeaderSize;
constexpr std::size_t kReadSize = 1 << 17;  // PCM bytes per library call

struct HandleDeleter {
  void operator()(mpg123_handle* handle) const {
    mpg123_close(handle);
    mpg123_delete(handle);
  }
};
using Handle = std::unique_ptr<mpg123_handle, HandleDeleter>;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Canonical header of 16-bit stereo PCM; a data size past what the header can hold is capped.
std::string wave_header(long rate, std::uint64_t data_bytes) {
  constexpr std::uint64_t kLargest = std::numeric_limits<std::uint32_t>::max() - 36;
  return core::wave_header(2, static_cast<int>(rate), 16, 4,
                           static_cast<std::uint32_t>(std::min(data_bytes, kLargest)));
}

// A handle that decodes every MPEG rate to signed 16-bit stereo at that same rate.
Handle open_decoder(int fd, std::string& status) {
  static std::once_flag init;
  std::call_once(init, [] { mpg123_init(); });

  int error = MPG123_OK;
  Handle handle(mpg123_new(nullptr, &error));
  if (!handle) {
    status = mpg123_plain_strerror(error);
    return nullptr;
  }
  mpg123_param(handle.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0);
  mpg123_format_none(handle.get());
  const long* rates = nullptr;
  std::size_t count = 0;
  mpg123_rates(&rates, &count);
  for (std::size_t i = 0; i < count; ++i)
    mpg123_format(handle.get(), rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);

  if (mpg123_open_fd(handle.get(), fd) != MPG123_OK) {
    status = mpg123_strerror(handle.get());
    return nullptr;
  }
  return handle;
}

// Decodes into the open file after its header. Returns the rate, 0 on failure.
long decode_frames(mpg123_handle* handle, std::FILE* out, std::uint64_t& data_bytes, std::uint32_t total,
                   MpegDecoderCallback callback, std::string& status) {
  std::vector<unsigned char> pcm(kReadSize);
  long rate = 0;
  for (;;) {
    // The program is ending: the WAV is left unwritten.
    if (core::stop_requested()) {
      status = "Decoding stopped: the program is ending";
      return 0;
    }
    std::size_t done = 0;
    bool other_format = false;
    const int result = mpg123_read(handle, pcm.data(), pcm.size(), &done);
    if (result == MPG123_NEW_FORMAT) {
      long new_rate = 0;
      int channels = 0;
      int encoding = 0;
      mpg123_getformat(handle, &new_rate, &channels, &encoding);
      // A stream keeps its rate: a frame of another one is junk read as a frame, and ends it.
      if (rate != 0 && new_rate != rate)
        other_format = true;
      else
        rate = new_rate;
    }
    // Junk or padding after the sound (a trailing tag, zeros) ends the stream there, as it
    // does for the mpg123 command line: what was decoded is kept.
    const bool failed = result != MPG123_OK && result != MPG123_DONE && result != MPG123_NEW_FORMAT;
    if (failed && (rate == 0 || data_bytes + done == 0)) {
      status = mpg123_strerror(handle);
      return 0;
    }
    if (done > 0) {
      if (std::fwrite(pcm.data(), 1, done, out) != done) {
        status = "Failed to write the WAV file";
        return 0;
      }
      data_bytes += done;
    }
    if (callback)
      callback(static_cast<std::uint32_t>(mpg123_tellframe(handle) + 1),
               static_cast<std::uint32_t>(mpg123_tell_stream(handle)), total);
    if (result == MPG123_DONE || failed || other_format) break;
  }
  if (rate == 0) status = "No MPEG audio frames found";
  return rate;
}

}  // namespace

std::int32_t CbMpegAudioDecoder(const std::string& input, const std::string& output, std::int32_t output_kind,
                                std::string& status, MpegDecoderCallback callback) {
  if (output_kind != kDecodeToWave) {
    status = "Unsupported output kind";
    return 1;
  }
  // The input is read through its own descriptor, which also keeps a pipe or device out.
  int fd = -1;
  std::unique_ptr<core::FileBeside> out_file;
  try {
    core::refuse_same_file(input, output, "CbMpegAudioDecoder");
    fd = core::open_regular_file(input, "CbMpegAudioDecoder");
    out_file = std::make_unique<core::FileBeside>(output, "CbMpegAudioDecoder");
  } catch (const core::VbError& e) {
    if (fd >= 0) ::close(fd);
    status = e.description();
    return 1;
  }
  struct stat info {};
  const auto total = static_cast<std::uint32_t>(
      ::fstat(fd, &info) != 0
          ? 0
          : std::min<std::uint64_t>(info.st_size, std::numeric_limits<std::uint32_t>::max()));
  Handle handle = open_decoder(fd, status);
  if (!handle) {
    ::close(fd);
    return 1;
  }

  // Written beside the output and renamed onto it when complete: a failure leaves the output
  // path as it was.
  File out(std::fopen(out_file->path().c_str(), "wb"));
  if (!out) {
    status = "Unable to create the WAV file";
    ::close(fd);
    return 1;
  }

  // Header first with the sizes unknown, then the PCM, then the header again with the sizes.
  std::uint64_t data_bytes = 0;
  bool written = std::fwrite(wave_header(0, 0).data(), 1, kWaveHeaderSize, out.get()) == kWaveHeaderSize;
  const long rate = written ? decode_frames(handle.get(), out.get(), data_bytes, total, callback, status) : 0;
  handle.reset();
  ::close(fd);
  if (rate > 0) {
    const auto header = wave_header(rate, data_bytes);
    written = std::fseek(out.get(), 0, SEEK_SET) == 0 &&
              std::fwrite(header.data(), 1, kWaveHeaderSize, out.get()) == kWaveHeaderSize;
  }
  const bool closed = std::fclose(out.release()) == 0;
  if (rate > 0 && written && closed) {
    try {
      out_file->commit();
    } catch (const core::VbError& e) {
      status = e.description();
      return 1;
    }
    status.clear();
    return 0;
  }
  if (status.empty()) status = "Failed to write the WAV file";
  return 1;
}

}  // namespace platform
