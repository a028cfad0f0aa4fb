#pragma once

// MPEG audio frame headers: the sync search, the header test, the field decoders with their
// tables and the frame length. Fields are cut from the 32-character bit text of the four
// header bytes (position 1 = most significant bit of the first byte).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Module10 {
/// 1-based position of the first frame sync (a byte FF followed by E0 or more) in the file,
/// searched after a leading ID3v2 tag when the file has one; 0 when there is none.
std::int32_t find_first_frame(const std::string& path);
}  // namespace Module10

namespace Module27 {
/// True when the first byte is FF and the second E0 or more; nothing else is looked at.
/// Missing bytes repeat the one before them, as in Module14::header_to_hex.
bool is_frame_header(const std::string& bytes);
}  // namespace Module27

namespace Module15 {
/// Bitrate table entry for a four-bit index: "free", "8".."448", "bad", or "" when no row
/// matches the version and layer.
std::string bitrate_table(const std::string& bits, double version, int layer);
/// Sample-rate table entry for a two-bit index: "44100".."8000", "reserved", or "" when no
/// row matches the version.
std::string sample_rate_table(const std::string& bits, double version);
}  // namespace Module15

namespace Module19 {
/// 1 for "11", 2 for "10", 2.5 for "00"; 0 for the reserved "01" and any other text.
double get_mpeg_version(const std::string& bits);
/// 1 for "11", 2 for "10", 3 for "01"; 0 for the reserved "00" and any other text.
int get_layer(const std::string& bits);
/// Kilobits per second; 0 for free format, a bad index, or an unknown version or layer.
int get_bitrate(const std::string& bits, double version, int layer);
/// Hertz; 0 for the reserved index and an unknown version.
int get_sample_rate(const std::string& bits, double version);
/// Bytes of padding: 4 in layer 1 and 1 in layers 2 and 3 when the bit is "1", else 0.
int get_padding(const std::string& bit, int layer);
/// Frame length in bytes; 0 for a reserved version, layer or sample rate.
std::int16_t get_frame_length(int kbps, int rate, int padding, double version, int layer);
}  // namespace Module19

namespace Module28 {
/// Frame length of one four-byte header, decoded field by field through the bit text.
std::int16_t get_frame_size(const std::string& header);
}  // namespace Module28

namespace engine {

/// A byte range read front to back, from memory or from a file through a small window, so a
/// long sound need not sit in memory while its frames are walked and spliced.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t size() const = 0;
  /// The `length` bytes from `offset`, fewer at the end (or when the file got shorter since
  /// it was opened). The view stays valid until the next call.
  virtual std::string_view bytes(std::uint64_t offset, std::size_t length) = 0;
};

class MemoryBytes final : public ByteSource {
 public:
  explicit MemoryBytes(std::string_view bytes) : bytes_(bytes) {}
  std::uint64_t size() const override { return bytes_.size(); }
  std::string_view bytes(std::uint64_t offset, std::size_t length) override;

 private:
  std::string_view bytes_;
};

/// The bytes [begin, end) of a file (end clipped to its size), read through a reused window.
class FileBytes final : public ByteSource {
 public:
  /// Throws core::VbError 53 when the file cannot be opened, 75 when it is not a regular file.
  explicit FileBytes(const std::string& path, std::uint64_t begin = 0, std::uint64_t end = UINT64_MAX);
  ~FileBytes() override;
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;
  std::uint64_t size() const override { return size_; }
  std::string_view bytes(std::uint64_t offset, std::size_t length) override;

 private:
  std::string path_;
  int fd_ = -1;
  std::uint64_t begin_ = 0;
  std::uint64_t size_ = 0;
  std::string window_;
  std::uint64_t window_start_ = 0;  // offset of window_ in the range
  std::size_t window_length_ = 0;   // bytes of window_ read
};

/// Bytes taken by a well-formed ID3v2 tag at the start of `file` ("ID3", version bytes below
/// FF, a flags byte, four size bytes below 80): its declared size, its 10-byte header and a
/// 10-byte footer when the footer flag is set. 0 when the file does not start with one.
std::size_t id3v2_tag_size(std::string_view file);

/// Position of the first FF byte (a possible frame sync) at or after `p`; `file.size()` or more
/// when there is none.
std::uint64_t next_sync_byte(ByteSource& file, std::uint64_t p);

/// Module10::find_first_frame on bytes already in memory or an open file.
std::int32_t find_first_frame(std::string_view file);
std::int32_t find_first_frame(ByteSource& file);

/// The first frame of an MP3 file as the movie build, the file information and the rate check
/// all take it: the 1-based position of the first sync and the four bytes there (fewer at the
/// end of the file).
struct FirstFrame {
  std::int32_t position = 0;
  std::string header;
};

/// The first frame of `file`. Without a sync it shows "ERROR in file opening" and throws
/// core::VbError 5 from `procedure`, naming `path`.
FirstFrame first_frame(ByteSource& file, const std::string& path, const std::string& procedure);

/// The same length as Module28::get_frame_size, straight from the header bytes at `p`;
/// fewer than four bytes left repeat the last one, as the hex conversion does.
std::int16_t frame_size_at(std::string_view data, std::size_t p);

/// Module27::is_frame_header for the bytes at `p` (at least one byte must be there).
bool is_frame_header_at(std::string_view data, std::size_t p);

/// The frame count that a VBR header declares in `frame`, the bytes of a file's first frame: a
/// Xing or Info header after the side information of a layer III frame, or a VBRI header 32
/// bytes after the frame header. 0 when the frame holds none or it declares no count.
std::uint32_t vbr_header_frames(std::string_view frame);

}  // namespace engine
