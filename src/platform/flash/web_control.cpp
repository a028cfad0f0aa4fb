#include "platform/flash/web_control.h"

#include <QChildEvent>
#include <QVBoxLayout>
#include <QWebEngineView>

#include "platform/flash/movie_page.h"

namespace platform::flash {

namespace {

// Movies take no keyboard input: neither the control nor anything of its view is a Tab stop
// or takes the focus when clicked.
void refuse_focus(QWidget* widget) { widget->setFocusPolicy(Qt::NoFocus); }

}  // namespace

WebControl::WebControl(QWidget* parent) : TwipsControl(parent) {
  refuse_focus(this);
  // Until its view has drawn, the control shows its ground rather than whatever lies behind.
  setAutoFillBackground(true);
  set_ground(ground_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
}

WebControl::~WebControl() { release_view(); }

void WebControl::set_ground(const QColor& colour) {
  ground_ = colour;
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, colour);
  setPalette(palette);
  // The engine paints the page's background colour before the content's first frame.
  if (page_) page_->setBackgroundColor(colour);
}

void WebControl::showEvent(QShowEvent* event) {
  TwipsControl::showEvent(event);
  if (!view_) create_view();
}

void WebControl::hideEvent(QHideEvent* event) {
  TwipsControl::hideEvent(event);
  release_view();
}

bool WebControl::eventFilter(QObject* watched, QEvent* event) {
  // The view puts the widget that shows the content inside itself whenever it likes; its
  // focus policy is set once it is built.
  if (watched == view_ && (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildPolished)) {
    if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child())) refuse_focus(child);
  }
  return TwipsControl::eventFilter(watched, event);
}

void WebControl::create_view() {
  page_ = new MoviePage(this);
  page_->setBackgroundColor(ground_);
  view_ = new QWebEngineView(this);
  refuse_focus(view_);
  view_->installEventFilter(this);
  view_->setContextMenuPolicy(contextMenuPolicy());
  view_->setPage(page_);
  layout()->addWidget(view_);
  view_created();
  view_->show();
}

void WebControl::release_view() {
  if (!view_) return;
  view_releasing();
  delete view_;
  view_ = nullptr;
  delete page_;
  page_ = nullptr;
}

}  // namespace platform::flash
