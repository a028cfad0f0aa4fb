#pragma once

// Inside the page-code generators: the markup both of them write and the installed boxes.

#include <string>

#include "webcode/page_code.h"

namespace webcode::detail {

/// `text` as it stands inside a quoted attribute value: "&", the quotes, "<" and ">" as
/// character references; any other text unchanged.
std::string attribute_value(const std::string& text);
/// A file path as the URL that names it inside the page code: "%", "#" and "?" and the spaces
/// that end a name percent-encoded, where a browser would otherwise read an escape, a
/// fragment or a query, or drop the spaces; any other path unchanged.
std::string movie_url(const std::string& path);
/// Writes the entries that the fixed and the floating code share: 8 to 66 less the size
/// entries (entry 67 differs between the two).
void fill_shared_object_parts();
/// Entries first to last of `html_parts` joined with nothing between them.
std::string parts(int first, int last);
/// The eight lines of the object/embed pair built from entries 8 to 66, each ending in CR LF
/// (the closing entry 67 differs between the two codes and is not included).
std::string object_lines();

CodeBox* floating_code_box();
CodeBox* fixed_code_box();

}  // namespace webcode::detail
