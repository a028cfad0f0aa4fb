#pragma once

#include <QWebEnginePage>
#include <functional>

namespace platform::flash {

/// A web page in the shared profile that hands its console lines to the program: the movie
/// views report through them, and Ruffle logs its errors there.
class MoviePage : public QWebEnginePage {
  Q_OBJECT

 public:
  explicit MoviePage(QObject* parent = nullptr);
  void on_console(std::function<void(const QString&)> listener) { listener_ = std::move(listener); }

 protected:
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
                                const QString& source) override;

 private:
  std::function<void(const QString&)> listener_;
};

}  // namespace platform::flash
