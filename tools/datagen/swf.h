#pragma once

// The data generator's SWF records on top of the engine's: colours from QColor and shapes
// from painter paths. Everything returns byte strings (one char per byte), as the rest of
// the program holds binary data.

#include <QColor>
#include <QPainterPath>
#include <string>

#include "core/hex.h"
#include "engine/swf_records.h"

namespace datagen::swf {

// The record writers are the engine's; little-endian fields go through the core byte helpers.
using namespace engine::swf;
using core::put_u16le;
using core::put_u32le;

std::string rgb(const QColor& colour);
std::string rgba(const QColor& colour);

/// A one-layer shape definition: the path (in twips) filled with one colour, optionally
/// outlined. Returns the tag; `colour_offset` receives the 0-based offset of the fill's
/// red byte inside the tag. `extra_rect_bits` widens the bounds rectangle.
std::string define_shape3(int id, const QPainterPath& path, const QColor& fill, int* colour_offset = nullptr,
                          int extra_rect_bits = 0, const QColor& line = QColor(), int line_width = 0);

}  // namespace datagen::swf
