#pragma once

#include <string>

#include "platform/flash/twips_control.h"

class QWebEngineView;

namespace platform::flash {

class MoviePage;

/// The web browser control of the pages: shows a local page file, with Ruffle standing in as
/// the Flash plug-in so that the page's <object>/<embed> movies play. Like the Flash control,
/// it holds a web view only while it is shown; showing it again shows the page last navigated.
class BrowserControl : public TwipsControl {
  Q_OBJECT

 public:
  explicit BrowserControl(QWidget* parent = nullptr);
  ~BrowserControl() override;

  /// Shows the page file at `path` (absolute), read afresh from disk.
  void Navigate(const std::string& path);
  /// The page file last navigated to ("" when none).
  const std::string& LocationName() const { return location_; }

  /// The web view while the control is shown, else nullptr.
  QWebEngineView* view() const { return view_; }

 signals:
  /// The page last navigated to has loaded (`ok` false when it could not be read).
  void pageLoaded(bool ok);

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void create_view();
  void release_view();
  void navigate_view();

  QWebEngineView* view_ = nullptr;
  MoviePage* page_ = nullptr;
  std::string location_;
  int generation_ = 0;
};

}  // namespace platform::flash
