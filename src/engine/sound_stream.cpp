#include "engine/sound_stream.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "core/errors.h"
#include "core/hex.h"
#include "core/hooks.h"
#include "core/paths.h"
#include "engine/background_file.h"
#include "engine/files.h"
#include "engine/final_movie.h"
#include "engine/mp3_header.h"
#include "engine/swf_records.h"

namespace {

// A chunk holds whole frames adding up to less than this many bytes.
constexpr std::int64_t kChunkLimit = 920;

// Round half to even, the rounding every scheduling value uses.
std::int64_t round_even(double value) { return static_cast<std::int64_t>(std::nearbyint(value)); }

// Writer state, reset by init_frame_writer at the start of every write.
struct Writer {
  engine::ByteSource* mp3_data = nullptr;  // the frame data being spliced
  std::int64_t chunk_read_pos = 1;         // where the next chunk starts in mp3_data (1-based)
  std::int32_t chunk_last_frame = 0;
  std::string_view chunk;                       // the loaded chunk's frames
  std::size_t chunk_used = 0;                   // bytes of the chunk already placed in blocks
  std::string current_chunk;                    // the buffer: the chunk's blocks, records included
  std::int64_t pos_global = 1;                  // where the next block's frames begin in the buffer
  std::int64_t file_write_pos = 1;              // where the buffer goes in mp3_data2.dat
  std::int64_t next_write_pos = 1;              // just after everything written so far
  std::int64_t q = 1;                           // MP3 frames a full SWF frame takes
  std::unique_ptr<engine::BackgroundFile> out;  // mp3_data2.dat
};

Writer writer;

[[noreturn]] void fail(const std::string& what) {
  throw core::VbError(5, core::exe_name() + ".write_mp3_data", what);
}

void init_frame_writer() {
  writer.mp3_data = nullptr;
  writer.chunk_read_pos = 1;
  writer.chunk_last_frame = 0;
  writer.chunk = {};
  writer.chunk_used = 0;
  writer.current_chunk.clear();
  writer.pos_global = 1;
  writer.file_write_pos = 1;
  writer.next_write_pos = 1;
  writer.q = 1;
  writer.out.reset();
}

// The last frame of the chunk that follows frame `last` (frames numbered from 1) in the table
// `lengths` of `count` frames, and the chunk's byte count. A frame of kChunkLimit bytes or more
// cannot share a chunk, so it forms one on its own: every frame then sits in exactly one chunk
// and the writer always moves forward.
std::pair<std::int32_t, std::int64_t> chunk_after(const std::vector<std::int32_t>& lengths,
                                                  std::int32_t count, std::int32_t last) {
  std::int32_t i = last + 1;
  if (i > count) return {last, 0};
  std::int64_t sum = lengths[static_cast<std::size_t>(i - 1)];
  if (sum < kChunkLimit) {
    while (i < count) {
      const std::int64_t next = lengths[static_cast<std::size_t>(i)];
      if (sum + next >= kChunkLimit) break;
      sum += next;
      ++i;
    }
  }
  return {i, sum};
}

// Chooses the next chunk's frames and returns their byte count.
std::int64_t chunk_length() {
  const auto [last, sum] =
      chunk_after(Module25::frame_lengths, Module25::frame_count, writer.chunk_last_frame);
  writer.chunk_last_frame = last;
  return sum;
}

// Whether `mp3_frames` frames of `spf` samples are due within `swf_frames` SWF frames at `r`
// MP3 frames per SWF frame.
bool due(std::int64_t spf, double r, std::int64_t swf_frames, std::int64_t mp3_frames) {
  return round_even(static_cast<double>(spf * swf_frames) * r) >= mp3_frames * spf;
}

// MP3 frames the block of SWF frame `k` carries when `done` frames are written, `left` remain
// and the loaded chunk ends with frame `chunk_last`.
std::int64_t block_frames(std::int64_t q, double r, std::int64_t spf, std::int64_t k, std::int64_t left,
                          std::int32_t done, std::int32_t chunk_last) {
  const std::int64_t m = q > left ? q - 1 : q;
  const bool fits = due(spf, r, k + 1, done + m);
  const std::int64_t t = (fits && chunk_last - done >= q) ? q : q - 1;
  // A block never reaches past its chunk; this only bites when q is 3 or more, and it also
  // keeps left from falling below 0.
  return std::min<std::int64_t>(t, chunk_last - done);
}

// MP3 frames a full SWF frame takes: below half a frame per SWF frame the rounding would give
// 0; one frame at a time, when due, keeps the stream in step.
std::int64_t frames_per_block(double r) { return std::max<std::int64_t>(1, round_even(r)); }

std::string_view next_chunk() {
  const std::int64_t sum = chunk_length();
  const auto chunk = writer.mp3_data->bytes(static_cast<std::uint64_t>(writer.chunk_read_pos - 1),
                                            static_cast<std::size_t>(sum));
  if (static_cast<std::int64_t>(chunk.size()) != sum) fail("the frame data got shorter while it was spliced");
  writer.chunk_read_pos += sum;
  return chunk;
}

bool is_chunk_end(std::int32_t done) { return done == writer.chunk_last_frame; }

// Writes `bytes` at the 1-based `position` of mp3_data2.dat.
void write_out(const std::string& bytes, std::int64_t position) { writer.out->write_at(position - 1, bytes); }

void save_mp3_data(const std::string& buffer) { write_out(buffer, writer.file_write_pos); }

// Appends the block of SWF frame k carrying frames done + 1 .. done + t to the buffer.
void write_mp3_frames(std::int64_t k, std::int32_t done, std::int32_t t) {
  std::int64_t bytes = 0;
  for (std::int32_t i = done; i < done + t; ++i)
    bytes += Module25::frame_lengths[static_cast<std::size_t>(i)];
  const std::int64_t spf = Module25::samples_per_frame;
  const std::int64_t seek = Module25::seek_offset(
      round_even(static_cast<double>(k * spf) * Module25::mp3_frames_per_swf_frame), done * spf);

  std::string& buffer = writer.current_chunk;
  engine::swf::put_record_header(buffer, engine::swf::kSoundStreamBlock, static_cast<std::size_t>(bytes + 4),
                                 true);                                // FF 04, long length form
  core::put_u16le(buffer, static_cast<std::uint16_t>(spf * t));        // sample count
  core::put_u16le(buffer, static_cast<std::uint16_t>(seek & 0xFFFF));  // seek samples, low 16 bits
  buffer.append(writer.chunk.substr(writer.chunk_used, static_cast<std::size_t>(bytes)));
  engine::swf::put_record_header(buffer, engine::swf::kShowFrame, 0);  // 40 00
  writer.chunk_used += static_cast<std::size_t>(bytes);
  writer.pos_global += bytes + 12;
  writer.next_write_pos += bytes + 12;
}

}  // namespace

