#pragma once

// The style pictures of the gallery as the program picks them: which style each picture
// stands for, the one-hot selection flags (Module2), the selection frames drawn on the
// pictures and wiped again (Module1), and the gallery's own file work (the head of the preview
// movie, restoring the pristine template tree).

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace engine::style {

/// One style picture of the gallery.
struct StylePicture {
  int number;            // the picture's number: 100 for Picture100
  int group;             // 1 sam gallery, 2 ind gallery, 3 sin gallery
  std::int16_t family;   // composer family code (kSam, kInd, kSin)
  std::int16_t style;    // composer style, or the ind shape
  std::int16_t target;   // ind colour target 1..3; 0 for sam and sin
  int flag;              // 1-based index into the family's selection flags
  const char* style_id;  // the preview's style id; "" for sin, whose pick ends with the background
  int line_width;        // frame line width in pixels
  int frame_colour;      // frame colour, index into the sixteen-colour palette
  int dx, dy;            // twips taken off the picture's width and height for the frame
};

/// The thirty style pictures, in ascending picture number.
extern const std::array<StylePicture, 30> kStylePictures;

/// The picture numbered `number`; nullptr when it is no style picture.
const StylePicture* style_picture(int number);

/// File name of a picture's thumbnail in the pictures folder ("sam1.png", "ind12.png").
std::string thumbnail_name(const StylePicture& picture);

/// Where the selection frames are drawn: the gallery page, or a test's recorder.
class FrameCanvas {
 public:
  virtual ~FrameCanvas() = default;
  /// Size of picture `number` in twips.
  virtual int picture_width(int number) const = 0;
  virtual int picture_height(int number) const = 0;
  /// Draws the outline of the box from (x1, y1) to (x2, y2) twips on picture `number`, with
  /// lines `line_width` pixels wide in palette colour `colour`.
  virtual void draw_box(int number, int x1, int y1, int x2, int y2, int line_width, int colour) = 0;
};

/// The canvas the frame routines draw on; nullptr (the default) draws nothing.
void set_frame_canvas(FrameCanvas* canvas);

/// The frame of `picture` in palette colour `colour`: its line width, and the box from (0, 3)
/// to its size less its reductions.
void draw_style_frame(const StylePicture& picture, int colour);

/// Writes "23" over the first two bytes of the preview movie temp.swf, creating it when it is
/// missing, so that it no longer reads as a movie until the next composition. Throws
/// core::VbError naming the file when it cannot be written.
void write_preview_head();

/// Copies every file of the pristine tree spd_back over its namesake in spd; files only in
/// spd stay. All files are first copied beside their targets and only then renamed over them,
/// so a failure leaves spd as it was. Returns "" on success, else what failed.
std::string restore_templates();

}  // namespace engine::style

namespace Module2 {
/// Sets all thirty selection flags False.
void reset_style_flags();
/// Makes the flag of picture `picture` the only one set in its family, and clears the other
/// family of sam and sin for a sam or sin pick. A picture outside group `group` does nothing.
void set_style_flag(std::int16_t picture, std::int16_t group);
}  // namespace Module2

namespace Module1 {
/// Wipes the frames of every picture of `group` except `picture`, in ascending order.
void clear_style_frames(std::int32_t picture, std::int16_t group);
/// Wipes the frame of picture `number` in white; no style picture, nothing happens.
void erase_style_frame(std::int16_t number);
}  // namespace Module1
