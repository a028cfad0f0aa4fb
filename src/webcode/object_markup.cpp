#include "webcode/object_markup.h"

// The object/embed markup that the fixed and the floating code share, and the code boxes
// that the pages install.

#include <algorithm>
#include <iterator>
#include <utility>

#include "core/hex.h"

namespace webcode {

namespace {
CodeBox* floating_box = nullptr;
CodeBox* fixed_box = nullptr;
}  // namespace

void set_floating_code_box(CodeBox* box) { floating_box = box; }
void set_fixed_code_box(CodeBox* box) { fixed_box = box; }

namespace detail {

std::string attribute_value(const std::string& text) {
  static constexpr std::pair<char, const char*> kReferences[] = {
      {'&', "&amp;"}, {'"', "&quot;"}, {'\'', "&#39;"}, {'<', "&lt;"}, {'>', "&gt;"}};
  std::string escaped;
  for (char c : text) {
    const auto* found = std::find_if(std::begin(kReferences), std::end(kReferences),
                                     [c](const auto& reference) { return reference.first == c; });
    if (found == std::end(kReferences))
      escaped += c;
    else
      escaped += found->second;
  }
  return escaped;
}

std::string movie_url(const std::string& path) {
  // A browser drops the spaces that end the whole address; those that end any name are
  // escaped alike, so that a name reads the same wherever it stands.
  const auto ends_name = [&](std::size_t i) {
    const std::size_t next = path.find_first_not_of(' ', i);
    return next == std::string::npos || path[next] == '/';
  };
  std::string url;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    if (c == '%' || c == '#' || c == '?' || (c == ' ' && ends_name(i)))
      url += '%' + core::to_hex(static_cast<unsigned char>(c));  // all of them two digits
    else
      url += c;
  }
  return url;
}

CodeBox* floating_code_box() { return floating_box; }
CodeBox* fixed_code_box() { return fixed_box; }

std::string parts(int first, int last) {
  std::string joined;
  for (int i = first; i <= last; ++i) joined += Module33::html_parts[static_cast<std::size_t>(i)];
  return joined;
}

void fill_shared_object_parts() {
  constexpr char Q = '"';
  auto& p = Module33::html_parts;

  // <object classid="..."
  p[8] = "<object classid=";
  p[9] = Q;
  p[10] = "clsid:D27CDB6E-AE6D-11cf-96B8-444553540000";
  p[11] = Q;
  // codebase="...": where a browser without the player fetches its cab
  p[12] = "codebase=";
  p[13] = Q;
  p[14] = "http://download.macromedia.com/pub/shockwave/cabs/flash/swflash.cab#version=6,0,29,0";
  p[15] = Q;
  // width="W" height="H">  (18 and 23 belong to the step-5 pages)
  p[16] = "width=";
  p[17] = Q;
  p[19] = Q;
  p[20] = " ";
  p[21] = "height=";
  p[22] = Q;
  p[24] = Q;
  p[25] = ">";
  // <param name="movie" value="M">
  p[26] = "<param name=";
  p[27] = Q;
  p[28] = std::string("movie") + Q;
  p[29] = " value=";
  p[30] = Q;
  p[31] = attribute_value(movie_url(Module33::movie_path)) + Q;
  p[32] = ">";
  // <param name="quality" value="high">
  p[33] = "<param name=";
  p[34] = Q;
  p[35] = std::string("quality") + Q;
  p[36] = " value=";
  p[37] = Q;
  p[38] = std::string("high") + Q;
  p[39] = ">";
  // <embed src="M"
  p[40] = "<embed src=";
  p[41] = Q;
  p[42] = attribute_value(movie_url(Module33::movie_path)) + Q;
  // quality="high" pluginspage="..."
  p[43] = "quality=";
  p[44] = Q;
  p[45] = "high";
  p[46] = Q;
  p[47] = " ";
  p[48] = "pluginspage=";
  p[49] = Q;
  p[50] = "http://www.macromedia.com/go/getflashplayer";
  p[51] = Q;
  // type="application/x-shockwave-flash" width="W" height="H"></embed>  (59 and 64 likewise)
  p[52] = "";
  p[53] = "type=";
  p[54] = Q;
  p[55] = "application/x-shockwave-flash";
  p[56] = Q;
  p[57] = " width=";
  p[58] = Q;
  p[60] = Q;
  p[61] = " ";
  p[62] = "height=";
  p[63] = Q;
  p[65] = Q;
  p[66] = "></embed>";
}

std::string object_lines() {
  const std::string crlf = "\r\n";
  return parts(8, 11) + crlf +   // <object classid="..."
         parts(12, 15) + crlf +  // codebase="..."
         parts(16, 25) + crlf +  // width="W" height="H">
         parts(26, 32) + crlf +  // <param name="movie" ...>
         parts(33, 39) + crlf +  // <param name="quality" ...>
         parts(40, 42) + crlf +  // <embed src="M"
         parts(43, 51) + crlf +  // quality="high" pluginspage="..."
         parts(52, 66) + crlf;   // type=... width=... height=...></embed>
}

}  // namespace detail

}  // namespace webcode
