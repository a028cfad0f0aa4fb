#include "webcode/sample_page.h"

#include <fstream>

#include "core/errors.h"
#include "core/paths.h"
#include "core/safe_files.h"
#include "engine/files.h"
#include "webcode/page_code.h"

namespace webcode {

namespace {

std::string in_folder(const std::string& folder, const char* name) {
  return (folder.empty() ? core::spd_path("web") : folder) + "/" + name;
}

// Writes the bytes as they are (a path or text with non-ASCII characters keeps its UTF-8
// bytes) beside the file and renames them onto it, so a failed write leaves no half page.
bool write_whole(const std::string& path, const std::string& bytes) {
  return core::ignore_errors([&] {
    core::FileBeside file(path, "write_sample_files");
    std::ofstream out(file.path(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw core::VbError(61, "write_sample_files", "Disk full: " + path);
    file.commit();
  });
}

}  // namespace

std::string sample_page_file(PageKind kind, const std::string& folder) {
  return in_folder(folder, kind == PageKind::floating ? "test.htm" : "test_fixed.htm");
}

std::string sample_text_copy(PageKind kind, const std::string& folder) {
  return in_folder(folder, kind == PageKind::floating ? "test.txt" : "test_fixed.txt");
}

std::string sample_page_text(PageKind kind, const std::string& code) {
  const bool floating = kind == PageKind::floating;
  const std::string filler =
      floating ? "Web Audio with Floating Buttons <BR>" : "Web Audio with Fixed Buttons <BR>";

  std::string page = "<HTML><HEAD></HEAD>";
  page += "<BODY>";
  page += floating ? "<H1>Web Audio with Floating Buttons </H1>" : "<H1>Web Audio with Fixed Buttons </H1>";
  page += code;
  page.reserve(page.size() + 101 * filler.size() + 16);
  for (int i = 0; i < 101; ++i) page += filler;  // long enough to scroll
  page += "</body></html>";
  return page;
}

void build_sample_page(PageKind kind) {
  Module33::sample_page.clear();
  Module33::sample_page = sample_page_text(kind, Module33::html_code);
}

bool write_sample_files(PageKind kind, OldPage old_page, const std::string& folder) {
  const std::string page_file = sample_page_file(kind, folder);
  if (old_page == OldPage::delete_first) Module5::kill_file(page_file);
  const std::string bytes = Module33::sample_page + "\r\n";
  const bool page_written = write_whole(page_file, bytes);
  const bool copy_written = write_whole(sample_text_copy(kind, folder), bytes);
  return page_written && copy_written;
}

void delete_sample_files(const std::string& folder) {
  Module5::kill_file(sample_page_file(PageKind::floating, folder));
  Module5::kill_file(sample_page_file(PageKind::fixed, folder));
  Module5::kill_file(sample_text_copy(PageKind::fixed, folder));
  Module5::kill_file(sample_text_copy(PageKind::floating, folder));
}

bool write_floating_preview(const std::string& movie, const std::string& folder) {
  Module33::code_target = 2;
  Module33::movie_path = movie;
  Module33::html_code.clear();
  Module33::make_floating_code();
  build_sample_page(PageKind::floating);
  return write_sample_files(PageKind::floating, OldPage::overwrite, folder);
}

bool write_floating_sample(const std::string& movie, const std::string& folder) {
  Module33::html_code.clear();
  Module33::movie_path = movie;
  Module33::code_target = 2;
  Module33::make_floating_code();
  build_sample_page(PageKind::floating);
  const bool written = write_sample_files(PageKind::floating, OldPage::delete_first, folder);
  Module33::html_code.clear();
  return written;
}

bool write_fixed_sample(const std::string& movie, const std::string& folder) {
  Module5::kill_file(sample_page_file(PageKind::fixed, folder));
  Module5::kill_file(sample_text_copy(PageKind::fixed, folder));
  Module33::movie_path = movie;
  Module33::html_code.clear();
  Module41::make_fixed_code();
  build_sample_page(PageKind::fixed);
  const bool written = write_sample_files(PageKind::fixed, OldPage::delete_first, folder);
  Module33::html_code.clear();
  return written;
}

}  // namespace webcode
