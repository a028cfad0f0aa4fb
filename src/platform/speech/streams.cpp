#include "platform/speech/streams.h"

#include <limits>

#include "core/errors.h"
#include "core/wave_header.h"

namespace sapi {

namespace {

constexpr std::uint32_t kHeaderBytes = core::kWaveHeaderSize;

std::string wave_header(const WaveFormat& format, std::uint32_t data_bytes, std::uint32_t padding) {
  return core::wave_header(format.channels, format.samples_per_second, format.bits_per_sample,
                           format.block_align(), data_bytes, padding);
}

core::VbError stream_error(const std::string& description) {
  return core::VbError(-2147467259, "SpFileStream", description);  // E_FAIL
}

}  // namespace

SpFileStream::~SpFileStream() {
  std::lock_guard lock(lock_);
  close_locked();
}

void SpFileStream::Open(const std::string& FileName, SpeechStreamFileMode FileMode, bool) {
  if (FileMode != SSFMCreate && FileMode != SSFMCreateForWrite) {
    throw core::VbError(-2147024809, "SpFileStream", "Only a new file can be opened for writing");
  }
  std::lock_guard lock(lock_);
  close_locked();
  std::FILE* file = std::fopen(FileName.c_str(), "wb");
  if (!file) throw stream_error("Cannot create " + FileName);
  const std::string header = wave_header(Format().wave(), 0, 0);
  if (std::fwrite(header.data(), 1, header.size(), file) != header.size()) {
    std::fclose(file);
    throw stream_error("Cannot write " + FileName);
  }
  file_ = file;
  path_ = FileName;
  data_bytes_ = 0;
  Format().set_locked(true);
}

void SpFileStream::Close() {
  std::lock_guard lock(lock_);
  close_locked();
}

void SpFileStream::close_locked() {
  if (!file_) return;
  // The sizes, within what the 32-bit fields hold; a chunk of odd size is padded to even.
  const auto limit = static_cast<std::uint64_t>(std::numeric_limits<std::uint32_t>::max() - kHeaderBytes - 1);
  const auto data_bytes = static_cast<std::uint32_t>(std::min(data_bytes_, limit));
  const std::uint32_t padding = data_bytes % 2;
  if (padding) std::fputc(0, file_);
  const std::string header = wave_header(Format().wave(), data_bytes, padding);
  std::fseek(file_, 0, SEEK_SET);
  std::fwrite(header.data(), 1, header.size(), file_);
  std::fclose(file_);
  file_ = nullptr;
  Format().set_locked(false);
}

bool SpFileStream::is_open() const {
  std::lock_guard lock(lock_);
  return file_ != nullptr;
}

void SpFileStream::write(std::string_view bytes) {
  std::lock_guard lock(lock_);
  if (!file_) throw stream_error("The stream is not open");
  // Past 4 GiB the header's sizes would wrap: the file is dropped rather than left wrong.
  if (!core::wave_data_fits(data_bytes_ + bytes.size())) {
    std::fclose(file_);
    file_ = nullptr;
    std::remove(path_.c_str());
    Format().set_locked(false);
    throw stream_error("The sound does not fit in a WAV file, whose sizes stop at 4 GiB; " + path_ +
                       " is removed. Speak a shorter text or choose a format with a lower rate.");
  }
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
    throw stream_error("Cannot write the file");
  data_bytes_ += bytes.size();
}

std::uint64_t SpFileStream::bytes_written() const {
  std::lock_guard lock(lock_);
  return data_bytes_;
}

}  // namespace sapi