namespace Module20 {

std::int16_t get_samples_per_frame(double version, int layer) {
  const bool known = version == 1 || version == 2 || version == 2.5;
  if (!known) return 0;
  if (layer == 1) return 384;
  if (layer == 2) return 1152;
  if (layer == 3) return version == 1 ? 1152 : 576;
  return 0;
}

}  // namespace Module20

namespace Module21 {

std::string sound_stream_head_hex(int rate, int size, int stereo, int compression, int frame_rate) {
  core::yield();
  std::string rr = "10";  // 5.5 kHz is never chosen; rates other than the three below play as 22 kHz
  if (rate == 11025) rr = "01";
  if (rate == 22050) rr = "10";
  if (rate == 44100) rr = "11";
  const std::string s = size ? "1" : "0";
  const std::string t = stereo ? "1" : "0";
  std::string cccc;
  for (int bit = 3; bit >= 0; --bit) cccc += ((compression >> bit) & 1) ? '1' : '0';

  const auto count = frame_rate > 0 ? round_even(static_cast<double>(rate) / frame_rate) : 0;
  return "8604" +                                      // SoundStreamHead, code 18, length 6
         Module26::bin8_to_hex("0000" + rr + s + t) +  // 0000 rr s t: playback format
         Module26::bin8_to_hex(cccc + rr + s + t) +    // cccc rr s t: stream format
         Module6::to_lit_endian(core::to_hex(static_cast<std::uint32_t>(count & 0xFFFF)), 2) +
         "0000";  // latency seek
}

}  // namespace Module21

namespace Module22 {

void write_sprite_top(const std::string& head_hex) {
  core::yield();
  const std::string middle = engine::read_file(core::spd_path("middle.spd"));
  if (middle.size() < 18)
    throw core::VbError(5, core::exe_name() + ".write_sprite_top",
                        "middle.spd is too short to hold a sprite header and its sound slot");
  // Record and sprite headers, the head in the 8-byte slot, then the sprite's own tags.
  engine::write_file(core::spd_path("sprite_top.dat"),
                     middle.substr(0, 10) + Module29::hex_to_bytes(head_hex) + middle.substr(18));
}

}  // namespace Module22

namespace {

// The frame data of the MP3 file at `path` (see engine::frame_range), read through a window.
engine::FileBytes frame_bytes(const std::string& path) {
  engine::FileBytes file(path);
  const auto [begin, end] = engine::frame_range(file, engine::find_first_frame(file));
  return engine::FileBytes(path, begin, end);
}

}  // namespace

