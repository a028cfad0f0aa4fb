#include "core/hooks.h"
#include "webcode/object_markup.h"

namespace Module41 {

void make_fixed_code() {
  core::yield();

  webcode::detail::fill_shared_object_parts();
  Module33::html_parts[67] = "</object>";

  using webcode::detail::parts;
  const std::string crlf = "\r\n";
  const std::string code = webcode::detail::object_lines() + parts(67, 67) + crlf;  // ... </object>

  if (auto* box = webcode::detail::fixed_code_box()) box->set_text(code);
  Module33::html_code = code;
}

}  // namespace Module41
