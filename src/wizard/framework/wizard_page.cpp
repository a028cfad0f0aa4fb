#include "wizard/framework/wizard_page.h"

#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyleHints>
#include <QStyleOptionButton>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <utility>
#include <vector>

#include "core/paths.h"
#include "core/safe_files.h"
#include "platform/flash/browser_control.h"
#include "platform/flash/flash_control.h"
#include "platform/flash/runtime.h"
#include "platform/x11/server_time.h"
#include "wizard/framework/page_registry.h"
#include "wizard/framework/picture_box.h"
#include "wizard/framework/startup.h"
#include "wizard/framework/working_files.h"

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

// On an X server every input event carries the server's time, which can be read back: the time
// a page was shown then tells the clicks made before from those made after. (Elsewhere the
// events carry times of their own clock, and no input is held back.)
bool input_stamped_by_x_server() {
  static const bool stamped = QGuiApplication::platformName() == "xcb";
  return stamped;
}

// The last mouse press that reached a page, on the server's clock and the screen.
struct Press {
  bool made = false;
  std::uint32_t time = 0;
  QPoint at;
};
Press last_press;

// The pages' pictures lie beside the program, in pictures/.
QPixmap emblem_picture() {
  return QPixmap(QString::fromStdString((core::executable_dir() / "pictures" / "emblem.png").string()));
}

// An option button of the pages: a click anywhere in its rectangle sets it. It stands on white
// behind its mark and caption (all over when it has no caption); elsewhere the page's ground
// shows through.
class OptionButton : public QRadioButton {
 public:
  using QRadioButton::QRadioButton;

 protected:
  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

  void paintEvent(QPaintEvent* event) override {
    QRect white = rect();
    if (!text().isEmpty()) {
      QStyleOptionButton option;
      initStyleOption(&option);
      white = style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, this);
      white |= style()->subElementRect(QStyle::SE_RadioButtonFocusRect, &option, this);
    }
    QPainter(this).fillRect(white, Qt::white);
    QRadioButton::paintEvent(event);
  }
};

// A push button of the pages: Enter and the keypad's Enter press it when it has the focus, as
// Space does (a push button outside a dialog takes no Enter of its own). It is pressed as the
// key goes down, as a dialog's button is, so that the key's release, which may reach the page
// that the press brought, presses nothing there; nor do the repeats of a key held down.
class PushButton : public QPushButton {
 public:
  using QPushButton::QPushButton;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
      QPushButton::keyPressEvent(event);
      return;
    }
    event->accept();
    if (!event->isAutoRepeat()) click();
  }
};

// `control` as the class the pages' members hold for `kind` (ControlOf), as the members take
// it; nullptr when it is not of that class.
template <int... K>
void* as_kind(QWidget* control, Kind kind, std::integer_sequence<int, K...>) {
  void* typed = nullptr;
  ((kind == Kind(K) ? typed = qobject_cast<ControlOf<Kind(K)>*>(control) : nullptr), ...);
  return typed;
}
void* as_kind(QWidget* control, Kind kind) {
  return as_kind(control, kind, std::make_integer_sequence<int, tables::kKinds>());
}

