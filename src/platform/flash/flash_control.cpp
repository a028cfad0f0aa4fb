#include "platform/flash/flash_control.h"

#include <QColor>
#include <QJsonDocument>
#include <QJsonValue>
#include <QWebEngineView>

#include "platform/flash/movie_page.h"
#include "platform/flash/runtime.h"
#include "platform/flash/stage_colour.h"

namespace platform::flash {

namespace {

// A JavaScript string literal holding `text`.
QString js_string(const QString& text) {
  return QString::fromUtf8(QJsonDocument::fromVariant(QVariantList{text}).toJson(QJsonDocument::Compact))
      .mid(1)
      .chopped(1);
}

// "RRGGBB" as a CSS colour, or "" when it is no colour.
QString css_colour(const std::string& rrggbb) {
  if (rrggbb.size() != 6) return {};
  const QColor colour(QString::fromStdString("#" + rrggbb));
  return colour.isValid() ? colour.name() : QString();
}

}  // namespace

FlashControl::FlashControl(QWidget* parent) : WebControl(parent) { setContextMenuPolicy(Qt::NoContextMenu); }

FlashControl::~FlashControl() = default;

void FlashControl::LoadMovie(int /*layer*/, const std::string& path) {
  movie_ = path;
  movie_colour_ = stage_colour(path);
  movie_sounds_ = has_sounds(path);
  playing_ = true;
  ++generation_;
  show_ground();
  if (page_ready_) start_movie();
}

void FlashControl::Play() {
  playing_ = true;
  if (page_ready_) run("mellix.play()");
}

void FlashControl::Stop() {
  playing_ = false;
  if (page_ready_) run("mellix.stop()");
}

void FlashControl::BGColor(const std::string& rrggbb) {
  background_ = rrggbb;
  show_ground();
  if (page_ready_) run("mellix.background(" + js_string(css_colour(background_)) + ")");
}

std::string FlashControl::BGColor() const { return background_; }

void FlashControl::view_created() {
  page()->on_console([this](const QString& message) { on_console(message); });
  page_ready_ = false;
  view()->load(host_page_url());
}

void FlashControl::view_releasing() { page_ready_ = false; }

void FlashControl::run(const QString& script) {
  if (page()) page()->runJavaScript(script);
}

void FlashControl::show_ground() {
  // The chosen background, else the movie's stage colour, else the stage colour a movie
  // without one gets: white.
  const QString chosen = css_colour(background_);
  if (!chosen.isEmpty())
    set_ground(QColor(chosen));
  else
    set_ground(movie_colour_ ? QColor::fromRgb(*movie_colour_) : QColor(Qt::white));
}

void FlashControl::start_movie() {
  if (movie_.empty()) return;
  const QUrl url = file_url(movie_, generation_);
  run(QStringLiteral("mellix.load(%1, %2, %3, %4)")
          .arg(js_string(url.toString(QUrl::FullyEncoded)), js_string(css_colour(background_)))
          .arg(generation_)
          .arg(movie_sounds_ ? "true" : "false"));
  if (!playing_) run("mellix.stop()");
}

void FlashControl::on_console(const QString& message) {
  if (!message.startsWith("mellix:")) return;
  const QStringList words = message.mid(7).split(' ');
  const QString what = words.value(0);
  if (what == "ready") {
    page_ready_ = true;
    start_movie();
    return;
  }
  if (words.value(1).toInt() != generation_) return;  // about an older load
  if (what == "shown") emit movieShown();
  if (what == "error") emit movieFailed(words.mid(2).join(' '));
}

}  // namespace platform::flash
