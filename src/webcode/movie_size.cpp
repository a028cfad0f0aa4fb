#include "webcode/movie_size.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "webcode/page_code.h"

namespace webcode {

namespace {

// A width is about 2.8 times the height for the wide player.
constexpr double kRatio = 2.8;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A whole number as decimal text, without a sign on zero.
std::string whole(double value) {
  char text[400];
  std::snprintf(text, sizeof text, "%.0f", value + 0.0);
  return text;
}

// The box's number when it has one a size can be computed from.
std::optional<double> usable(std::string_view text) {
  const auto number = leading_number(text);
  if (!number || !std::isfinite(*number)) return std::nullopt;
  return number;
}

// The box's text as a whole number of pixels, at least 1: digits only once the blanks around
// them are trimmed.
std::optional<int> whole_pixels(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !is_digit(text[0]) || value < 1)
    return std::nullopt;
  return value;
}

}  // namespace

std::optional<double> leading_number(std::string_view text) {
  std::string packed;
  for (char c : text)
    if (c != ' ' && c != '\t' && c != '\n') packed += c;

  // The longest prefix of the form [sign] digits [. digits] [e [sign] digits].
  std::size_t at = 0;
  if (at < packed.size() && (packed[at] == '+' || packed[at] == '-')) ++at;
  const std::size_t mantissa = at;
  while (at < packed.size() && is_digit(packed[at])) ++at;
  if (at < packed.size() && packed[at] == '.') ++at;
  while (at < packed.size() && is_digit(packed[at])) ++at;
  const std::string_view digits(packed.data() + mantissa, at - mantissa);
  if (digits.find_first_of("0123456789") == std::string_view::npos) return std::nullopt;
  if (at < packed.size() && (packed[at] == 'e' || packed[at] == 'E')) {
    std::size_t exponent = at + 1;
    if (exponent < packed.size() && (packed[exponent] == '+' || packed[exponent] == '-')) ++exponent;
    if (exponent < packed.size() && is_digit(packed[exponent])) {
      at = exponent;
      while (at < packed.size() && is_digit(packed[at])) ++at;
    }
  }

  // from_chars takes no leading "+" and reads "." whatever the locale.
  const bool negative = packed[0] == '-';
  double value = 0;
  const char* first = packed.data() + mantissa;
  const auto [end, error] = std::from_chars(first, packed.data() + at, value);
  if (error == std::errc::result_out_of_range) {
    // Too large ("1e999") or too small ("1e-999"): the nearer end of the range.
    const bool tiny = std::string_view(first, end - first).find("e-") != std::string_view::npos ||
                      std::string_view(first, end - first).find("E-") != std::string_view::npos;
    value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
  }
  return negative ? -value : value;
}

MovieSize default_size(int button_type) {
  if (button_type == 1) return {"200", "73"};
  if (button_type == 2) return {"90", "90"};
  return {};
}

void set_size_parts(const MovieSize& size) {
  auto& parts = Module33::html_parts;
  parts[18].clear();
  parts[59].clear();
  parts[18] = parts[59] = size.width;
  parts[23].clear();
  parts[64].clear();
  parts[23] = parts[64] = size.height;
}

SizeBoxes read_size_boxes(std::string_view width_text, std::string_view height_text) {
  // A too wide movie keeps the message it always had.
  if (leading_number(width_text).value_or(0) > kMaxMovieWidth) return {{}, "Please Choose less than 200"};
  const auto width = whole_pixels(width_text);
  if (!width || *width > kMaxMovieWidth)
    return {{}, "Please enter the width as a whole number of pixels from 1 to 200"};
  const auto height = whole_pixels(height_text);
  if (!height) return {{}, "Please enter the height as a whole number of pixels from 1 up"};
  return {{std::to_string(*width), std::to_string(*height)}, {}};
}

std::optional<std::string> width_for_height(std::string_view height_text) {
  const auto height = usable(height_text);
  if (!height) return std::nullopt;
  const double width = std::nearbyint(*height * kRatio);  // halves to the even neighbour
  return width <= kMaxMovieWidth ? whole(width) : whole(kMaxMovieWidth);
}

std::optional<std::string> height_for_width(std::string_view width_text) {
  const auto width = usable(width_text);
  if (!width) return std::nullopt;
  return whole(std::nearbyint(*width / kRatio));
}

}  // namespace webcode
