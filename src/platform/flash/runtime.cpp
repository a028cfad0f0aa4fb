#include "platform/flash/runtime.h"

#include <unistd.h>

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <cstdlib>
#include <string>

#include "core/paths.h"

namespace platform::flash {

namespace {

QByteArray mime_type(const QString& path) {
  static const QHash<QString, QByteArray> types = {
      {"wasm", "application/wasm"}, {"js", "text/javascript"}, {"swf", "application/x-shockwave-flash"},
      {"htm", "text/html"},         {"html", "text/html"},     {"txt", "text/plain"},
      {"css", "text/css"},          {"png", "image/png"},      {"gif", "image/gif"},
      {"jpg", "image/jpeg"},        {"jpeg", "image/jpeg"},    {"bmp", "image/bmp"},
      {"mp3", "audio/mpeg"},        {"wav", "audio/wav"},
  };
  const QString extension = path.section('.', -1).toLower();
  return types.value(extension, "application/octet-stream");
}

void reply(QWebEngineUrlRequestJob* job, const QByteArray& type, const QByteArray& bytes) {
  auto* buffer = new QBuffer(job);
  buffer->setData(bytes);
  buffer->open(QIODevice::ReadOnly);
  job->reply(type, buffer);
}

void reply_file(QWebEngineUrlRequestJob* job, const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    job->fail(QWebEngineUrlRequestJob::UrlNotFound);
    return;
  }
  reply(job, mime_type(path), file.readAll());
}

// mellix://app/__mellix/host.html      the page of one movie view (from the library's resources)
// mellix://app/__mellix/<script>.js     its scripts
// mellix://app/__mellix/ruffle/<name>   Ruffle's files beside the executable
// mellix://app/<absolute path>          any file on disk, read afresh at each request, so that
//                                       a page's relative and absolute links work as on disk
class SchemeHandler : public QWebEngineUrlSchemeHandler {
 public:
  using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

  void requestStarted(QWebEngineUrlRequestJob* job) override {
    const QString path = job->requestUrl().path();
    static const QString own = "/__mellix/";
    if (!path.startsWith(own)) {
      reply_file(job, path);
      return;
    }
    const QString name = path.mid(own.size());
    if (name.startsWith("ruffle/")) {
      const QString file = name.mid(7);
      if (file.isEmpty() || file.contains('/') || file.startsWith('.')) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
      }
      reply_file(job, QString::fromStdString((ruffle_dir() / file.toStdString()).string()));
      return;
    }
    QFile resource(":/flash/" + name);
    if (name.contains('/') || !resource.open(QIODevice::ReadOnly)) {
      job->fail(QWebEngineUrlRequestJob::UrlNotFound);
      return;
    }
    reply(job, mime_type(name), resource.readAll());
  }
};

}  // namespace

void prepare_before_application() {
  static bool done = false;
  if (done) return;
  done = true;

  QWebEngineUrlScheme scheme(kScheme);
  scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
  scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::LocalScheme |
                  QWebEngineUrlScheme::LocalAccessAllowed);
  QWebEngineUrlScheme::registerScheme(scheme);

  std::string flags;
  if (const char* old = std::getenv("QTWEBENGINE_CHROMIUM_FLAGS")) flags = old;
  // A flag given in the environment wins over ours.
  const auto add = [&flags](const std::string& name, const std::string& value = {}) {
    if (flags.find(name) != std::string::npos) return;
    if (!flags.empty()) flags += ' ';
    flags += value.empty() ? name : name + "=" + value;
  };
  // Every view shares one renderer process: a page of movies then costs one process, not one each.
  add("--process-per-site");
  // Every player keeps a sound output open, silent or not. Buffers of 2048 frames (about 45 ms)
  // wake the sound threads a fifth as often as the default ones.
  add("--audio-buffer-size", "2048");
  // A page collects the garbage of a movie's fetched bytes once its player holds them
  // (fetch_shim.js): an idle page collects nothing by itself.
  add("--js-flags", "--expose-gc");
  setenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.c_str(), 1);
  // The views draw with Qt Quick's software renderer: without a graphics card the OpenGL path
  // runs in software too and costs several times the CPU for the same frames.
  setenv("QT_QUICK_BACKEND", "software", 0);
  // The engine's sandbox cannot start for root and would abort the program.
  if (geteuid() == 0) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);

  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

namespace {
QWebEngineProfile* shared_profile = nullptr;
}  // namespace

QWebEngineProfile* profile() {
  if (shared_profile) return shared_profile;
  // Off the record: nothing of the views is kept on disk between runs.
  auto* p = new QWebEngineProfile(QCoreApplication::instance());
  p->installUrlSchemeHandler(kScheme, new SchemeHandler(p));
  p->setHttpCacheType(QWebEngineProfile::NoCache);
  auto* settings = p->settings();
  settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
  settings->setAttribute(QWebEngineSettings::ShowScrollBars, true);
  shared_profile = p;
  return p;
}

void release_profile() {
  delete shared_profile;
  shared_profile = nullptr;
}

std::filesystem::path ruffle_dir() {
  // Beside the running executable, also when a test points the data folder elsewhere.
  return core::executable_dir() / "ruffle";
}

QUrl file_url(const std::filesystem::path& path, int version) {
  QUrl url;
  url.setScheme(kScheme);
  url.setHost("app");
  url.setPath(QString::fromStdString(std::filesystem::absolute(path).string()));
  if (version) url.setQuery("v=" + QString::number(version));
  return url;
}

QUrl host_page_url() { return QUrl(QString(kScheme) + "://app/__mellix/host.html"); }

QString resource_text(const QString& name) {
  QFile file(":/flash/" + name);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

}  // namespace platform::flash
