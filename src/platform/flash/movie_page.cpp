#include "platform/flash/movie_page.h"

#include <cstdlib>
#include <iostream>

#include "platform/flash/runtime.h"

namespace platform::flash {

MoviePage::MoviePage(QObject* parent) : QWebEnginePage(flash::profile(), parent) {}

void MoviePage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int,
                                         const QString&) {
  // MELLIX_WEB_LOG=1 shows what the views print, Ruffle's warnings included.
  static const bool echo = std::getenv("MELLIX_WEB_LOG") != nullptr;
  if (echo) std::cerr << "web: " << message.toStdString() << '\n';
  if (listener_) listener_(message);
}

}  // namespace platform::flash
