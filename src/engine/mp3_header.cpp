#include "engine/mp3_header.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "core/errors.h"
#include "core/hex.h"
#include "core/hooks.h"
#include "core/safe_files.h"
#include "engine/files.h"

namespace {

// Table rows are chosen by the decoded version and layer; -1 means no row.
int bitrate_row(double version, int layer) {
  if (version == 1) {
    if (layer >= 1 && layer <= 3) return layer - 1;  // MPEG-1 layers I, II, III
    return -1;
  }
  if (version == 2 || version == 2.5) {
    if (layer == 1) return 3;                // MPEG-2 (and 2.5) layer I
    if (layer == 2 || layer == 3) return 4;  // MPEG-2 (and 2.5) layers II and III
  }
  return -1;
}

// Kilobits per second for a bitrate index; 0 at index 0 (free format) and 15 (bad).
int kbps_entry(int row, int index) {
  static constexpr std::array<std::array<int, 16>, 5> kKbps = {{
      {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},  // MPEG-1 layer I
      {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},     // MPEG-1 layer II
      {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},      // MPEG-1 layer III
      {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},     // MPEG-2 layer I
      {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},          // MPEG-2 layers II, III
  }};
  return kKbps[static_cast<std::size_t>(row)][static_cast<std::size_t>(index)];
}

// Hertz for a sample-rate index (0..2) of a known version; 0 when the version is unknown.
int rate_entry(double version, int index) {
  static constexpr std::array<std::array<int, 3>, 3> kRates = {{
      {44100, 48000, 32000},  // MPEG-1
      {22050, 24000, 16000},  // MPEG-2
      {11025, 12000, 8000},   // MPEG-2.5
  }};
  std::size_t row = 0;
  if (version == 1)
    row = 0;
  else if (version == 2)
    row = 1;
  else if (version == 2.5)
    row = 2;
  else
    return 0;
  return kRates[row][static_cast<std::size_t>(index)];
}

// Decoded fields from the two-bit codes of the header.
double version_of(unsigned code) {
  static constexpr std::array<double, 4> kVersions = {2.5, 0, 2, 1};  // 00, 01 reserved, 10, 11
  return kVersions[code & 3];
}

int layer_of(unsigned code) {
  static constexpr std::array<int, 4> kLayers = {0, 3, 2, 1};  // 00 reserved, 01, 10, 11
  return kLayers[code & 3];
}

// Value of a text of "0" and "1" of exactly `width` characters; -1 for anything else.
int bit_value(const std::string& bits, std::size_t width) {
  if (bits.size() != width) return -1;
  int value = 0;
  for (char c : bits) {
    if (c != '0' && c != '1') return -1;
    value = value * 2 + (c - '0');
  }
  return value;
}

// The leading decimal number of a text; "free", "bad" and "" give 0.
int leading_number(const std::string& text) {
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

namespace Module10 {

std::int32_t find_first_frame(const std::string& path) {
  core::yield();
  engine::FileBytes file(path);
  return engine::find_first_frame(file);
}

}  // namespace Module10

namespace Module27 {

bool is_frame_header(const std::string& bytes) {
  const std::string hex = Module14::header_to_hex(bytes);
  const char third = hex[2];
  return hex[0] == 'F' && hex[1] == 'F' && (third == 'F' || third == 'E');
}

}  // namespace Module27

namespace Module15 {

std::string bitrate_table(const std::string& bits, double version, int layer) {
  const int row = bitrate_row(version, layer);
  const int index = bit_value(bits, 4);
  if (row < 0 || index < 0) return {};
  if (index == 0) return "free";
  if (index == 15) return "bad";
  return std::to_string(kbps_entry(row, index));
}

std::string sample_rate_table(const std::string& bits, double version) {
  const int index = bit_value(bits, 2);
  if (index < 0 || rate_entry(version, 0) == 0) return {};
  if (index == 3) return "reserved";
  return std::to_string(rate_entry(version, index));
}

}  // namespace Module15

namespace Module19 {

double get_mpeg_version(const std::string& bits) {
  const int code = bit_value(bits, 2);
  return code < 0 ? 0 : version_of(static_cast<unsigned>(code));
}

int get_layer(const std::string& bits) {
  const int code = bit_value(bits, 2);
  return code < 0 ? 0 : layer_of(static_cast<unsigned>(code));
}

int get_bitrate(const std::string& bits, double version, int layer) {
  return leading_number(Module15::bitrate_table(bits, version, layer));
}

int get_sample_rate(const std::string& bits, double version) {
  return leading_number(Module15::sample_rate_table(bits, version));
}

int get_padding(const std::string& bit, int layer) {
  if (bit != "1") return 0;
  if (layer == 1) return 4;
  if (layer == 2 || layer == 3) return 1;
  return 0;
}

std::int16_t get_frame_length(int kbps, int rate, int padding, double version, int layer) {
  if (version != 1 && version != 2 && version != 2.5) return 0;
  if (layer < 1 || layer > 3) return 0;
  // A reserved sample rate gives no length; the frame walk ends at such a header.
  if (rate <= 0) return 0;

  const long long bitrate = static_cast<long long>(kbps);
  long long length = 0;
  if (layer == 1)
    length = 4 * ((12000 * bitrate) / rate) + padding;
  else if (layer == 2 || version == 1)
    length = (144000 * bitrate) / rate + padding;
  else
    length = (72000 * bitrate) / rate + padding;  // layer III of MPEG-2 and 2.5: half the samples
  if (length < 0 || length > 0x7FFF) return 0;
  return static_cast<std::int16_t>(length);
}

}  // namespace Module19

namespace Module28 {

std::int16_t get_frame_size(const std::string& header) {
  const std::string bits = Module15::hex_to_bin(Module19::bytes_to_hex(header));
  const double version = Module19::get_mpeg_version(bits.substr(11, 2));
  const int layer = Module19::get_layer(bits.substr(13, 2));
  const int kbps = Module19::get_bitrate(bits.substr(16, 4), version, layer);
  const int rate = Module19::get_sample_rate(bits.substr(20, 2), version);
  const int padding = Module19::get_padding(bits.substr(22, 1), layer);
  return Module19::get_frame_length(kbps, rate, padding, version, layer);
}

}  // namespace Module28

namespace engine {

std::size_t id3v2_tag_size(std::string_view file) {
  if (file.size() < 10 || file.substr(0, 3) != "ID3") return 0;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(file[i]); };
  if (byte(3) == 0xFF || byte(4) == 0xFF) return 0;  // major version, revision
  std::size_t size = 0;
  for (std::size_t i = 6; i < 10; ++i) {
    if (byte(i) >= 0x80) return 0;  // 0xxxxxxx: seven bits per size byte
    size = (size << 7) | byte(i);
  }
  const bool footer = (byte(5) & 0x10) != 0;  // flags: abcd0000, d = footer present
  return 10 + size + (footer ? 10 : 0);
}

std::string_view MemoryBytes::bytes(std::uint64_t offset, std::size_t length) {
  if (offset >= bytes_.size()) return {};
  return bytes_.substr(static_cast<std::size_t>(offset), length);
}

FileBytes::FileBytes(const std::string& path, std::uint64_t begin, std::uint64_t end) : path_(path) {
  fd_ = core::open_regular_file(path, "read_file");
  struct stat info {};
  ::fstat(fd_, &info);
  const auto file_size = static_cast<std::uint64_t>(info.st_size);
  end = std::min(end, file_size);
  begin_ = std::min(begin, end);
  size_ = end - begin_;
}

FileBytes::~FileBytes() {
  if (fd_ >= 0) ::close(fd_);
}

std::string_view FileBytes::bytes(std::uint64_t offset, std::size_t length) {
  if (offset >= size_) return {};
  length = static_cast<std::size_t>(std::min<std::uint64_t>(length, size_ - offset));
  const bool inside = offset >= window_start_ && offset + length <= window_start_ + window_length_;
  if (!inside) {
    // Reads go forward: the window moves to `offset` and takes the next megabyte or so.
    constexpr std::size_t kWindow = std::size_t{1} << 20;
    const auto want =
        static_cast<std::size_t>(std::min<std::uint64_t>(std::max(length, kWindow), size_ - offset));
    if (window_.size() < want) window_.resize(want);
    window_start_ = offset;
    window_length_ = 0;
    while (window_length_ < want) {
      const ssize_t got = ::pread(fd_, window_.data() + window_length_, want - window_length_,
                                  static_cast<off_t>(begin_ + offset + window_length_));
      if (got < 0) throw core::VbError(57, core::exe_name() + ".read_file", "Device I/O error: " + path_);
      if (got == 0) break;  // the file got shorter: take what is there
      window_length_ += static_cast<std::size_t>(got);
    }
  }
  const auto start = static_cast<std::size_t>(offset - window_start_);
  return std::string_view(window_.data() + start,
                          std::min(length, window_length_ - std::min(start, window_length_)));
}

std::int32_t find_first_frame(std::string_view file) {
  MemoryBytes bytes(file);
  return find_first_frame(bytes);
}

std::uint64_t next_sync_byte(ByteSource& file, std::uint64_t p) {
  constexpr std::size_t kBlock = 64 * 1024;
  while (p < file.size()) {
    const std::string_view block = file.bytes(p, kBlock);
    if (block.empty()) break;  // the file got shorter
    if (const void* hit = std::memchr(block.data(), 0xFF, block.size()))
      return p + static_cast<std::uint64_t>(static_cast<const char*>(hit) - block.data());
    p += block.size();
  }
  return std::max(p, file.size());
}

std::int32_t find_first_frame(ByteSource& file) {
  const std::uint64_t size = file.size();
  for (std::uint64_t p = next_sync_byte(file, id3v2_tag_size(file.bytes(0, 10))); p < size;
       p = next_sync_byte(file, p + 1)) {
    const std::string_view pair = file.bytes(p, 2);
    if (pair.size() == 2 && static_cast<unsigned char>(pair[1]) >= 0xE0)
      return p < 0x7FFFFFFF ? static_cast<std::int32_t>(p + 1) : 0;  // positions are 32-bit
  }
  return 0;
}

FirstFrame first_frame(ByteSource& file, const std::string& path, const std::string& procedure) {
  FirstFrame first;
  first.position = find_first_frame(file);
  if (first.position == 0) {
    core::message_box("ERROR in file opening");
    throw core::VbError(5, core::exe_name() + "." + procedure, "No MP3 frame sync in " + path);
  }
  first.header = std::string(file.bytes(static_cast<std::uint64_t>(first.position - 1), 4));
  return first;
}

bool is_frame_header_at(std::string_view data, std::size_t p) {
  const auto b1 = static_cast<unsigned char>(data[p]);
  const auto b2 = p + 1 < data.size() ? static_cast<unsigned char>(data[p + 1]) : b1;
  return b1 == 0xFF && b2 >= 0xE0;
}

std::uint32_t vbr_header_frames(std::string_view frame) {
  if (frame.size() < 4 || !is_frame_header_at(frame, 0)) return 0;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(frame[i]); };
  const auto big_endian = [&](std::size_t i) {
    return std::uint32_t{byte(i)} << 24 | std::uint32_t{byte(i + 1)} << 16 | std::uint32_t{byte(i + 2)} << 8 |
           byte(i + 3);
  };
  if (layer_of(byte(1) >> 1) == 3) {  // 111VVLLP
    // The header follows the side information, whose size depends on version and channels.
    const bool mono = byte(3) >> 6 == 3;  // MMxxxxxx, 11 = single channel
    const std::size_t at = 4 + (version_of(byte(1) >> 3) == 1 ? (mono ? 17 : 32) : (mono ? 9 : 17));
    const std::string_view id = frame.substr(std::min(at, frame.size()), 4);
    if ((id == "Xing" || id == "Info") && frame.size() >= at + 12)
      return (big_endian(at + 4) & 1) ? big_endian(at + 8) : 0;  // flags, bit 0: frame count present
  }
  constexpr std::size_t kVbri = 4 + 32;  // "VBRI", version, delay, quality, bytes, frames
  if (frame.size() >= kVbri + 18 && frame.substr(kVbri, 4) == "VBRI") return big_endian(kVbri + 14);
  return 0;
}

std::int16_t frame_size_at(std::string_view data, std::size_t p) {
  // Missing bytes repeat the one before them, as in the hex conversion of a short header.
  std::array<unsigned char, 3> b{};
  for (std::size_t i = 0; i < b.size(); ++i) {
    if (p + i < data.size())
      b[i] = static_cast<unsigned char>(data[p + i]);
    else
      b[i] = i == 0 ? 0 : b[i - 1];
  }
  const double version = version_of(b[1] >> 3);  // 111VVLLP
  const int layer = layer_of(b[1] >> 1);         // 111VVLLP
  const int row = bitrate_row(version, layer);
  const int kbps = row < 0 ? 0 : kbps_entry(row, b[2] >> 4);  // BBBBRRPx
  const unsigned rate_index = (b[2] >> 2) & 3;                // BBBBRRPx
  const int rate = rate_index == 3 ? 0 : rate_entry(version, static_cast<int>(rate_index));
  const int padding = (b[2] & 0b0000'00'1'0) ? (layer == 1 ? 4 : layer == 0 ? 0 : 1) : 0;
  return Module19::get_frame_length(kbps, rate, padding, version, layer);
}

}  // namespace engine
