#pragma once

// The size that the page code gives the movie: the width and height entries of the page-code
// table, their defaults by button shape, and how the size boxes of the step-5 pages read and
// fill in numbers.

#include <optional>
#include <string>
#include <string_view>

namespace webcode {

/// The widest movie the page code takes, in pixels.
inline constexpr double kMaxMovieWidth = 200;

/// The leading number of `text`, read leniently: blanks, tabs and line feeds are skipped
/// wherever they stand, reading stops at the first character that cannot continue a number,
/// and "." is the decimal point whatever the locale. nullopt when the text starts with no number.
std::optional<double> leading_number(std::string_view text);

/// The width and height of the movie as the page code carries them.
struct MovieSize {
  std::string width, height;
};

/// The default size for `button_type`: "200" x "73" for the wide player (1), "90" x "90" for the
/// square button (2), empty texts for any other value.
MovieSize default_size(int button_type);

/// Puts `size` into the width entries (18, 59) and height entries (23, 64) of the page code.
void set_size_parts(const MovieSize& size);

/// What the two size boxes give the page code: whole numbers of pixels, blanks around them
/// trimmed, the width from 1 to kMaxMovieWidth and the height from 1 up. `refusal` is empty when
/// both are taken; otherwise it is the message that names the box at fault, and `size` is empty.
struct SizeBoxes {
  MovieSize size;
  std::string refusal;
};
SizeBoxes read_size_boxes(std::string_view width_text, std::string_view height_text);

/// The width box filled in from the height box at the player's ratio 2.8, rounded half to
/// even and kept to kMaxMovieWidth; nullopt when the height box holds no usable number.
std::optional<std::string> width_for_height(std::string_view height_text);
/// The height box filled in from the width box at the ratio 2.8, rounded half to even, without
/// a limit; nullopt when the width box holds no usable number.
std::optional<std::string> height_for_width(std::string_view width_text);

}  // namespace webcode
