#pragma once

// What every wizard page shares: geometry in twips, the fixed size, re-running the loading
// routine when the page becomes the active page, and ending the process when it closes.

#include <QWidget>
#include <functional>
#include <map>
#include <string>

#include "platform/flash/twips_control.h"
#include "wizard/tables/page_table.h"

namespace platform::flash {
class FlashControl;
}

namespace wizard {

using tables::Control;
using tables::ControlTable;
using tables::Kind;
using tables::number;
using tables::PageId;

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
/// left (the pages close, the application object is deleted, so the desktop keeps the
/// clipboard, and the process exits without returning). Tests install a hook in its place; an
/// empty hook restores the real ending.
void end_process();
void set_end_process_hook(std::function<void()> hook);

/// A wizard page: a top-level window without owner, never modal, created once per process.
class WizardPage : public QWidget {
  Q_OBJECT

 public:
  /// `client_width` x `client_height` is the designed client area in twips; `keeps_size`
  /// applies the fixed-size rule to that area.
  WizardPage(const QString& caption, int client_width, int client_height, bool keeps_size);
  ~WizardPage() override;

  /// The page's number (4 for Form4): how neighbours and the page codes name it.
  virtual int number() const = 0;

  /// The control of the table named `name` (`index` within a control array), as a T;
  /// nullptr when there is none or it is not a T.
  /// The table the page was built from.
  ControlTable table() const { return table_; }

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
  /// Shows the page and makes it the active one; hides it.
  void Show();
  void Hide();

 signals:
  /// Form_Load has run.
  void loaded();

 protected:
  bool event(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

  /// Builds the controls of `table` (front to back), stacks them in that order and sets the
  /// tab order from their `tab` column. Members are then bound with find().
  void build(ControlTable table);

  /// Runs `handler` when `control` is clicked: a button's or check box's click, an option
  /// button becoming set, a picture box's click.
  void on_click(QWidget* control, std::function<void()> handler);
  /// The same for every member of a control array: `handler` gets the index.
  void on_click(const std::string& array, std::function<void(int)> handler);

  /// The backdrop: `flash` stretched over the page, sized from `size_from` (the page itself or
  /// the page whose size it takes), playing `<appdir>/spd/<movie>`.
  static void backdrop(platform::flash::FlashControl& flash, const WizardPage& size_from,
                       const std::string& movie);

  /// Hides this page and shows page `to`, created on first use; stays when the program has
  /// no such page.
  void go_to(PageId to);

 private:
  void activated();
  static std::string key(const std::string& name, int index) {
    return index < 0 ? name : name + "(" + std::to_string(index) + ")";
  }

  std::map<std::string, QWidget*> controls_;
  ControlTable table_;

  bool keeps_size_;
  int loads_ = 0;
  int kept_width_;   // outer twips
  int kept_height_;  // outer twips
};

}  // namespace wizard
