#include "core/hooks.h"
#include "webcode/object_markup.h"

namespace Module41 {

void make_fixed_code() {
  core::yield();

  webcode::detail::fill_shared_object_parts();
  Module33::html_parts[67] = "</object>";

  using webcode::detail::parts;
  const std::string crlf = "\r\n";
  const std::string code = parts(8, 11) + crlf +   // <object classid="..."
                           parts(12, 15) + crlf +  // codebase="..."
                           parts(16, 25) + crlf +  // width="W" height="H">
                           parts(26, 32) + crlf +  // <param name="movie" ...>
                           parts(33, 39) + crlf +  // <param name="quality" ...>
                           parts(40, 42) + crlf +  // <embed src="M"
                           parts(43, 51) + crlf +  // quality="high" pluginspage="..."
                           parts(52, 66) + crlf +  // type=... width=... height=...></embed>
                           parts(67, 67) + crlf;   // </object>

  if (auto* box = webcode::detail::fixed_code_box()) box->set_text(code);
  Module33::html_code = code;
}

}  // namespace Module41