QWidget* make_control(const Control& row, QWidget* parent) {
  const QString caption = QString::fromUtf8(row.caption);
  switch (row.kind) {
    case Kind::Emblem: {
      // The emblem stands on the page's ground: nothing is painted around the picture.
      auto* picture = new QLabel(parent);
      picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      picture->setAttribute(Qt::WA_TranslucentBackground);
      picture->setPixmap(emblem_picture());
      return picture;
    }
    case Kind::Button:
      return new PushButton(caption, parent);
    case Kind::Option:
      return new OptionButton(caption, parent);
    case Kind::CheckBox:
      return new QCheckBox(caption, parent);
    case Kind::Label: {
      auto* label = new QLabel(caption, parent);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      label->setWordWrap(true);
      return label;
    }
    case Kind::TextBox:
      return new QLineEdit(caption, parent);
    case Kind::TextArea: {
      auto* text = new QPlainTextEdit(caption, parent);
      text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
      text->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
      // Tab and Shift+Tab move on to the page's next and previous control, as in any dialog:
      // what the box holds changes only by what the user types into it.
      text->setTabChangesFocus(true);
      return text;
    }
    case Kind::Picture:
      return new PictureBox(parent);
    case Kind::Frame: {
      auto* frame = new QFrame(parent);
      frame->setFrameStyle(QFrame::NoFrame);
      return frame;
    }
    case Kind::ComboBox:
      return new QComboBox(parent);
    case Kind::Slider:
      return new QSlider(Qt::Horizontal, parent);
    case Kind::Flash:
      return new platform::flash::FlashControl(parent);
    case Kind::Browser:
      return new platform::flash::BrowserControl(parent);
  }
  return nullptr;
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

void copy_to_clipboard(const QString& text) {
  QClipboard* clipboard = QApplication::clipboard();
  clipboard->clear();
  clipboard->setText(text);
}

void end_process() {
  if (end_hook()) {
    end_hook()();
    return;
  }
  static bool ending = false;
  if (!ending && QCoreApplication::instance()) {
    ending = true;
    // Work running aside (an encode, a decode) uses what the pages own: it stops first.
    stop_work_aside();
    // A dialog open over a page (the file dialog, when a stopping signal ends the program) lives
    // in the frame of the handler that opened it, which is never returned to: it must not be
    // deleted with its page.
    for (QWidget* window : QApplication::topLevelWidgets())
      if (qobject_cast<QDialog*>(window) && window->isVisible() && window->parentWidget())
        window->setParent(nullptr);
    // The windows go first; then the movie views and their profile, so that the application
    // object, going last, ends the web engine and its helper processes and hands what this
    // program put on the clipboard to the desktop's clipboard manager for pasting after it.
    unload_pages();
    platform::flash::release_profile();
    delete QCoreApplication::instance();
  }
  // Whatever work was under way below the handler that ended the process stays undone, and
  // the files it was writing beside their places go, with the working files of the run.
  remove_working_files();
  core::remove_part_files();
  std::fflush(nullptr);
  _exit(0);
}

void set_end_process_hook(std::function<void()> hook) { end_hook() = std::move(hook); }

WizardPage::WizardPage(const QString& caption, int client_width, int client_height, bool keeps_size,
                       ControlTable table)
    : QWidget(nullptr),
      keeps_size_(keeps_size),
      kept_width_(client_width + kFrameWidth),
      kept_height_(client_height + kFrameHeight) {
  setWindowTitle(caption);
  setWindowIcon(emblem_picture());
  resize(to_pixels(client_width), to_pixels(client_height));
  // A page of fixed size tells the window manager so: no maximise, no resize grip.
  if (keeps_size_) setFixedSize(size());
  build(table);
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
  // The page comes up with its loading, whose yields handle the input already queued: none of
  // it was meant for this page. It counts as shown once it stands there.
  struct ComingUp {
    WizardPage& page;
    explicit ComingUp(WizardPage& shown) : page(shown) { page.coming_up_ = true; }
    ~ComingUp() {
      page.coming_up_ = false;
      page.mark_shown();
    }
  } coming_up(*this);
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

void WizardPage::mark_shown() {
  if (input_stamped_by_x_server()) shown_at_ = platform::x_server_time();
}

bool WizardPage::made_before_shown(QEvent* event) {
  const QEvent::Type type = event->type();
  const bool mouse = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
                     type == QEvent::MouseButtonRelease;
  if (!mouse && type != QEvent::KeyPress) return false;
  if (!event->spontaneous() || !input_stamped_by_x_server()) return false;
  const auto time = static_cast<std::uint32_t>(static_cast<QInputEvent*>(event)->timestamp());
  if (!mouse) return coming_up_ || (shown_at_ && platform::not_after(time, *shown_at_));

  // The double-click and the release of a press follow it: a picture box counts a release as
  // a click.
  const auto* click = static_cast<QMouseEvent*>(event);
  const int button = click->button();
  const bool press_dropped = dropped_buttons_ & button;
  if (type == QEvent::MouseButtonRelease) dropped_buttons_ &= ~button;
  if (type != QEvent::MouseButtonPress) return press_dropped;

  // A press made before the page was shown, or the second click of a double-click whose first
  // click was, wherever the page came up: the user aimed both at what stood there before.
  const Press previous = last_press;
  last_press = {true, time, click->globalPosition().toPoint()};
  bool before = coming_up_ || (shown_at_ && platform::not_after(time, *shown_at_));
  if (!before && shown_at_ && previous.made && platform::not_after(previous.time, *shown_at_)) {
    const QStyleHints* hints = QGuiApplication::styleHints();
    const QPoint moved = last_press.at - previous.at;
    before = time - previous.time <= static_cast<std::uint32_t>(hints->mouseDoubleClickInterval()) &&
             std::abs(moved.x()) <= hints->mouseDoubleClickDistance() &&
             std::abs(moved.y()) <= hints->mouseDoubleClickDistance();
  }
  dropped_buttons_ = before ? dropped_buttons_ | button : dropped_buttons_ & ~button;
  return before;
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

void WizardPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;  // restored from the task bar: the page was there all along
  // The input for the page passes its window first, where what came too early is held back.
  if (QWindow* window = windowHandle()) window->installEventFilter(this);
  dropped_buttons_ = 0;
  if (!coming_up_) mark_shown();  // shown other than by Show()
}

void WizardPage::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (!event->spontaneous() && active_page == this) active_page = nullptr;
}

void WizardPage::closeEvent(QCloseEvent* event) {
  event->accept();
  Form_Unload();
}

bool WizardPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == windowHandle() && made_before_shown(event)) return true;
  return QWidget::eventFilter(watched, event);
}