namespace Module23 {

std::int32_t count_mp3_frames(const std::string& path) {
  core::yield();
  engine::FileBytes data = frame_bytes(path);
  return engine::walk_frames(data, nullptr);
}

}  // namespace Module23

namespace Module24 {

void build_frame_table(const std::string& path, std::vector<std::int32_t>& frame_lengths) {
  core::yield();
  engine::FileBytes data = frame_bytes(path);
  frame_lengths.clear();
  engine::walk_frames(data, &frame_lengths);
}

}  // namespace Module24

namespace Module25 {

bool frames_fit(std::int64_t swf_frames, std::int64_t mp3_frames) {
  return due(samples_per_frame, mp3_frames_per_swf_frame, swf_frames, mp3_frames);
}

std::int64_t seek_offset(std::int64_t a, std::int64_t b) { return a - b; }

void write_mp3_data(int frame_rate, int rate, int spf, const std::vector<std::int32_t>& lengths,
                    std::string_view data, std::int32_t count) {
  engine::MemoryBytes bytes(data);
  write_mp3_data(frame_rate, rate, spf, lengths, bytes, count, {});
}

std::uint64_t write_mp3_data(int frame_rate, int rate, int spf, const std::vector<std::int32_t>& lengths,
                             engine::ByteSource& data, std::int32_t count,
                             const std::vector<Mirror>& mirrors) {
  core::yield();
  // Check the table against the data before a byte is written.
  if (frame_rate <= 0 || rate <= 0 || spf <= 0) fail("no stream format (rate or samples per frame is 0)");
  if (count < 0 || static_cast<std::size_t>(count) > lengths.size())
    fail("frame count beyond the frame table");
  std::int64_t total = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    if (lengths[static_cast<std::size_t>(i)] <= 0) fail("frame of no length in the frame table");
    total += lengths[static_cast<std::size_t>(i)];
  }
  if (total > static_cast<std::int64_t>(data.size())) fail("frame table longer than the frame data");

  frame_lengths.assign(lengths.begin(), lengths.begin() + count);
  frame_count = count;
  samples_per_frame = static_cast<std::int16_t>(spf);
  init_frame_writer();
  writer.mp3_data = &data;
  mp3_frames_per_swf_frame = static_cast<double>(rate) / (static_cast<double>(frame_rate) * spf);
  writer.q = frames_per_block(mp3_frames_per_swf_frame);

  const std::string path = core::spd_path("mp3_data2.dat");
  Module5::kill_file(path);
  writer.out = std::make_unique<engine::BackgroundFile>();
  writer.out->open(path);
  for (const auto& m : mirrors) writer.out->add_mirror(m.path, m.offset);

  const std::string end_tag = engine::swf::tag(engine::swf::kEnd, {});
  if (count == 0) {
    writer.file_write_pos = 1;
    write_out(end_tag, writer.file_write_pos);  // no frames: an empty timeline
  } else {
    const std::int64_t q = writer.q;
    std::int64_t left = count;
    std::int32_t done = 0;
    std::int64_t k = 0;
    bool filled = false;
    while (left >= 0) {
      if (is_chunk_end(done)) {
        if (filled) save_mp3_data(writer.current_chunk);
        writer.file_write_pos = writer.next_write_pos;
        writer.pos_global = 1;
        writer.current_chunk.clear();
        writer.chunk = next_chunk();
        writer.chunk_used = 0;
        filled = true;
      }
      const std::int64_t t =
          block_frames(q, mp3_frames_per_swf_frame, spf, k, left, done, writer.chunk_last_frame);
      left -= t;
      write_mp3_frames(k, done, static_cast<std::int32_t>(t));
      ++k;
      done += static_cast<std::int32_t>(t);
      if (left == 0) {
        save_mp3_data(writer.current_chunk);
        writer.file_write_pos += static_cast<std::int64_t>(writer.current_chunk.size());
        write_out(end_tag, writer.file_write_pos);
        break;
      }
      Module12::update_progress(done);
    }
  }
  writer.out->close();
  writer.out.reset();
  return static_cast<std::uint64_t>(writer.file_write_pos + 1);  // up to the End tag's last byte
}

}  // namespace Module25

