#include "wizard/shell/wizard_page.h"

#include <unistd.h>

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/paths.h"

namespace wizard {

namespace {

std::function<void()>& end_hook() {
  static std::function<void()> hook;
  return hook;
}

// The page that was last made active. Activation handlers run only when another page (or no
// page) was active before: coming back from a dialog, a message box or another program does
// not reload a page.
WizardPage* active_page = nullptr;

// The pages' pictures lie beside the program, in pictures/.
std::filesystem::path executable_dir() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? core::app_dir() : exe.parent_path();
}

}  // namespace

void place(QWidget* widget, int left, int top, int width, int height) {
  widget->setGeometry(to_pixels(left), to_pixels(top), to_pixels(width), to_pixels(height));
  widget->setProperty("twips", QSize(width, height));
}

int width_twips(const QWidget* widget) {
  const QSize twips = widget->property("twips").toSize();
  return to_pixels(twips.width()) == widget->width() ? twips.width() : widget->width() * kTwipsPerPixel;
}

int height_twips(const QWidget* widget) {
  const QSize twips = widget->property("twips").toSize();
  return to_pixels(twips.height()) == widget->height() ? twips.height() : widget->height() * kTwipsPerPixel;
}

void end_process() {
  if (end_hook()) {
    end_hook()();
    return;
  }
  std::fflush(nullptr);
  _exit(0);
}

void set_end_process_hook(std::function<void()> hook) { end_hook() = std::move(hook); }

WizardPage::WizardPage(const QString& caption, int client_width, int client_height, bool keeps_size)
    : QWidget(nullptr),
      keeps_size_(keeps_size),
      kept_width_(client_width + kFrameWidth),
      kept_height_(client_height + kFrameHeight) {
  setWindowTitle(caption);
  resize(to_pixels(client_width), to_pixels(client_height));
}

WizardPage::~WizardPage() {
  if (active_page == this) active_page = nullptr;
}

int WizardPage::Width() const { return width() * kTwipsPerPixel + kFrameWidth; }
int WizardPage::Height() const { return height() * kTwipsPerPixel + kFrameHeight; }
void WizardPage::Width(int twips) { resize(to_pixels(twips - kFrameWidth), height()); }
void WizardPage::Height(int twips) { resize(width(), to_pixels(twips - kFrameHeight)); }

void WizardPage::Form_Resize() {
  if (!keeps_size_) return;
  if (windowState() & Qt::WindowMinimized) return;
  if (Height() != kept_height_ || Width() != kept_width_) {
    // A maximised window cannot take a size of its own: it becomes a normal window first.
    if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) setWindowState(Qt::WindowNoState);
    Height(kept_height_);
    Width(kept_width_);
  }
}

void WizardPage::Form_Unload() { end_process(); }

void WizardPage::load() {
  ++loads_;
  Form_Load();
  emit loaded();
}

void WizardPage::Show() {
  show();
  if (windowState() & Qt::WindowMinimized) setWindowState(windowState() & ~Qt::WindowMinimized);
  raise();
  activateWindow();
  // A window that kept the system's focus while it was hidden gets no new activation from the
  // system: it is made the active window here.
  if (!isActiveWindow() && QGuiApplication::focusWindow() == windowHandle())
    QApplication::setActiveWindow(this);
  if (isActiveWindow()) activated();
}

void WizardPage::activated() {
  // A late activation of a page that has been hidden since does not make it active.
  if (active_page == this || !isVisible()) return;
  active_page = this;
  Form_Activate();
}

void WizardPage::Hide() { hide(); }

bool WizardPage::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  if (event->type() == QEvent::WindowActivate) activated();
  return handled;
}

void WizardPage::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Form_Resize();
}

void WizardPage::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  // Minimising and restoring are size changes too: a restored page gets its size back.
  if (event->type() == QEvent::WindowStateChange) Form_Resize();
}

void WizardPage::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (!event->spontaneous() && active_page == this) active_page = nullptr;
}

void WizardPage::closeEvent(QCloseEvent* event) {
  event->accept();
  Form_Unload();
}

QPushButton* WizardPage::button(const QString& caption, int left, int top, int width, int height) {
  auto* b = new QPushButton(caption, this);
  place(b, left, top, width, height);
  return b;
}

QRadioButton* WizardPage::option(int left, int top, int width, int height) {
  auto* o = new QRadioButton(this);
  place(o, left, top, width, height);
  o->setStyleSheet("QRadioButton { background-color: white; }");
  return o;
}

QLabel* WizardPage::emblem(int width, int height) {
  auto* picture = new QLabel(this);
  place(picture, 0, 0, width, height);
  picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  picture->setAutoFillBackground(true);
  picture->setPixmap(
      QPixmap(QString::fromStdString((executable_dir() / "pictures" / "emblem.png").string())));
  return picture;
}

void WizardPage::stack(std::initializer_list<QWidget*> front_to_back) {
  for (auto it = std::rbegin(front_to_back); it != std::rend(front_to_back); ++it) (*it)->raise();
}

}  // namespace wizard
