#include "movies.h"

#include <cmath>
#include <fstream>
#include <numbers>
#include <stdexcept>

#include "output.h"
#include "swf.h"

namespace datagen {

namespace sw = datagen::swf;

namespace {

constexpr int kVersion = 8;

// Geometry is given in pixels, as the pages place their controls; the movies use twips.
constexpr double px(double pixels) { return pixels * 20.0; }

std::string cxform_alpha(double alpha) {
  sw::BitWriter w;
  w.put(0, 1);  // HasAddTerms
  w.put(1, 1);  // HasMultTerms
  const int a = static_cast<int>(std::lround(alpha * 256.0));
  w.put(10, 4);  // Nbits
  for (int v : {256, 256, 256, a}) w.put_signed(v, 10);
  return w.finish();
}

std::string place_moving(int depth, int id, bool first, const QTransform& t, double alpha) {
  std::string body;
  body.push_back(
      static_cast<char>(0x08 | 0x04 | (first ? 0x02 : 0x01)));  // HasColorTransform, HasMatrix, new or Move
  sw::put_u16le(body, static_cast<std::uint16_t>(depth));
  if (first) sw::put_u16le(body, static_cast<std::uint16_t>(id));
  body += sw::matrix_scaled(t.m11(), t.m22(), static_cast<int>(std::lround(t.dx())),
                            static_cast<int>(std::lround(t.dy())));
  body += cxform_alpha(alpha);
  return sw::tag(sw::kPlaceObject2, body);
}

}  // namespace

std::string movie_bytes(const Movie& m) {
  std::string out = sw::header(kVersion, m.width, m.height, m.frames);
  // The header closes with the frame rate (8.8 fixed point) and the frame count.
  out[out.size() - 4] = 0;
  out[out.size() - 3] = static_cast<char>(kPageMovieRate);
  out += sw::tag(sw::kSetBackgroundColor, sw::rgb(m.background));
  int id = 1;
  int depth = 1;
  std::string first_frame;
  for (const Layer& layer : m.still) {
    out += sw::define_shape3(id, layer.path, layer.fill, nullptr, 0, layer.line, layer.line_width);
    first_frame += sw::place_object(depth++, id++);
  }
  const int first_moving_id = id;
  const int first_moving_depth = depth;
  for (const Motion& motion : m.moving) {
    out += sw::define_shape3(id++, motion.layer.path, motion.layer.fill, nullptr, 0, motion.layer.line,
                             motion.layer.line_width);
  }
  out += first_frame;
  for (int f = 0; f < m.frames; ++f) {
    for (std::size_t i = 0; i < m.moving.size(); ++i) {
      const Motion& motion = m.moving[i];
      out += place_moving(first_moving_depth + static_cast<int>(i), first_moving_id + static_cast<int>(i),
                          f == 0, motion.place ? motion.place(f) : QTransform(),
                          motion.opacity ? motion.opacity(f) : 1.0);
    }
    out += sw::tag(sw::kShowFrame, {});
  }
  out += sw::tag(sw::kEnd, {});
  sw::set_file_length(out);
  return out;
}

std::string empty_movie() {
  std::string out = sw::header(kVersion, static_cast<int>(px(100)), static_cast<int>(px(100)), 1);
  out += sw::tag(sw::kShowFrame, {});
  out += sw::tag(sw::kEnd, {});
  sw::set_file_length(out);
  return out;
}

namespace {

const QColor kPage(236, 241, 247);
const QColor kBand(38, 70, 120);
const QColor kTitle(255, 255, 255);
const QColor kText(30, 40, 60);
const QColor kAccent(240, 140, 40);

double pulse(int frame, int frames, double phase) {
  return 0.5 + 0.5 * std::sin(2.0 * std::numbers::pi * (static_cast<double>(frame) / frames + phase));
}

// Five bars of a level meter that rise and fall out of step, bottoms on `base`.
void add_meter(Movie& m, double x, double base, double width, double height, const QColor& colour) {
  const double bar = width / 9.0;
  for (int i = 0; i < 5; ++i) {
    Layer layer{rounded_rect(0, -height, bar * 1.2, height, bar * 0.3), colour};
    const double phase = i * 0.23;
    const double left = x + i * bar * 1.9;
    m.moving.push_back({layer,
                        [=, frames = m.frames](int f) {
                          const double s = 0.25 + 0.75 * pulse(f, frames, phase);
                          return QTransform(1, 0, 0, s, left, base);
                        },
                        {}});
  }
}

// Three dots that light up one after the other.
void add_dots(Movie& m, double x, double y, double r, const QColor& colour) {
  for (int i = 0; i < 3; ++i) {
    Layer layer{circle(0, 0, r), colour};
    const double left = x + i * r * 3.2;
    m.moving.push_back({layer, [=](int) { return QTransform::fromTranslate(left, y); },
                        [=, frames = m.frames](int f) { return 0.2 + 0.8 * pulse(f, frames, -i / 3.0); }});
  }
}

// A wizard page: a band with the step's title, a soft page colour, a level meter that moves
// in the band, and the texts that stand beside the page's captionless options.
struct PageText {
  std::string text;
  double x, y;  // pixels: left end and vertical centre
};

Movie backdrop(int width_px, int height_px, int client_w, const std::string& title,
               const std::vector<PageText>& texts, double band = 70, const QRectF& card = QRectF()) {
  Movie m;
  m.width = static_cast<int>(px(width_px));
  m.height = static_cast<int>(px(height_px));
  m.background = kPage;
  m.frames = 2 * kPageMovieRate;  // one beat every two seconds
  m.still.push_back({rounded_rect(0, 0, px(width_px), px(band), 0), kBand});
  m.still.push_back({rounded_rect(0, px(band), px(width_px), px(4), 0), kAccent});
  m.still.push_back({text_path(title, px(118), px(band / 2 + 11), px(22), true), kTitle});
  if (!card.isNull()) {
    m.still.push_back({rounded_rect(px(card.x()), px(card.y()), px(card.width()), px(card.height()), px(10)),
                       QColor(255, 255, 255), QColor(190, 200, 215), 30});
  }
  for (const PageText& t : texts)
    m.still.push_back({text_path(t.text, px(t.x), px(t.y + 5.5), px(15)), kText});
  add_meter(m, px(client_w - 70), px(band - 14), px(50), px(band - 34), QColor(255, 255, 255, 200));
  return m;
}

// A status line: an icon, the text that says what is going on, and dots that keep moving.
enum class Icon { kTalker, kMicrophone, kSpeaker, kPlay, kPause, kStop, kRewind, kText, kTick };

QPainterPath status_icon(Icon icon, double cx, double cy, double s) {
  switch (icon) {
    case Icon::kTalker: {  // a head and shoulders, a sound wave before the mouth
      QPainterPath p = circle(cx - 0.15 * s, cy - 0.22 * s, 0.22 * s);
      p.addPath(rounded_rect(cx - 0.5 * s, cy + 0.08 * s, 0.7 * s, 0.42 * s, 0.2 * s));
      QPainterPath wave;
      wave.addEllipse(QPointF(cx + 0.1 * s, cy - 0.2 * s), 0.34 * s, 0.34 * s);
      QPainterPath inner;
      inner.addEllipse(QPointF(cx + 0.1 * s, cy - 0.2 * s), 0.26 * s, 0.26 * s);
      QPainterPath clip;
      clip.addRect(QRectF(cx + 0.2 * s, cy - 0.6 * s, 0.4 * s, 0.8 * s));
      p.addPath(wave.subtracted(inner).intersected(clip));
      return p;
    }
    case Icon::kMicrophone: {
      QPainterPath p = rounded_rect(cx - 0.18 * s, cy - 0.5 * s, 0.36 * s, 0.62 * s, 0.18 * s);
      p.addRect(QRectF(cx - 0.04 * s, cy + 0.18 * s, 0.08 * s, 0.22 * s));
      p.addRect(QRectF(cx - 0.22 * s, cy + 0.38 * s, 0.44 * s, 0.08 * s));
      return p;
    }
    case Icon::kSpeaker:
      return speaker_icon(cx - 0.5 * s, cy, s);
    case Icon::kPlay:
      return play_icon(cx, cy, s);
    case Icon::kPause:
      return pause_icon(cx, cy, s);
    case Icon::kStop:
      return stop_icon(cx, cy, s);
    case Icon::kRewind: {
      QPainterPath p = play_icon(cx + 0.1 * s, cy, 0.7 * s);
      p = QTransform(-1, 0, 0, 1, 2 * cx, 0).map(p);
      p.addRect(QRectF(cx - 0.45 * s, cy - 0.32 * s, 0.1 * s, 0.64 * s));
      return p;
    }
    case Icon::kText: {
      QPainterPath p;
      for (int i = 0; i < 4; ++i)
        p.addRect(QRectF(cx - 0.4 * s, cy - 0.4 * s + i * 0.22 * s, (i == 3 ? 0.5 : 0.8) * s, 0.1 * s));
      return p;
    }
    case Icon::kTick: {
      QPolygonF tick;
      tick << QPointF(cx - 0.45 * s, cy) << QPointF(cx - 0.3 * s, cy - 0.15 * s)
           << QPointF(cx - 0.12 * s, cy + 0.05 * s) << QPointF(cx + 0.32 * s, cy - 0.42 * s)
           << QPointF(cx + 0.47 * s, cy - 0.27 * s) << QPointF(cx - 0.12 * s, cy + 0.35 * s)
           << QPointF(cx - 0.45 * s, cy);
      QPainterPath p;
      p.addPolygon(tick);
      p.closeSubpath();
      return p;
    }
  }
  return {};
}

Movie status(const std::string& text, Icon icon, const QColor& colour) {
  Movie m;
  m.width = static_cast<int>(px(321));
  m.height = static_cast<int>(px(81));
  m.background = QColor(250, 251, 253);
  m.frames = 3 * kPageMovieRate / 2;
  m.still.push_back({rounded_rect(px(2), px(2), px(317), px(77), px(12)), QColor(255, 255, 255), colour, 40});
  m.still.push_back({status_icon(icon, px(38), px(40), px(40)), colour});
  m.still.push_back({text_path(text, px(72), px(47), px(17), true), kText});
  add_dots(m, px(272), px(66), px(3.5), colour);
  return m;
}

}  // namespace

std::vector<NamedMovie> page_movies() {
  // Page sizes in pixels: the Flash control covers the reference page's outer size; the
  // client area is what the user sees of it.
  constexpr int kStepW = 733, kStepH = 553, kStepClient = 725;  // the step pages
  constexpr int kTestW = 842, kTestH = 549;                     // the hidden test form
  constexpr int kGalleryW = 812, kGalleryH = 620, kGalleryClient = 804;

  // Step 1: the three captionless options at 216 px, their texts just right of them.
  const std::vector<PageText> step1 = {{"Speak a text with a computer voice", 240, 188.5},
                                       {"Record from the microphone", 240, 232.5},
                                       {"Open an MP3 or WAV file", 240, 280.5}};
  // Gallery: the mode options at 184 px.
  const std::vector<PageText> gallery = {{"Colour all buttons", 204, 316.5},
                                         {"Single Play/Stop button", 204, 340.5},
                                         {"Background colour", 204, 364.5},
                                         {"Preview", 600, 358}};
  // Floating step 5: the corner and speed options at 24 px, the size boxes at 80 px.
  const std::vector<PageText> floating = {{"Float to the corner:", 16, 130},
                                          {"Top left", 46, 156},
                                          {"Top right", 46, 180},
                                          {"Follow the scrolling:", 16, 208},
                                          {"At once", 46, 234},
                                          {"Quickly", 46, 258},
                                          {"Gliding", 46, 282},
                                          {"Size in pixels:", 16, 310},
                                          {"Width", 24, 337},
                                          {"Height", 24, 365}};
  // Step 6: the save-path box and the code box at 144 px.
  const std::vector<PageText> step6 = {{"Save to:", 72, 180.5}, {"Code:", 72, 220}};

  // Fixed step 5: what the two size boxes at 144 and 224 px hold.
  const std::vector<PageText> fixed_step5 = {{"Size:", 72, 188.5}, {"x", 208, 188.5}};

  const QColor green(40, 150, 80), red(200, 50, 50), blue(40, 90, 170), orange(220, 130, 30);
  std::vector<NamedMovie> movies = {
      {"SWF/form8.swf", backdrop(kTestW, kTestH, kStepClient, "Step 1: Where does your sound come from?",
                                 step1, 70, QRectF(200, 150, 330, 165))},
      {"SWF/form4.swf", backdrop(kStepW, kStepH, kStepClient, "Step 2: Open an MP3 or WAV file", {})},
      {"SWF/form9.swf", backdrop(kTestW, kTestH, kStepClient, "Step 2: Record from the microphone", {})},
      {"SWF/form10.swf", backdrop(kTestW, kTestH, kStepClient, "Step 2: Let a voice speak your text", {})},
      {"SWF/form2.swf",
       backdrop(kGalleryW, kGalleryH, kGalleryClient, "Step 3: Pick a style and its colours", gallery, 56)},
      {"SWF/form3.swf", backdrop(kStepW, kStepH, kStepClient, "Step 4: A fixed or a floating button?", {})},
      {"SWF/form11.swf", backdrop(kStepW, kStepH, kStepClient, "Step 5: How the button floats", floating)},
      {"SWF/form7.swf", backdrop(kStepW, kStepH, kStepClient, "Step 6: Save and encode", step6)},
      {"SWF/form14.swf",
       backdrop(kStepW, kStepH, kStepClient, "Step 5: Size, autoplay and save", fixed_step5)},
      {"SWF/form12_a.swf", backdrop(kStepW, kStepH, kStepClient, "Finished: your audio button is ready", {})},
      // Microphone page.
      {"SWF/start_recording_background.swf", status("Press Start Recording", Icon::kMicrophone, blue)},
      {"SWF/talking_girl.swf", status("Recording... speak now", Icon::kTalker, red)},
      {"SWF/recording_stopped.swf", status("Recording stopped", Icon::kStop, blue)},
      {"SWF/playing.swf", status("Playing", Icon::kPlay, green)},
      {"SWF/paused.swf", status("Paused", Icon::kPause, orange)},
      {"SWF/resumed.swf", status("Playing again", Icon::kPlay, green)},
      {"SWF/stop.swf", status("Stopped", Icon::kStop, blue)},
      {"SWF/begining_of_recorded_sound.swf", status("Back at the beginning", Icon::kRewind, blue)},
      {"SWF/can_record_sound_again.swf", status("You can record again", Icon::kMicrophone, blue)},
      // Speech page.
      {"SWF/select_voice.swf", status("Choose a kind of voice", Icon::kSpeaker, blue)},
      {"SWF/default_voice_selected.swf", status("Default voice selected", Icon::kSpeaker, green)},
      {"SWF/natural_voice_selected.swf", status("Natural voice selected", Icon::kSpeaker, green)},
      {"SWF/select_text.swf", status("Select a text, then Get it", Icon::kText, blue)},
      {"SWF/start_recording.swf", status("Press Start Recording Text", Icon::kText, blue)},
      {"SWF/recording_text_animated.swf", status("Recording the text...", Icon::kSpeaker, red)},
      {"SWF/recording_text_complete.swf", status("Recording complete", Icon::kTick, green)},
  };

  // Progress page: the page is 462 x 116 px with the "Encoding Sound ..." label at its top.
  Movie progress;
  progress.width = static_cast<int>(px(462));
  progress.height = static_cast<int>(px(116));
  progress.background = QColor(245, 247, 250);
  progress.frames = 3 * kPageMovieRate / 2;
  progress.still.push_back({text_path("Reading the sound", px(48), px(66), px(16), true), kText});
  add_meter(progress, px(370), px(74), px(70), px(60), QColor(128, 0, 128));
  add_dots(progress, px(200), px(61), px(3.5), QColor(128, 0, 128));
  movies.push_back({"SWF/Sound_Processing.swf", progress});
  return movies;
}

namespace {

// The page the floating step shows before its first refresh.
constexpr const char* kPlaceholderPage =
    "<html>\r\n<head>\r\n<title>Sample page</title>\r\n</head>\r\n"
    "<body bgcolor=\"#FFFFFF\">\r\n"
    "<p><font face=\"Arial\" size=\"2\">Press &quot;Refresh View/Show&quot; to see the floating button "
    "on a sample page.</font></p>\r\n"
    "</body>\r\n</html>\r\n";

}  // namespace

void write_page_movies(const std::filesystem::path& spd) {
  for (const NamedMovie& m : page_movies()) write_file(spd / m.file, movie_bytes(m.movie));
  write_file(spd / "blank.swf", empty_movie());
  write_file(spd / "SWF/blank2.swf", empty_movie());
  write_file(spd / "web/t.htm", kPlaceholderPage);
  std::filesystem::create_directories(spd / "twav");
  std::filesystem::create_directories(spd / "wvtemp");
}

}  // namespace datagen
