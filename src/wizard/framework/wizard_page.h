#pragma once

// What every wizard page shares: geometry in twips, the fixed size, re-running the loading
// routine when the page becomes the active page, and ending the process when it closes.

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "platform/flash/twips_control.h"
#include "wizard/tables/page_table.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSlider;

namespace platform::flash {
class BrowserControl;
class FlashControl;
}  // namespace platform::flash

namespace wizard {

using tables::Control;
using tables::ControlTable;
using tables::Kind;
using tables::number;
using tables::PageId;

class PictureBox;

/// The class a page's member holds for a control of kind `K`.
template <Kind K>
struct ControlClass;
// clang-format off
template <> struct ControlClass<Kind::Emblem> { using type = QLabel; };
template <> struct ControlClass<Kind::Button> { using type = QPushButton; };
template <> struct ControlClass<Kind::Option> { using type = QRadioButton; };
template <> struct ControlClass<Kind::CheckBox> { using type = QCheckBox; };
template <> struct ControlClass<Kind::Label> { using type = QLabel; };
template <> struct ControlClass<Kind::TextBox> { using type = QLineEdit; };
template <> struct ControlClass<Kind::TextArea> { using type = QPlainTextEdit; };
template <> struct ControlClass<Kind::Picture> { using type = PictureBox; };
template <> struct ControlClass<Kind::Frame> { using type = QFrame; };
template <> struct ControlClass<Kind::ComboBox> { using type = QComboBox; };
template <> struct ControlClass<Kind::Slider> { using type = QSlider; };
template <> struct ControlClass<Kind::Flash> { using type = platform::flash::FlashControl; };
template <> struct ControlClass<Kind::Browser> { using type = platform::flash::BrowserControl; };
// clang-format on
template <Kind K>
using ControlOf = typename ControlClass<K>::type;

using platform::flash::kTwipsPerPixel;
using platform::flash::to_pixels;

/// What the window frame adds to a page's client area, in twips: the outer Width and Height
/// that pages set and read of each other are the client area plus this frame.
inline constexpr int kFrameWidth = 120;
inline constexpr int kFrameHeight = 510;

/// Moves and sizes `widget` to a rectangle given in twips.
void place(QWidget* widget, int left, int top, int width, int height);
/// A control's width and height in twips: as placed, while its size in pixels stays that size.
int width_twips(const QWidget* widget);
int height_twips(const QWidget* widget);

/// Puts `text` on the system clipboard, for other programs to paste.
void copy_to_clipboard(const QString& text);

/// Ends the process at once: no further handler runs, nothing is saved, the work under way is
/// left (work running aside stops at its next chunk first, the pages close, the application
/// object is deleted, so the desktop keeps the clipboard, the part files of unfinished outputs
/// are removed, and the process exits with status 0 without returning). Tests install a hook
/// in its place; an empty hook restores the real ending.
void end_process();
void set_end_process_hook(std::function<void()> hook);

/// A wizard page: a top-level window without owner, never modal, created once per process.
class WizardPage : public QWidget {
  Q_OBJECT

 public:
  /// `client_width` x `client_height` is the designed client area in twips; `keeps_size`
  /// applies the fixed-size rule to that area. The controls of `table` are built here, front to
  /// back, stacked in that order, with the tab order of their `tab` column; the page's members
  /// (WIZARD_CONTROLS) bind to them next.
  WizardPage(const QString& caption, int client_width, int client_height, bool keeps_size,
             ControlTable table = {});
  ~WizardPage() override;

  /// The page's number (4 for Form4): how neighbours and the page codes name it.
  virtual int number() const = 0;

  /// The table the page was built from.
  ControlTable table() const { return table_; }

  /// The control of the table named `name` (`index` within a control array), as a T;
  /// nullptr when there is none or it is not a T.
  template <class T>
  T* find(const std::string& name, int index = -1) const {
    auto found = controls_.find(key(name, index));
    return found == controls_.end() ? nullptr : qobject_cast<T*>(found->second);
  }

  /// Outer size in twips (client area plus frame).
  int Width() const;
  int Height() const;
  void Width(int twips);
  void Height(int twips);

  /// Handlers every page has. The loading routine sets the page's controls to the state
  /// each visit starts from; activation, resize and unload follow the page conventions.
  virtual void Form_Load() {}
  virtual void Form_Activate() {}
  virtual void Form_Resize();
  virtual void Form_Unload();

  /// Runs Form_Load and reports it through loaded().
  void load();
  /// How many times Form_Load has run.
  int loads() const { return loads_; }
  /// Shows the page and makes it the active one; hides it. A click or key press that the user
  /// made before the page was shown never reaches it (see made_before_shown).
  void Show();
  void Hide();

 signals:
  /// Form_Load has run.
  void loaded();

