#include "platform/flash/browser_control.h"

#include <QFile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include "platform/flash/movie_page.h"
#include "platform/flash/runtime.h"

namespace platform::flash {

namespace {

// Runs in every page before its own scripts: the fetch route, the players' frames, Ruffle's
// configuration, Ruffle.
QWebEngineScript ruffle_script() {
  static const QString source = [] {
    QFile ruffle(QString::fromStdString((ruffle_dir() / "ruffle.js").string()));
    const QString ruffle_js =
        ruffle.open(QIODevice::ReadOnly) ? QString::fromUtf8(ruffle.readAll()) : QString();
    return resource_text("fetch_shim.js") + "\n" + resource_text("frames.js") + "\n" +
           resource_text("browser_config.js") + "\n" + ruffle_js;
  }();
  QWebEngineScript script;
  script.setName("ruffle");
  script.setSourceCode(source);
  script.setInjectionPoint(QWebEngineScript::DocumentCreation);
  script.setWorldId(QWebEngineScript::MainWorld);
  script.setRunsOnSubFrames(true);
  return script;
}

}  // namespace

BrowserControl::BrowserControl(QWidget* parent) : WebControl(parent) {}

BrowserControl::~BrowserControl() = default;

void BrowserControl::Navigate(const std::string& path) {
  location_ = path;
  ++generation_;
  navigate_view();
}

void BrowserControl::view_created() {
  page()->scripts().insert(ruffle_script());
  connect(page(), &QWebEnginePage::loadFinished, this, &BrowserControl::pageLoaded);
  navigate_view();
}

void BrowserControl::navigate_view() {
  if (view() && !location_.empty()) view()->load(file_url(location_, generation_));
}

}  // namespace platform::flash
