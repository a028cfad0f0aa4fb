#include "platform/flash/browser_control.h"

#include <QFile>
#include <QVBoxLayout>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>
#include <cmath>

#include "platform/flash/movie_page.h"
#include "platform/flash/runtime.h"

namespace platform::flash {

namespace {

// Runs in every page before its own scripts: the fetch route, Ruffle's configuration, Ruffle.
QWebEngineScript ruffle_script() {
  static const QString source = [] {
    QFile ruffle(QString::fromStdString((ruffle_dir() / "ruffle.js").string()));
    const QString ruffle_js =
        ruffle.open(QIODevice::ReadOnly) ? QString::fromUtf8(ruffle.readAll()) : QString();
    return resource_text("fetch_shim.js") + "\n" + resource_text("browser_config.js") + "\n" + ruffle_js;
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

BrowserControl::BrowserControl(QWidget* parent) : TwipsControl(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
}

BrowserControl::~BrowserControl() { release_view(); }

void BrowserControl::Navigate(const std::string& path) {
  location_ = path;
  ++generation_;
  navigate_view();
}

void BrowserControl::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!view_) create_view();
}

void BrowserControl::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  release_view();
}

void BrowserControl::create_view() {
  page_ = new MoviePage(this);
  page_->scripts().insert(ruffle_script());
  view_ = new QWebEngineView(this);
  view_->setPage(page_);
  layout()->addWidget(view_);
  connect(page_, &QWebEnginePage::loadFinished, this, &BrowserControl::pageLoaded);
  view_->show();
  navigate_view();
}

void BrowserControl::release_view() {
  if (!view_) return;
  delete view_;
  view_ = nullptr;
  delete page_;
  page_ = nullptr;
}

void BrowserControl::navigate_view() {
  if (view_ && !location_.empty()) view_->load(file_url(location_, generation_));
}

}  // namespace platform::flash
