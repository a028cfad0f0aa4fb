// page-code and sample-page: the page code and the sample pages exactly as the step-5, step-6
// and finish pages produce them, for checking from outside.

#include <cstdio>
#include <iostream>

#include "command.h"
#include "webcode/page_code.h"
#include "webcode/sample_page.h"

namespace {

// The parameters as the pages set them: sizes into both tags' entries, the targets and the
// speed factors as script text with their ";" ("0;", "-200;", "0.07;").
void set_sizes(const std::string& width, const std::string& height) {
  Module33::html_parts[18] = Module33::html_parts[59] = width;
  Module33::html_parts[23] = Module33::html_parts[64] = height;
}

void set_floating(const std::vector<std::string>& a) {
  Module33::target_x_text = a[0];
  Module33::target_y_text = a[1];
  Module33::step_x_text = a[2];
  Module33::step_y_text = a[3];
}

bool is_kind(const std::vector<std::string>& args, const char* kind, std::size_t count) {
  return args.size() == count && args[0] == kind;
}

const std::string page_code_usage =
    "floating MOVIE WIDTH HEIGHT TARGET_X TARGET_Y STEP_X STEP_Y | fixed MOVIE WIDTH HEIGHT\n"
    "      (e.g. floating /srv/a.swf 200 73 '-200;' '0;' '0.07;' '0.07;')";

const bench::Registrar page_code_reg("page-code", page_code_usage,
                                     [](const std::vector<std::string>& args) -> int {
                                       if (is_kind(args, "floating", 8)) {
                                         set_sizes(args[2], args[3]);
                                         set_floating({args.begin() + 4, args.end()});
                                         Module33::movie_path = args[1];
                                         Module33::code_target = 2;
                                         Module33::make_floating_code();
                                       } else if (is_kind(args, "fixed", 4)) {
                                         set_sizes(args[2], args[3]);
                                         Module33::movie_path = args[1];
                                         Module41::make_fixed_code();
                                       } else {
                                         std::cerr << "usage: mellix-bench page-code " << page_code_usage
                                                   << '\n';
                                         return 2;
                                       }
                                       std::fwrite(Module33::html_code.data(), 1, Module33::html_code.size(),
                                                   stdout);
                                       return std::fflush(stdout) == 0 ? 0 : 1;
                                     });

const std::string sample_page_usage =
    "floating MOVIE WIDTH HEIGHT TARGET_X TARGET_Y STEP_X STEP_Y OUT_DIR | fixed MOVIE WIDTH HEIGHT OUT_DIR";

const bench::Registrar sample_page_reg(
    "sample-page", sample_page_usage, [](const std::vector<std::string>& args) -> int {
      bool written = false;
      if (is_kind(args, "floating", 9)) {
        set_sizes(args[2], args[3]);
        set_floating({args.begin() + 4, args.begin() + 8});
        written = webcode::write_floating_sample(args[1], args[8]);
        if (!written)
          std::cerr << "cannot write " << webcode::sample_page_file(webcode::PageKind::floating, args[8])
                    << '\n';
      } else if (is_kind(args, "fixed", 5)) {
        set_sizes(args[2], args[3]);
        written = webcode::write_fixed_sample(args[1], args[4]);
        if (!written)
          std::cerr << "cannot write " << webcode::sample_page_file(webcode::PageKind::fixed, args[4])
                    << '\n';
      } else {
        std::cerr << "usage: mellix-bench sample-page " << sample_page_usage << '\n';
        return 2;
      }
      return written ? 0 : 1;
    });

}  // namespace
