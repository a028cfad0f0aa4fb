#pragma once

#include <QColor>

#include "platform/flash/twips_control.h"

class QWebEngineView;

namespace platform::flash {

class MoviePage;

/// What the Flash and browser controls share: a web view in the program's profile that exists
/// only while the control is shown (a hidden control releases it and costs nothing), shows the
/// control's ground colour until its content has drawn, and never takes the keyboard focus,
/// so that Tab moves between the page's own controls only.
class WebControl : public TwipsControl {
  Q_OBJECT

 public:
  explicit WebControl(QWidget* parent = nullptr);
  ~WebControl() override;

  /// The web view while the control is shown, else nullptr.
  QWebEngineView* view() const { return view_; }

 protected:
  /// The colour the control shows wherever its content has not drawn yet.
  void set_ground(const QColor& colour);
  /// The page of the view while there is one, else nullptr.
  MoviePage* page() const { return page_; }

  /// A new view exists: the control puts its content into it.
  virtual void view_created() = 0;
  /// The view is about to go.
  virtual void view_releasing() {}

  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void create_view();
  void release_view();

  QWebEngineView* view_ = nullptr;
  MoviePage* page_ = nullptr;
  QColor ground_ = Qt::white;
};

}  // namespace platform::flash
