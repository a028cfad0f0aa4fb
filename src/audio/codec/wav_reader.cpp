#include "audio/codec/wav_reader.h"

#include <unistd.h>

#include <array>
#include <limits>
#include <new>
#include <optional>
#include <string_view>

#include "core/errors.h"
#include "core/hex.h"
#include "core/riff.h"
#include "core/safe_files.h"

namespace {

using core::fourcc;

std::string reader_error_text(int code) {
  switch (code) {
    case 1:
      return "Only stereo 16 bit wave files supported.";
    case 2:
      return "Unable to open file.";
    case 3:
      return "Not a Wave file.";
    case 4:
      return "Unable to retrieve format chunk";
    case 5:
      return "Error reading format";
    case 6:
      return "No Wave File Open";
    case 7:
      return "Insufficient memory";
    case 8:
      return "Position out of range";
    case 9:
      return "Cannot change buffer size whilst a file is open.";
    default:
      return "";
  }
}

}  // namespace

cWavReader::cWavReader() = default;

cWavReader::~cWavReader() {
  core::ignore_errors([this] { CloseFile(); });
}

void cWavReader::Filename(const std::string& path) {
  if (OpenFile(path)) filename_ = path;
}

void cWavReader::CloseFile() {
  if (!file_) return;
  std::fclose(file_);
  file_ = nullptr;
  FreeBuffer();
  last_read_ = 0;
  data_start_ = 0;
  data_length_ = 0;
  position_ = 0;
}

bool cWavReader::OpenFile(const std::string& path) {
  CloseFile();
  if (path.empty()) return false;

  // Only regular files, checked without waiting on a pipe: a device or pipe could block the
  // open or feed the chunk walk forever.
  if (!core::ignore_errors([&] {
        const int fd = core::open_regular_file(path, "cWavePlayer");
        file_ = fdopen(fd, "rb");
        if (!file_) ::close(fd);
      }) ||
      !file_)
    RaiseReaderError(2);

  // The RIFF chunk of form WAVE, then its "fmt " chunk.
  const core::RiffBytes bytes_of_file = core::riff_bytes(file_);
  const auto riff = core::find_riff_chunk(bytes_of_file, 0, std::nullopt, fourcc("RIFF"), fourcc("WAVE"));
  if (!riff) {
    CloseFile();
    RaiseReaderError(3);
  }
  const std::int64_t riff_end = riff->data_offset + riff->size;
  const auto fmt = core::find_riff_chunk(bytes_of_file, riff->data_offset + 4, riff_end, fourcc("fmt"));
  if (!fmt) {
    CloseFile();
    RaiseReaderError(4);
  }

  // At most 50 bytes of the format; a short chunk leaves the rest zero.
  std::string bytes(50, '\0');
  fseeko(file_, fmt->data_offset, SEEK_SET);
  std::fread(bytes.data(), 1, std::min<std::size_t>(bytes.size(), fmt->size), file_);
  if (std::ferror(file_)) {
    CloseFile();
    RaiseReaderError(5);
  }
  format_.format_tag = core::get_u16le(bytes, 0);
  format_.channels = core::get_u16le(bytes, 2);
  format_.samples_per_sec = core::get_u32le(bytes, 4);
  format_.avg_bytes_per_sec = core::get_u32le(bytes, 8);
  format_.block_align = core::get_u16le(bytes, 12);
  format_.bits_per_sample = core::get_u16le(bytes, 14);
  format_.extra_size = core::get_u16le(bytes, 16);
  if (format_.bits_per_sample != 16 || format_.channels != 2) {
    CloseFile();
    RaiseReaderError(1);
  }

  // The data chunk, searched onward from the end of the format chunk.
  const auto data = core::find_riff_chunk(bytes_of_file, fmt->next_offset(), riff_end, fourcc("data"));
  if (!data) {
    CloseFile();
    RaiseReaderError(6);
  }
  data_start_ = data->data_offset;
  data_length_ = data->size;
  seek_to(data_start_);

  try {
    AllocateBuffer();
  } catch (const core::VbError&) {
    CloseFile();
    throw;
  }
  return true;
}

bool cWavReader::Read() {
  if (!file_) RaiseReaderError(6);
  // A buffer of no size can deliver nothing; the caller would otherwise wait forever.
  if (read_size_ <= 0) return false;

  const std::int64_t remaining = data_start_ + data_length_ - position_;
  auto read_bytes = [this](std::int64_t count) {
    const std::size_t got = std::fread(buffer_.get(), 1, static_cast<std::size_t>(count), file_);
    position_ += static_cast<std::int64_t>(got);
    return static_cast<std::int64_t>(got);
  };
  if (read_size_ < remaining) {
    last_read_ = read_bytes(read_size_);
    // A data chunk that claims more than the file holds ends where the file ends.
    return last_read_ == read_size_;
  }
  if (remaining > 0) last_read_ = read_bytes(remaining);
  return false;
}

std::int32_t cWavReader::BufferStartPosition() const {
  return static_cast<std::int32_t>(position_ - data_start_);
}

std::int32_t cWavReader::AudioLength() const { return static_cast<std::int32_t>(data_length_ / 4); }

void cWavReader::SeekAbsolute(std::int32_t frame) {
  const std::int64_t offset = static_cast<std::int64_t>(frame) * 4;
  if (offset < 0 || offset > data_length_) RaiseReaderError(8);
  seek_to(data_start_ + offset);
}

void cWavReader::SeekRelative(std::int32_t frames) {
  const std::int64_t offset = position_ - data_start_ + static_cast<std::int64_t>(frames) * 4;
  if (offset < 0 || offset > data_length_) RaiseReaderError(8);
  seek_to(data_start_ + offset);
}

std::int32_t cWavReader::ReadBufferSize() const { return static_cast<std::int32_t>(read_size_ / 4); }

void cWavReader::ReadBufferSize(std::int32_t frames) {
  if (file_) RaiseReaderError(9);
  read_size_ = static_cast<std::int64_t>(frames) * 4;
}

std::int32_t cWavReader::ReadSize() const { return static_cast<std::int32_t>(last_read_ / 4); }

void cWavReader::AllocateBuffer() {
  FreeBuffer();
  if (read_size_ < 0 || read_size_ > std::numeric_limits<std::int32_t>::max()) RaiseReaderError(7);
  // Zero-initialised, in 16-bit samples, at least one.
  const auto samples = static_cast<std::size_t>(read_size_ / 2 + 1);
  buffer_.reset(new (std::nothrow) std::int16_t[samples]());
  if (!buffer_) RaiseReaderError(7);
}

void cWavReader::FreeBuffer() { buffer_.reset(); }

void cWavReader::RaiseReaderError(int code) {
  throw core::VbError(29670 + code, core::exe_name() + ".cWavePlayer", reader_error_text(code));
}

void cWavReader::seek_to(std::int64_t offset) {
  position_ = offset;
  if (file_) fseeko(file_, offset, SEEK_SET);
}
