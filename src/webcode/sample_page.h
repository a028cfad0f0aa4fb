#pragma once

// The sample pages: a minimal HTML page that holds the page code under a heading and over a
// long run of filler lines (so that the page scrolls and a floating button can be seen
// floating), written as an .htm file and, with the same bytes, as a .txt copy.

#include <string>

namespace webcode {

enum class PageKind { floating, fixed };

/// `<folder>/test.htm` (floating) or `<folder>/test_fixed.htm` (fixed); an empty folder
/// means the installed sample-page folder spd/web.
std::string sample_page_file(PageKind kind, const std::string& folder = {});
/// `<folder>/test.txt` or `<folder>/test_fixed.txt`, the text copy of the page file.
std::string sample_text_copy(PageKind kind, const std::string& folder = {});

/// The page text around `code`: header, heading, the code unchanged, 101 filler lines, end.
std::string sample_page_text(PageKind kind, const std::string& code);
/// Sets Module33::sample_page to the page around the current Module33::html_code.
void build_sample_page(PageKind kind);

enum class OldPage { overwrite, delete_first };

/// Writes Module33::sample_page followed by CR LF to the page file, then the same bytes to
/// the text copy, each created or truncated. With delete_first the page file is deleted
/// beforehand. A file that cannot be written is skipped; returns true when both were written.
bool write_sample_files(PageKind kind, OldPage old_page, const std::string& folder = {});

/// Deletes the four sample files (test.htm, test_fixed.htm, test_fixed.txt, test.txt, in this
/// order), as the step-5 pages do when they load. Missing files are ignored.
void delete_sample_files(const std::string& folder = {});

/// The floating step-5 page's live sample: the floating code for `movie` (`code_target` 2,
/// `html_code` emptied first), the page text, the page file and its text copy overwritten.
/// `html_code` keeps the code for showing the page text later. Errors are skipped; returns
/// true when both files were written.
bool write_floating_preview(const std::string& movie, const std::string& folder = {});

/// The finish page's floating sample: the floating code for `movie` (`code_target` 2), the
/// page text, the page file (deleted first) and its text copy; `html_code` is left empty.
/// Errors are skipped; returns true when both files were written.
bool write_floating_sample(const std::string& movie, const std::string& folder = {});
/// The finish page's fixed sample: both fixed files deleted, the fixed code for `movie`
/// (which also reaches the fixed code box), the page text, page file and text copy written;
/// `html_code` is left empty. Errors are skipped; returns true when both files were written.
bool write_fixed_sample(const std::string& movie, const std::string& folder = {});

}  // namespace webcode
