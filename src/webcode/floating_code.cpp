#include <string_view>

#include "core/hooks.h"
#include "webcode/object_markup.h"

namespace Module33 {

namespace {

// The script that keeps "floatdiv" at (target_x, target_y) from the window's top-left corner
// (a negative target measures from the right or bottom edge) while the page scrolls. Every
// 20 ms it moves the div by step_x/step_y of the remaining distance, the whole rest once a
// step would be below half a pixel. One row per entry from 75 on; entries 127 and 130 get
// the speed factors appended when the code is built. The right edge is the document's client
// width, which ends at the vertical scrollbar (the window's inner width runs under it); the
// bottom edge stays the inner height, as on a page without a doctype, like the sample page,
// the document's client height is the whole page's.
constexpr std::string_view kScriptParts[] = {
    "var has_inner = typeof(window.innerWidth) == 'number';",                               // 75
    "var has_element = document.documentElement && document.documentElement.clientWidth;",  // 76
    "var fm_id='floatdiv';",                                                                // 77
    "var floating_menu =",                                                                  // 78
    "document.getElementById",                                                              // 79
    "? document.getElementById(fm_id)",                                                     // 80
    ": document.all",
    " ? document.all[fm_id]",
    " : document.layers[fm_id];",
    "var fm_shift_x, fm_shift_y, fm_next_x, fm_next_y;",
    "function move_menu()",  // 85
    "{",
    "if (document.layers)",
    "   {",
    " floating_menu.left = fm_next_x;",
    "floating_menu.top = fm_next_y;",  // 90
    " }",
    " else",
    "  {",
    "floating_menu.style.left = fm_next_x + 'px';",
    " floating_menu.style.top = fm_next_y + 'px';",  // 95
    " }",
    "}",
    "function compute_shifts()",
    "{",
    "   fm_shift_x = has_inner",  // 100
    "   ? pageXOffset",
    ": has_element",
    "       ? document.documentElement.scrollLeft",
    "     : document.body.scrollLeft;",
    "if (target_x < 0)",  // 105
    "  fm_shift_x += has_inner",
    "    ? (has_element ? document.documentElement.clientWidth : window.innerWidth)",
    ": has_element",
    "       ? document.documentElement.clientWidth",
    "     : document.body.clientWidth;",  // 110
    "fm_shift_y = has_inner",
    "  ? pageYOffset",
    ": has_element",
    "        ? document.documentElement.scrollTop",
    "        : document.body.scrollTop;",  // 115
    "  if (target_y < 0)",
    "     fm_shift_y += has_inner",
    "         ? window.innerHeight",
    ": has_element",
    "      ? document.documentElement.clientHeight",  // 120
    "      : document.body.clientHeight;",
    "}",
    "function float_menu()",
    "{",
    "   var step_x, step_y;",  // 125
    "   compute_shifts();",
    " step_x = (fm_shift_x + target_x - fm_next_x) * ",  // 127, followed by step_x_text
    " if (Math.abs(step_x) < .5)",
    "     step_x = fm_shift_x + target_x - fm_next_x;",
    " step_y = (fm_shift_y + target_y - fm_next_y) *",  // 130, followed by step_y_text
    " if (Math.abs(step_y) < .5)",
    "   step_y = fm_shift_y + target_y - fm_next_y;",
    " if (Math.abs(step_x) > 0 ||",
    "   Math.abs(step_y) > 0)",
    "  {",  // 135
    "     fm_next_x += step_x;",
    "     fm_next_y += step_y;",
    "     move_menu();",
    " }",
    " setTimeout('float_menu()', 20);",  // 140
    "};",
    "compute_shifts();",
    "if (document.layers)",
    "{",
    "  fm_next_x = 0;",  // 145
    "  fm_next_y = 0;",
    "}",
    "else",
    "{",
    "    fm_next_x = fm_shift_x + target_x;",  // 150
    "   fm_next_y = fm_shift_y + target_y;",
    "    move_menu();",
    "}",
    "float_menu();",
    "//--></script>",  // 155
};
static_assert(std::size(kScriptParts) == 155 - 75 + 1);

void fill_floating_parts() {
  constexpr char Q = '"';
  auto& p = html_parts;

  // <div id="floatdiv" style="...">: the absolutely placed box the script moves
  p[0] = "<div id=";
  p[1] = Q;
  p[2] = "floatdiv";
  p[3] = Q;
  p[4] = std::string(" style=") + Q;
  p[5] =
      "position:absolute;width:0px;height:50px;left:0px;top:0px; padding:0px;background:#FFFFFF;"
      "border:0px solid #2266AA";
  p[6] = Q;
  p[7] = ">";

  webcode::detail::fill_shared_object_parts();
  p[67] = "</object></div>";  // the fixed code leaves "</object>" here

  // <script type="text/javascript"> and the two targets
  p[68] = "<script type=";
  p[69] = Q;
  p[70] = "text/javascript";
  p[71] = Q;
  p[72] = ">";
  p[73] = "var target_x = ";
  p[74] = "var target_y =";

  for (std::size_t i = 0; i < std::size(kScriptParts); ++i) p[75 + i] = kScriptParts[i];
  p[127] += step_x_text;
  p[130] += step_y_text;
}

}  // namespace

void make_floating_code() {
  core::yield();

  fill_floating_parts();

  using webcode::detail::parts;
  const std::string crlf = "\r\n";
  std::string code = parts(0, 4) + crlf +               // <div id="floatdiv" style="
                     parts(5, 7) + crlf +               // position:...">
                     crlf +                             // (empty line)
                     webcode::detail::object_lines() +  // <object ...> ... </embed>
                     parts(67, 67) + crlf +             // </object></div>
                     parts(68, 72) + crlf +             // <script type="text/javascript">
                     html_parts[73] + target_x_text + crlf + html_parts[74] + target_y_text + crlf;
  for (int entry = 75; entry <= 77; ++entry) code += html_parts[static_cast<std::size_t>(entry)] + crlf;
  code += parts(78, 79) + crlf;  // var floating_menu =document.getElementById
  for (int entry = 80; entry <= 155; ++entry) code += html_parts[static_cast<std::size_t>(entry)] + crlf;
  code += crlf + crlf;

  switch (code_target) {
    case 1:
      if (auto* box = webcode::detail::floating_code_box()) box->set_text(code);
      break;
    case 2:
      html_code = code;
      break;
    default:
      break;  // built for the table's sake only
  }
}

}  // namespace Module33
