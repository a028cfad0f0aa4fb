#pragma once

// Writing SWF records: bit fields, tag headers, rectangles, matrices, colour transforms,
// shapes from painter paths, and the few actions the movies use. Everything returns byte
// strings (one char per byte), as the rest of the program holds binary data.

#include <QColor>
#include <QPainterPath>
#include <cstdint>
#include <string>

#include "core/hex.h"

namespace datagen::swf {

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
  kDefineShape2 = 22,
  kPlaceObject2 = 26,
  kRemoveObject2 = 28,
  kDefineShape3 = 32,
  kDefineButton2 = 34,
  kDefineSprite = 39,
  kFileAttributes = 69,
};

/// A tag with its record header: the short form when the body allows it, the long form
/// (length 0x3F and a 32-bit length) when asked or needed.
std::string tag(int code, const std::string& body, bool long_form = false);

// Little-endian fields go through the engine's byte helpers.
using core::put_u16le;
using core::put_u32le;

/// RECT in twips; `min_bits` widens the fields beyond what the values need.
std::string rect(int xmin, int xmax, int ymin, int ymax, int min_bits = 0);
/// Uncompressed header: signature, version, FileLength (patched by the caller), frame size,
/// frame rate 24 and frame count. `rect_bits` widens the frame-size fields.
std::string header(int version, int width_twips, int height_twips, int frame_count, int rect_bits = 0);
/// Patches FileLength (bytes 5-8) to the movie's size.
void set_file_length(std::string& movie);

std::string rgb(const QColor& colour);
std::string rgba(const QColor& colour);

/// MATRIX with translation only, or with scale as well.
std::string matrix(int tx = 0, int ty = 0);
std::string matrix_scaled(double sx, double sy, int tx, int ty);
/// CXFORMWITHALPHA multiplying red, green and blue by `factor`.
std::string cxform_scale(double factor);
/// CXFORMWITHALPHA adding `amount` to red, green and blue.
std::string cxform_add(int amount);

/// A one-layer shape definition: the path (in twips) filled with one colour, optionally
/// outlined. Returns the tag; `colour_offset` receives the 0-based offset of the fill's
/// red byte inside the tag. `extra_rect_bits` widens the bounds rectangle.
std::string define_shape3(int id, const QPainterPath& path, const QColor& fill, int* colour_offset = nullptr,
                          int extra_rect_bits = 0, const QColor& line = QColor(), int line_width = 0);

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
std::string act_not();
std::string act_if(int offset);
std::string act_jump(int offset);
/// DoAction tag holding the actions and the closing 0 byte.
std::string do_action(const std::string& actions);

}  // namespace datagen::swf