void WizardPage::build(ControlTable table) {
  table_ = table;
  std::vector<std::pair<int, QWidget*>> tab_chain;
  std::vector<QWidget*> front_to_back;
  for (const Control& row : table) {
    QWidget* parent = this;
    if (row.parent) {
      parent = find<QWidget>(row.parent);
      if (!parent) throw std::logic_error(std::string("no container ") + row.parent + " for " + row.name);
    }
    QWidget* control = make_control(row, parent);
    control->setObjectName(QString::fromStdString(key(row.name, row.index)));
    place(control, row.left, row.top, row.width, row.height);
    if (row.tab > 0) {
      tab_chain.emplace_back(row.tab, control);
    } else if (row.kind != Kind::TextArea && row.kind != Kind::TextBox) {
      control->setFocusPolicy(Qt::NoFocus);
    }
    controls_[key(row.name, row.index)] = control;
    front_to_back.push_back(control);
  }
  // Raised from the back, so that the first row ends in front of its siblings.
  for (auto it = front_to_back.rbegin(); it != front_to_back.rend(); ++it) (*it)->raise();
  std::stable_sort(tab_chain.begin(), tab_chain.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t i = 1; i < tab_chain.size(); ++i)
    setTabOrder(tab_chain[i - 1].second, tab_chain[i].second);
}

void* WizardPage::control_of_kind(const std::string& name, int index, Kind kind) const {
  const auto found = controls_.find(key(name, index));
  void* control = found == controls_.end() ? nullptr : as_kind(found->second, kind);
  if (!control)
    throw std::logic_error(std::string(metaObject()->className()) + ": no control " + key(name, index) +
                           " of its kind");
  return control;
}

void WizardPage::on_click(QWidget* control, std::function<void()> handler) {
  if (auto* option = qobject_cast<QRadioButton*>(control)) {
    connect(option, &QRadioButton::toggled, this, [handler](bool set) {
      if (set) handler();
    });
  } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    connect(button, &QAbstractButton::clicked, this, [handler] { handler(); });
  } else if (auto* picture = qobject_cast<PictureBox*>(control)) {
    connect(picture, &PictureBox::clicked, this, [handler] { handler(); });
  } else {
    throw std::logic_error("not a clickable control: " + control->objectName().toStdString());
  }
}

void WizardPage::on_click(const std::string& array, std::function<void(int)> handler) {
  const std::string prefix = array + "(";
  auto it = controls_.lower_bound(prefix);
  if (it == controls_.end() || !it->first.starts_with(prefix))
    throw std::logic_error(std::string(metaObject()->className()) + ": no control array " + array);
  for (; it != controls_.end() && it->first.starts_with(prefix); ++it) {
    const int index = std::stoi(it->first.substr(prefix.size()));
    on_click(it->second, [handler, index] { handler(index); });
  }
}

void WizardPage::backdrop(platform::flash::FlashControl& flash, const WizardPage& size_from,
                          const std::string& movie) {
  flash.Height(size_from.Height());
  flash.Left(0);
  flash.Top(0);
  flash.Width(size_from.Width());
  flash.LoadMovie(0, core::spd_path(movie));
}

void WizardPage::go_to(PageId to) {
  WizardPage* next = page(to);
  if (!next) return;
  Hide();
  next->Show();
}

}  // namespace wizard
