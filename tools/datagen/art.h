#pragma once

// The drawings behind every generated movie and picture: layers of filled painter paths in
// twips, glyph outlines of the Liberation fonts, and the player designs of the style families.
// The SWF writer and the picture renderer both draw from these, so a thumbnail shows what
// its movie looks like.

#include <QColor>
#include <QPainterPath>
#include <string>
#include <vector>

namespace datagen {

/// One filled (and optionally outlined) path; the unit is the twip (1/20 pixel).
struct Layer {
  QPainterPath path;
  QColor fill;
  QColor line = QColor();
  int line_width = 0;
};

/// Outline of a text line in Liberation Sans (bold when asked), its baseline starting at
/// (x, y), `size` twips high (the em size).
QPainterPath text_path(const std::string& text, double x, double y, double size, bool bold = false);
/// The same text centred horizontally on `cx`.
QPainterPath text_centred(const std::string& text, double cx, double y, double size, bool bold = false);

QPainterPath rounded_rect(double x, double y, double w, double h, double radius);
QPainterPath circle(double cx, double cy, double r);
QPainterPath regular_polygon(double cx, double cy, double r, int corners, double turn_degrees = 0);
/// Play triangle, pause bars and stop square of size `s`, centred on (cx, cy).
QPainterPath play_icon(double cx, double cy, double s);
QPainterPath pause_icon(double cx, double cy, double s);
QPainterPath stop_icon(double cx, double cy, double s);
/// A loudspeaker with two sound waves, `s` high, its left edge at x.
QPainterPath speaker_icon(double x, double cy, double s);

enum class ButtonRole { kPlay, kPause, kStop, kToggle };

/// One button of a player: its body takes the button colour; the icon sits on top.
struct ButtonArt {
  ButtonRole role;
  QPainterPath body;  // centred on (0, 0)
  double cx = 0, cy = 0;
  QPainterPath shine;  // optional highlight over the body, centred like the body
  QColor icon_colour;
  double icon_size = 0;
};

/// A whole player: stage size, the layers under the buttons, the buttons, and the colour the
/// buttons have until the user picks one.
struct Design {
  int width = 0, height = 0;  // twips
  QColor background;
  std::vector<Layer> decor;
  std::vector<ButtonArt> buttons;
  QColor button_colour;
  bool shared_body = false;  // all buttons draw one body shape (one colour for all)
};

/// The six wide players whose buttons share one colour (style 1..6).
Design sam_design(int style);
/// The six player shapes whose three buttons are coloured one by one (shape 1..6); button
/// i (0..2) is colour target i + 1.
Design ind_design(int shape);
/// The six single play/stop buttons (style 1..6).
Design sin_design(int style);

/// Icon path of a role at the button's place.
QPainterPath icon_path(ButtonRole role, double cx, double cy, double s);

}  // namespace datagen