 protected:
  bool event(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

  /// The single control `name` of the table, of kind `K`; throws when there is none.
  template <Kind K>
  ControlOf<K>* control(const char* name) const {
    return static_cast<ControlOf<K>*>(control_of_kind(name, -1, K));
  }
  /// The members `first` to `first + N - 1` of the control array `name`, of kind `K`; throws
  /// when one is missing.
  template <Kind K, std::size_t N>
  std::array<ControlOf<K>*, N> controls(const char* name, int first) const {
    std::array<ControlOf<K>*, N> members;
    for (std::size_t i = 0; i < N; ++i)
      members[i] = static_cast<ControlOf<K>*>(control_of_kind(name, first + static_cast<int>(i), K));
    return members;
  }

  /// Runs `handler` when `control` is clicked: a button's or check box's click, an option
  /// button becoming set, a picture box's click.
  void on_click(QWidget* control, std::function<void()> handler);
  template <class Page>
  void on_click(QWidget* control, void (Page::*handler)()) {
    on_click(control, [page = static_cast<Page*>(this), handler] { (page->*handler)(); });
  }
  /// The same for every member of a control array, which must exist: `handler` gets the index.
  void on_click(const std::string& array, std::function<void(int)> handler);
  template <class Page>
  void on_click(const std::string& array, void (Page::*handler)(int)) {
    on_click(array, [page = static_cast<Page*>(this), handler](int index) { (page->*handler)(index); });
  }

  /// The backdrop: `flash` stretched over the page, sized from `size_from` (the page itself or
  /// the page whose size it takes), playing `<appdir>/spd/<movie>`.
  static void backdrop(platform::flash::FlashControl& flash, const WizardPage& size_from,
                       const std::string& movie);

  /// Hides this page and shows page `to`, created on first use; stays when the program has
  /// no such page.
  void go_to(PageId to);

 private:
  void build(ControlTable table);
  void* control_of_kind(const std::string& name, int index, Kind kind) const;
  void activated();
  /// Notes the moment the page is shown, on the clock that stamps the input events.
  void mark_shown();
  /// Whether `event`, on its way to the page's window, is a press (or the release of a press)
  /// that the user made before the page was shown: the second click of a double-click that
  /// brought the page, a click queued while the page before it worked.
  bool made_before_shown(QEvent* event);
  static std::string key(const std::string& name, int index) {
    return index < 0 ? name : name + "(" + std::to_string(index) + ")";
  }

  std::map<std::string, QWidget*> controls_;
  ControlTable table_;

  bool keeps_size_;
  int loads_ = 0;
  int kept_width_;   // outer twips
  int kept_height_;  // outer twips

  bool coming_up_ = false;                 // Show() runs: the page is not yet shown
  std::optional<std::uint32_t> shown_at_;  // the input events' clock when it was shown
  int dropped_buttons_ = 0;                // buttons whose press was dropped, until released
};

}  // namespace wizard

/// Declares a page's members for the single controls of its table `kControls`, one per name,
/// each of its row's class (ControlOf) and bound to its control as the page is built. A name
/// the table lacks, or a control of the table left out, does not compile.
#define WIZARD_CONTROLS(...)                                                               \
  static_assert(::wizard::tables::unnamed_control(                                         \
                    kControls, {WIZARD_FOR_EACH(WIZARD_CONTROL_NAME, __VA_ARGS__)}) == "", \
                "a control of kControls has no member in WIZARD_CONTROLS");                \
  WIZARD_FOR_EACH(WIZARD_CONTROL_MEMBER, __VA_ARGS__)
#define WIZARD_CONTROL_NAME(name) #name,
#define WIZARD_CONTROL_MEMBER(name)                                              \
  ::wizard::ControlOf<::wizard::tables::kind_of(kControls, #name)>* const name = \
      control<::wizard::tables::kind_of(kControls, #name)>(#name);

// Applies `macro` to each further argument (up to 64).
#define WIZARD_FOR_EACH(macro, ...) __VA_OPT__(WIZARD_EXPAND(WIZARD_FOR_EACH_NEXT(macro, __VA_ARGS__)))
#define WIZARD_FOR_EACH_NEXT(macro, first, ...) \
  macro(first) __VA_OPT__(WIZARD_FOR_EACH_AGAIN WIZARD_PARENS(macro, __VA_ARGS__))
#define WIZARD_FOR_EACH_AGAIN() WIZARD_FOR_EACH_NEXT
#define WIZARD_PARENS ()
#define WIZARD_EXPAND(...) WIZARD_EXPAND2(WIZARD_EXPAND2(WIZARD_EXPAND2(WIZARD_EXPAND2(__VA_ARGS__))))
#define WIZARD_EXPAND2(...) WIZARD_EXPAND1(WIZARD_EXPAND1(WIZARD_EXPAND1(WIZARD_EXPAND1(__VA_ARGS__))))
#define WIZARD_EXPAND1(...) WIZARD_EXPAND0(WIZARD_EXPAND0(WIZARD_EXPAND0(WIZARD_EXPAND0(__VA_ARGS__))))
#define WIZARD_EXPAND0(...) __VA_ARGS__
