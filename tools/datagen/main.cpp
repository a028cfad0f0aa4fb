// Writes the installed data tree beside the executable: spd/ (style templates, page movies,
// sample-page and working folders), spd_back/ (its pristine copy) and pictures/ (style
// thumbnails and the page emblem). Same sources, same bytes.

#include <QGuiApplication>
#include <exception>
#include <filesystem>
#include <iostream>

#include "movies.h"
#include "pictures.h"
#include "templates.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: mellix-datagen OUTPUT_DIR\n";
    return 2;
  }
  // Glyph outlines need the font database, which needs a GUI application; no display is used.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);

  namespace fs = std::filesystem;
  try {
    const fs::path out = argv[1];
    const fs::path spd = out / "spd", spd_back = out / "spd_back", pictures = out / "pictures";
    for (const fs::path& dir : {spd, spd_back, pictures}) fs::remove_all(dir);
    datagen::write_templates(spd);
    datagen::write_page_movies(spd);
    fs::create_directories(spd_back);
    fs::copy(spd, spd_back, fs::copy_options::recursive);
    datagen::write_pictures(pictures);
  } catch (const std::exception& e) {
    std::cerr << "mellix-datagen: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
