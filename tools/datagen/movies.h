#pragma once

// The page movies: backdrops of the wizard pages, the status animations of the microphone
// and speech pages, the progress animation and the empty movies.

#include <QColor>
#include <QTransform>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "art.h"

namespace datagen {

/// A layer that moves: its place (scale and translation only) and opacity per frame.
struct Motion {
  Layer layer;
  std::function<QTransform(int frame)> place;
  std::function<double(int frame)> opacity;
};

/// A movie of still layers and moving ones, looping over `frames` frames at `kPageMovieRate`
/// a second.
struct Movie {
  int width = 0, height = 0;  // twips
  QColor background;
  std::vector<Layer> still;
  std::vector<Motion> moving;
  int frames = 1;
};

/// The frame rate of the page movies. Every frame a page shows costs the movie views a full
/// redraw and copy, however little of it moves, and most of a page's idle CPU, so the
/// decoration steps at a quarter of the rate of the button movies.
constexpr int kPageMovieRate = 6;

/// The movie as an uncompressed SWF file.
std::string movie_bytes(const Movie& movie);
/// A movie with no content: one empty frame.
std::string empty_movie();

/// One page's backdrop or status movie under its file name.
struct NamedMovie {
  std::string file;  // relative to spd
  Movie movie;
};
std::vector<NamedMovie> page_movies();

/// Writes the page movies, the empty movies, the sample-page folder and the working folders.
void write_page_movies(const std::filesystem::path& spd);

}  // namespace datagen
