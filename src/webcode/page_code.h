#pragma once

// The page code that puts the finished movie on a web page: the shared table of text pieces,
// the parameters the step-5 and step-6 pages set, and the two generators built on them.

#include <array>
#include <cstdint>
#include <string>

namespace Module33 {

/// Pieces of the page code. Entries 0 to 155 make the floating code, 8 to 67 are shared with
/// the fixed code, 156 to 180 are never used. Entries 18 and 59 (width) and 23 and 64
/// (height) belong to the step-5 pages; the generators only read them.
inline std::array<std::string, 181> html_parts;

inline std::string movie_path;        // the movie's path, which the code names as a URL
inline std::string target_x_text;     // script source with its ";", e.g. "0;" or "-200;"
inline std::string target_y_text;     // script source with its ";"
inline std::string step_x_text;       // speed factor with its ";", e.g. "0.07;"
inline std::string step_y_text;       // speed factor with its ";"
inline std::int16_t code_target = 0;  // 1 the step-6 code box, 2 html_code, otherwise nowhere
inline std::string html_code;         // the last code delivered to it
inline std::string sample_page;       // the sample page text last built

/// Rebuilds entries 0 to 155 (all but the four size entries) from the parameters and
/// delivers the floating code (HTML and its script, CR LF line ends) as `code_target` says.
void make_floating_code();

}  // namespace Module33

namespace Module41 {

/// Rebuilds entries 8 to 67 (all but the four size entries; 67 becomes "</object>") and
/// delivers the fixed code to the fixed step-5 page's code box and to `html_code`.
void make_fixed_code();

}  // namespace Module41

namespace webcode {

/// A text box that shows generated page code. The step-6 page and the fixed step-5 page
/// implement it for their code boxes and install it while they exist.
class CodeBox {
 public:
  virtual ~CodeBox() = default;
  virtual void set_text(const std::string& text) = 0;
};

/// The step-6 page's code box, which the floating code reaches with `code_target` 1.
/// nullptr (the default) leaves that delivery with nowhere to go.
void set_floating_code_box(CodeBox* box);
/// The fixed step-5 page's code box, which every fixed generation replaces.
void set_fixed_code_box(CodeBox* box);

}  // namespace webcode
