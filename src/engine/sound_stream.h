#pragma once

// The SWF streamed sound inside the style's sprite: the SoundStreamHead that fills the
// sprite's first tag slot (sprite_top.dat) and the sprite's timeline body, one
// SoundStreamBlock of whole MP3 frames and a ShowFrame per SWF frame, closed by the End tag
// (mp3_data2.dat). MP3 frames are copied byte for byte.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/mp3_header.h"

namespace Module20 {
/// Samples per MP3 frame: 384 in layer I, 1152 in layer II, 1152 or 576 in layer III
/// (MPEG-1 or MPEG-2/2.5); 0 for an unknown version or layer.
std::int16_t get_samples_per_frame(double version, int layer);
}  // namespace Module20

namespace Module21 {
/// The 8-byte SoundStreamHead as 16 hex digits: rate code from `rate`, `size` (1 = 16-bit),
/// `stereo` (0 or 1), `compression` (2 = MP3) and samples per SWF frame at `frame_rate`.
std::string sound_stream_head_hex(int rate, int size, int stereo, int compression, int frame_rate);
}  // namespace Module21

namespace Module22 {
/// Writes spd/sprite_top.dat: middle.spd with its bytes 11-18 replaced by the head.
void write_sprite_top(const std::string& head_hex);
}  // namespace Module22

namespace Module23 {
/// Number of MP3 frames the frame walk finds in the file.
std::int32_t count_mp3_frames(const std::string& path);
}  // namespace Module23

namespace Module24 {
/// Replaces `frame_lengths` with the byte lengths of the file's frames, in order (frame 1 at
/// index 0); the last one holds every byte left in the frame data.
void build_frame_table(const std::string& path, std::vector<std::int32_t>& frame_lengths);
}  // namespace Module24

namespace Module25 {

// The frame table of the last write, read by the progress display.
inline std::int32_t frame_count = 0;
inline std::vector<std::int32_t> frame_lengths;  // frame 1 at index 0
inline std::int16_t samples_per_frame = 0;
inline double mp3_frames_per_swf_frame = 0;

/// Writes spd/mp3_data2.dat from `data`, the frame data the table `frame_lengths` was walked
/// over: the blocks of SWF frames 0, 1, 2 ... at `frame_rate`, then the End tag. Reports
/// progress through Module12::update_progress after every SWF frame but the last. Throws
/// core::VbError when the table does not fit the data or the file cannot be written.
void write_mp3_data(int frame_rate, int rate, int samples_per_frame,
                    const std::vector<std::int32_t>& frame_lengths, std::string_view data,
                    std::int32_t count);
/// Another file that takes the timeline as it is written, from byte `offset` (0-based) on;
/// the file must exist.
struct Mirror {
  std::string path;
  std::uint64_t offset = 0;
};

/// The same from frame data read through `data`, also writing the timeline into `mirrors`;
/// returns the timeline's length.
std::uint64_t write_mp3_data(int frame_rate, int rate, int samples_per_frame,
                             const std::vector<std::int32_t>& frame_lengths, engine::ByteSource& data,
                             std::int32_t count, const std::vector<Mirror>& mirrors);

/// Whether `mp3_frames` frames of sound are due within the first `swf_frames` SWF frames of
/// the last write's stream (same rounding as the seek).
bool frames_fit(std::int64_t swf_frames, std::int64_t mp3_frames);

/// a - b: samples by which the delivered frames lag behind the stream's clock.
std::int64_t seek_offset(std::int64_t a, std::int64_t b);

}  // namespace Module25

namespace engine {

/// SWF frames (stream blocks, each closed by a ShowFrame) that Module25::write_mp3_data makes
/// of the first `count` frames of `frame_lengths`, worked out without writing them.
std::int64_t stream_frame_count(int frame_rate, int rate, int samples_per_frame,
                                const std::vector<std::int32_t>& frame_lengths, std::int32_t count);

/// Whether `file` ends in an ID3v1 tag: its last 128 bytes begin with "TAG".
bool ends_in_id3v1_tag(ByteSource& file);

/// Where the frame data lie in `file` whose first frame is at the 1-based `first`: from there
/// to the end, or up to an ID3v1 tag at the end, which is left out, as a 0-based [begin, end);
/// empty when `first` is 0 or leaves nothing.
std::pair<std::uint64_t, std::uint64_t> frame_range(ByteSource& file, std::int32_t first);

/// The frame data of a file held in memory (see frame_range).
std::string_view frame_data(std::string_view file, std::int32_t first);

/// Walks the frames of `data` from its first byte and returns their count; their lengths go
/// to `lengths` when given. Past the first frame, a byte pair that is no sync or a header with
/// no length (reserved version, layer or sample rate, free format without padding) is skipped
/// up to the next sync whose frame is followed by another frame of the first frame's version,
/// layer and rate; the skipped bytes count to the frame before them. The walk ends where no
/// such sync follows, and at once when the first header has no length. A last frame that
/// reaches the end of the data keeps a single byte after it; one whose declared length runs
/// past the end is cut short and left out. `one_bitrate`, when given, tells whether every frame
/// found has the first one's bitrate.
std::int32_t walk_frames(std::string_view data, std::vector<std::int32_t>* lengths);
std::int32_t walk_frames(ByteSource& data, std::vector<std::int32_t>* lengths, bool* one_bitrate = nullptr);

}  // namespace engine
