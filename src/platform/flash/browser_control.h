#pragma once

#include <string>

#include "platform/flash/web_control.h"

namespace platform::flash {

/// The web browser control of the pages: shows a local page file, with Ruffle standing in as
/// the Flash plug-in so that the page's <object>/<embed> movies play. Showing a hidden control
/// shows the page last navigated again.
class BrowserControl : public WebControl {
  Q_OBJECT

 public:
  explicit BrowserControl(QWidget* parent = nullptr);
  ~BrowserControl() override;

  /// Shows the page file at `path` (absolute), read afresh from disk.
  void Navigate(const std::string& path);
  /// The page file last navigated to ("" when none).
  const std::string& LocationName() const { return location_; }

 signals:
  /// The page last navigated to has loaded (`ok` false when it could not be read).
  void pageLoaded(bool ok);

 protected:
  void view_created() override;

 private:
  void navigate_view();

  std::string location_;
  int generation_ = 0;
};

}  // namespace platform::flash