namespace engine {

std::int64_t stream_frame_count(int frame_rate, int rate, int spf, const std::vector<std::int32_t>& lengths,
                                std::int32_t count) {
  if (frame_rate <= 0 || rate <= 0 || spf <= 0 || count <= 0) return 0;
  count = std::min(count, static_cast<std::int32_t>(lengths.size()));
  // The writer's schedule, block by block, without the bytes.
  const double r = static_cast<double>(rate) / (static_cast<double>(frame_rate) * spf);
  const std::int64_t q = frames_per_block(r);
  std::int64_t left = count;
  std::int32_t done = 0;
  std::int32_t chunk_last = 0;
  std::int64_t k = 0;
  while (left > 0) {
    if (done == chunk_last) chunk_last = chunk_after(lengths, count, chunk_last).first;
    const std::int64_t t = block_frames(q, r, spf, k, left, done, chunk_last);
    left -= t;
    done += static_cast<std::int32_t>(t);
    ++k;
  }
  return k;
}

bool ends_in_id3v1_tag(ByteSource& file) {
  return file.size() >= 128 && file.bytes(file.size() - 128, 3) == "TAG";
}

std::pair<std::uint64_t, std::uint64_t> frame_range(ByteSource& file, std::int32_t first) {
  if (first < 1) return {0, 0};
  // Only a tag is left out: the last bytes of a file without one are its last frame's.
  const std::uint64_t end = file.size() - (ends_in_id3v1_tag(file) ? 128 : 0);
  const auto begin = static_cast<std::uint64_t>(first - 1);
  if (begin >= end) return {0, 0};
  return {begin, end};
}

std::string_view frame_data(std::string_view file, std::int32_t first) {
  MemoryBytes bytes(file);
  const auto [begin, end] = frame_range(bytes, first);
  return file.substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin));
}

std::int32_t walk_frames(std::string_view data, std::vector<std::int32_t>* lengths) {
  MemoryBytes bytes(data);
  return walk_frames(bytes, lengths);
}

namespace {

// What every frame of one stream shares: version, layer and sample-rate index.
unsigned stream_format(std::string_view header) {
  return (static_cast<unsigned char>(header[1]) & 0b000'11'11'0) << 8 |  // 111VVLLP
         (static_cast<unsigned char>(header[2]) & 0b0000'11'0'0);        // BBBBRRPx
}

// Length of a frame of the stream's `format` at `p`, 0 when there is none.
std::uint64_t frame_of_format_at(ByteSource& data, std::uint64_t p, unsigned format) {
  const std::string header(data.bytes(p, 4));
  if (header.size() < 4 || !is_frame_header_at(header, 0) || stream_format(header) != format) return 0;
  return static_cast<std::uint64_t>(frame_size_at(header, 0));
}

// The first sync from `p` on whose frame is followed by another frame of the stream, as a
// decoder resynchronises; 0 when the data hold none.
std::uint64_t resync(ByteSource& data, std::uint64_t p, unsigned format) {
  for (p = next_sync_byte(data, p); p < data.size(); p = next_sync_byte(data, p + 1)) {
    const std::uint64_t len = frame_of_format_at(data, p, format);
    if (len > 0 && p + len < data.size() && frame_of_format_at(data, p + len, format) > 0) return p;
  }
  return 0;
}

}  // namespace

std::int32_t walk_frames(ByteSource& data, std::vector<std::int32_t>* lengths, bool* one_bitrate) {
  const std::uint64_t size = data.size();
  std::uint64_t p = 0;
  std::int32_t count = 0;
  unsigned format = 0;     // of the first frame
  unsigned bitrate = 0;    // index of the first frame
  std::uint64_t last = 0;  // recorded length of the last frame walked
  if (one_bitrate) *one_bitrate = true;
  while (p < size) {
    const std::string header(data.bytes(p, 3));
    const bool valid = !header.empty() && is_frame_header_at(header, 0);
    const auto len = valid ? static_cast<std::uint64_t>(frame_size_at(header, 0)) : 0;
    if (len == 0) {
      // A damaged header after the first frame: go on at the next good frame. The bytes
      // skipped stay with the frame before them, as the bytes after the last frame do.
      if (count == 0) break;
      const std::uint64_t next = resync(data, p + 1, format);
      if (next == 0) break;
      last += next - p;
      if (last > 0x7FFFFFFF) break;  // lengths are 32-bit
      if (lengths) lengths->back() = static_cast<std::int32_t>(last);
      p = next;
      continue;
    }
    // A frame cut short by the end of the data is no frame: its bytes would play as noise.
    if (p + len > size) break;
    // Missing bytes repeat the one before, as in frame_size_at.
    const unsigned index =
        static_cast<unsigned char>(header[std::min<std::size_t>(header.size(), 3) - 1]) >> 4;  // BBBBRRPx
    if (count == 0) {
      std::string padded = header;
      while (padded.size() < 3) padded += padded.back();
      format = stream_format(padded);
      bitrate = index;
    } else if (one_bitrate && index != bitrate) {
      *one_bitrate = false;
    }
    ++count;
    if (p + 1 + len >= size) {
      // The last frame takes every byte left, so a frame one byte short of the end takes it.
      if (lengths) lengths->push_back(static_cast<std::int32_t>(size - p));
      break;
    }
    if (lengths) lengths->push_back(static_cast<std::int32_t>(len));
    last = len;
    p += len;
  }
  return count;
}

}  // namespace engine
