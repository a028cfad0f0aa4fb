#pragma once

// What every movie and browser view shares: the program's URL scheme, which serves Ruffle's
// files and the movies on disk, and one web profile.

#include <QString>
#include <QUrl>
#include <filesystem>

class QWebEngineProfile;

namespace platform::flash {

/// The scheme of the program's own URLs: mellix://app/<absolute path> is a file on disk,
/// mellix://app/__mellix/... the views' own pages and Ruffle.
inline constexpr char kScheme[] = "mellix";

/// Must run before the QApplication exists: registers the scheme, shares one renderer among all
/// views, and lets the web engine start when the program runs as root (its sandbox refuses to).
void prepare_before_application();

/// The one profile of every view, created on first use, with the scheme handler installed.
QWebEngineProfile* profile();
/// Deletes the profile once no view uses it any more (before the application object goes, so
/// that the web engine shuts down after it); a later profile() makes a new one.
void release_profile();

/// Folder holding Ruffle's files: `ruffle/` beside the running executable.
std::filesystem::path ruffle_dir();

/// URL under which the scheme serves the file at `path` (absolute). `version` makes each load a
/// new URL so that a file rewritten under the same name is read afresh.
QUrl file_url(const std::filesystem::path& path, int version = 0);

/// URL of the page that hosts one Ruffle player.
QUrl host_page_url();

/// Text of a resource of this library (the host page's scripts).
QString resource_text(const QString& name);

}  // namespace platform::flash
