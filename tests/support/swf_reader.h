#pragma once

// A small reader of uncompressed SWF movies for the tests, mirroring what the program writes:
// the header with its frame-size RECT, the tag records in their short and long forms, the
// tags nested in a DefineSprite, and the sound-stream records. Tests write their own movies
// and pieces with the program's records (engine/swf_records.h). Every read is bounded by the
// bytes given and throws std::runtime_error on a record that does not fit.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport::swf {

// Tag codes the tests meet.
enum TagCode : int {
  kEnd = 0,
  kShowFrame = 1,
  kSetBackgroundColor = 9,
  kSoundStreamHead = 18,
  kSoundStreamBlock = 19,
  kPlaceObject2 = 26,
  kDefineSprite = 39,
};

struct Rect {
  std::int32_t x_min = 0, x_max = 0, y_min = 0, y_max = 0;
};

struct Header {
  std::uint32_t file_length = 0;
  Rect frame_size;
  std::uint16_t frame_rate = 0;  // 8.8 fixed point: 24 frames a second is 0x1800
  std::uint16_t frame_count = 0;
  std::size_t length = 0;  // bytes up to the first tag
};

struct Tag {
  int code = 0;
  std::size_t offset = 0;         // of the record header, in the bytes read
  std::size_t header_length = 0;  // 2 (short form) or 6 (long form)
  std::uint32_t length = 0;       // of the body
  std::string body;
  std::size_t end() const { return offset + header_length + length; }
};

struct Sprite {
  std::uint16_t id = 0;
  std::uint16_t frame_count = 0;
  std::vector<Tag> tags;  // offsets relative to the DefineSprite body
};

struct Movie {
  Header header;
  std::vector<Tag> tags;
};

struct StreamHead {
  int playback_type = 0;  // 1: stereo
  int compression = 0;    // 2: MP3
  int stream_type = 0;    // 1: stereo
};

struct StreamBlock {
  std::uint16_t sample_count = 0;
  std::int16_t seek = 0;
  std::string mp3;  // the MP3 frames
};

/// The RECT at byte `offset`; `end` receives the offset of the byte after it.
Rect read_rect(const std::string& bytes, std::size_t offset, std::size_t* end = nullptr);

/// `r` moved by the MATRIX at byte `offset`; throws when the matrix also scales or rotates.
Rect moved(Rect r, const std::string& bytes, std::size_t offset);

/// The header of an uncompressed movie ("FWS"); throws for any other signature.
Header read_header(const std::string& swf);
/// The tag records in bytes [offset, end), up to and including an End tag.
std::vector<Tag> read_tags(const std::string& bytes, std::size_t offset, std::size_t end);
/// Header and top-level tags.
Movie read_movie(const std::string& swf);
/// Id, frame count and nested tags of a DefineSprite.
Sprite read_sprite(const Tag& define_sprite);
/// The channels and compression of a SoundStreamHead (or SoundStreamHead2); the fields of a
/// SoundStreamBlock holding MP3.
StreamHead read_stream_head(const Tag& tag);
StreamBlock read_stream_block(const Tag& tag);

}  // namespace testsupport::swf
