#pragma once

// Writing SWF records: bit fields, record headers, the movie header, rectangles, matrices,
// colour transforms, shape records, placements and the few actions the movies use. The
// sound stream, the movie assembly and the data generator all write their records here.
// Everything returns byte strings (one char per byte), as the rest of the program holds
// binary data.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace engine::swf {

/// Packs bit fields most significant bit first, as SWF stores RECT, MATRIX and shapes.
class BitWriter {
 public:
  void put(std::uint32_t value, int count);
  void put_signed(std::int32_t value, int count);
  /// The bytes written so far, the last one padded with zero bits.
  std::string finish();

 private:
  std::string bytes_;
  std::uint32_t pending_ = 0;
  int pending_count_ = 0;
};

/// Bits a signed field needs to hold the value (at least 1).
int signed_bits(std::int32_t value);

enum TagCode : int {
  kEnd = 0,
  kShowFrame = 1,
  kSetBackgroundColor = 9,
  kDoAction = 12,
  kSoundStreamHead = 18,
  kSoundStreamBlock = 19,
  kDefineShape2 = 22,
  kPlaceObject2 = 26,
  kRemoveObject2 = 28,
  kDefineShape3 = 32,
  kDefineButton2 = 34,
  kDefineSprite = 39,
  kFileAttributes = 69,
};

/// A long record header: code and 0x3F, then the 32-bit length at byte 2 of the record.
inline constexpr std::size_t kLongHeaderSize = 6;
inline constexpr std::size_t kLongLengthOffset = 2;
/// Where the uncompressed header holds FileLength (bytes 5-8, 0-based 4).
inline constexpr std::size_t kFileLengthOffset = 4;

/// Appends a record header for a body of `length` bytes: the short form when the length
/// allows it, the long form when asked or needed.
void put_record_header(std::string& out, int code, std::size_t length, bool long_form = false);
/// A record header as read: the tag code, the header's size (2, or 6 in the long form) and the
/// length of the body that follows it.
struct RecordHeader {
  int code;
  std::size_t head;
  std::uint64_t length;
};
/// The record header at byte `at` of `bytes`; nullopt when the header itself is cut short.
/// The body's length is as the header says: whether it fits is the caller's question.
std::optional<RecordHeader> read_record_header(const std::string& bytes, std::size_t at);
/// A tag with its record header (see put_record_header).
std::string tag(int code, const std::string& body, bool long_form = false);
/// Patches the length of a record that starts with a long header to what follows the header.
void set_long_length(std::string& record);

/// RECT in twips; `min_bits` widens the fields beyond what the values need.
std::string rect(int xmin, int xmax, int ymin, int ymax, int min_bits = 0);
/// Uncompressed header: signature, version, FileLength (patched by the caller), frame size,
/// frame rate 24 and frame count. `rect_bits` widens the frame-size fields.
std::string header(int version, int width_twips, int height_twips, int frame_count, int rect_bits = 0);
/// Patches FileLength to the movie's size.
void set_file_length(std::string& movie);

/// MATRIX with translation only, or with scale as well.
std::string matrix(int tx = 0, int ty = 0);
std::string matrix_scaled(double sx, double sy, int tx, int ty);
/// CXFORMWITHALPHA multiplying red, green and blue by `factor`.
std::string cxform_scale(double factor);
/// CXFORMWITHALPHA adding `amount` to red, green and blue.
std::string cxform_add(int amount);

/// A point of a shape in whole twips.
struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

/// One edge of a shape: a move starts each contour, then lines and quadratic curves.
struct Edge {
  enum Kind { kMove, kLine, kCurve } kind;
  Point control;
  Point anchor;
};

/// Shape records of the edges; every contour takes fill style 1 (and line style 1 when the
/// shape has one) through its first style-change record. Ends with EndShapeRecord.
std::string shape_records(const std::vector<Edge>& edges, bool has_line);

/// PlaceObject2 placing a new character at a depth, with an optional instance name.
std::string place_object(int depth, int id, const std::string& matrix_bytes = matrix(),
                         const std::string& name = {});

// Actions (action records without the closing 0 byte).
std::string act_play();
std::string act_stop();
std::string act_set_target(const std::string& target);
std::string act_goto_frame(int frame);
std::string act_push_string(const std::string& text);
std::string act_push_int(std::int32_t value);
std::string act_get_variable();
std::string act_set_variable();
std::string act_if(int offset);
std::string act_jump(int offset);
/// DoAction tag holding the actions and the closing 0 byte.
std::string do_action(const std::string& actions);

}  // namespace engine::swf
