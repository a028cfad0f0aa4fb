#include "wizard/pages/step5_floating.h"

#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <initializer_list>

#include "core/errors.h"
#include "core/hooks.h"
#include "core/paths.h"
#include "core/shared_state.h"
#include "engine/style_pieces.h"
#include "platform/flash/browser_control.h"
#include "platform/flash/flash_control.h"
#include "webcode/floating_choices.h"
#include "webcode/movie_size.h"
#include "webcode/page_code.h"
#include "webcode/sample_page.h"
#include "wizard/framework/page_registry.h"

namespace wizard {

namespace {

PageRegistrar<Form11> registrar;

using webcode::Corner;
using webcode::PageKind;
using webcode::Speed;

// The style preview of step 3 stands in for the finished movie on the sample page.
std::string preview_movie() { return core::spd_path("temp.swf"); }

QString first_three(const std::string& text) { return QString::fromStdString(text.substr(0, 3)); }

std::string text_of(const QLineEdit* box) { return box->text().toStdString(); }

}  // namespace

Form11::Form11() : WizardPage("Step-5", 10875, 7785, true, kControls) {
  // Two groups on one page: the corner and the speed. The marks start where the code starts,
  // at the top-left corner and the gliding speed.
  corners_.addButton(Option4);
  corners_.addButton(Option5);
  speeds_.addButton(Option1);
  speeds_.addButton(Option2);
  speeds_.addButton(Option3);
  Option4->setChecked(true);
  Option3->setChecked(true);
  Text5->setReadOnly(true);
  Text5->hide();
  Text3->installEventFilter(this);
  Text4->installEventFilter(this);

  on_click(Option4, &Form11::Option4_Click);
  on_click(Option5, &Form11::Option5_Click);
  on_click(Option1, &Form11::Option1_Click);
  on_click(Option2, &Form11::Option2_Click);
  on_click(Option3, &Form11::Option3_Click);
  on_click(Command6, &Form11::Command6_Click);
  on_click(Command4, &Form11::Command4_Click);
  on_click(Command2, &Form11::Command2_Click);
  on_click(Command7, &Form11::Command7_Click);
  on_click(Command3, &Form11::Command3_Click);
  on_click(Command5, &Form11::Command5_Click);
  on_click(Command8, &Form11::Command8_Click);
}

bool Form11::eventFilter(QObject* watched, QEvent* event) {
  // Entering a size box by a click or the keyboard, not the window coming back to the front.
  if (event->type() == QEvent::FocusIn) {
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
      if (watched == Text3) Text3_GotFocus();
      if (watched == Text4) Text4_GotFocus();
    }
  }
  return WizardPage::eventFilter(watched, event);
}

void Form11::Form_Load() {
  backdrop(*ShockwaveFlash1, *this, "SWF/form11.swf");
  core::ignore_errors([] { webcode::delete_sample_files(); });

  // The offset boxes are not offered.
  for (QWidget* unused : std::initializer_list<QWidget*>{Command4, Text1, Text2}) {
    unused->setEnabled(false);
    unused->hide();
  }
  WebBrowser1->show();
  Text5->hide();

  // Each visit starts from the defaults, but for the size Accept took, which stays while the
  // style keeps its kind of button.
  webcode::reset_floating_parameters(core::button_type);
  if (accepted_ && accepted_for_ == core::button_type) {
    webcode::set_size_parts(*accepted_);
  } else {
    accepted_.reset();
  }
  Text1->setText(first_three(Module33::target_x_text));
  Text2->setText(first_three(Module33::target_y_text));
  Text3->setText(QString::fromStdString(Module33::html_parts[18]));
  Text4->setText(QString::fromStdString(Module33::html_parts[23]));

  make_sample_code();

  page_file = core::spd_path("web/t.htm");
  WebBrowser1->Navigate(page_file);
  if (page_exists(tables::number(PageId::Choice))) page(PageId::Choice)->Hide();
}

void Form11::Form_Activate() {
  load();
  // The corner and the speed shown are applied again.
  if (Option4->isChecked()) webcode::choose_corner(Corner::top_left, core::button_type);
  if (Option5->isChecked()) webcode::choose_corner(Corner::top_right, core::button_type);
  if (Option1->isChecked()) webcode::choose_speed(Speed::at_once);
  if (Option2->isChecked()) webcode::choose_speed(Speed::quick);
  if (Option3->isChecked()) webcode::choose_speed(Speed::gliding);
  // The code shown before the next refresh is that of the marks.
  make_sample_code();
}

void Form11::make_sample_code() {
  Module33::movie_path = preview_movie();
  Module33::code_target = 2;
  core::ignore_errors([] { Module33::make_floating_code(); });
}

void Form11::Option4_Click() {
  webcode::choose_corner(Corner::top_left, core::button_type);
  Command2_Click();
}

void Form11::Option5_Click() {
  webcode::choose_corner(Corner::top_right, core::button_type);
  Command2_Click();
}

void Form11::Option1_Click() {
  webcode::choose_speed(Speed::at_once);
  Command2_Click();
}

void Form11::Option2_Click() {
  webcode::choose_speed(Speed::quick);
  Command2_Click();
}

void Form11::Option3_Click() {
  webcode::choose_speed(Speed::gliding);
  Command2_Click();
}

void Form11::Command6_Click() {
  const auto boxes = webcode::read_size_boxes(text_of(Text3), text_of(Text4));
  if (!boxes.refusal.empty()) {
    core::message_box(boxes.refusal);
    return;
  }
  webcode::set_size_parts(boxes.size);
  accepted_ = boxes.size;
  accepted_for_ = core::button_type;
  Command2_Click();
}

void Form11::Text3_GotFocus() {
  // A height box without a number leaves the width box as the user left it.
  if (const auto width = webcode::width_for_height(text_of(Text4)))
    Text3->setText(QString::fromStdString(*width));
}

void Form11::Text4_GotFocus() {
  if (const auto height = webcode::height_for_width(text_of(Text3)))
    Text4->setText(QString::fromStdString(*height));
}

void Form11::Command4_Click() {
  if (!Text1->text().isEmpty()) Module33::target_x_text = text_of(Text1) + ";";
  if (!Text2->text().isEmpty()) Module33::target_y_text = text_of(Text2) + ";";
  Command2_Click();
}

void Form11::Command2_Click() {
  core::ignore_errors([this] {
    if (WebBrowser1->isHidden()) {
      Text5->hide();
      WebBrowser1->show();
    }
  });
  // The style's movie as it was composed, also when a colour mode was chosen after it.
  core::ignore_errors([] { engine::style::restore_preview_movie(); });
  core::ignore_errors([] { webcode::write_floating_preview(preview_movie()); });
  core::ignore_errors([this] { WebBrowser1->Navigate(webcode::sample_page_file(PageKind::floating)); });
}

void Form11::Command7_Click() {
  core::ignore_errors([this] {
    Text5->setGeometry(WebBrowser1->geometry());
    WebBrowser1->hide();
    Text5->show();
    webcode::build_sample_page(PageKind::floating);
    Text5->setPlainText(QString::fromStdString(Module33::sample_page).replace("\r\n", "\n"));
  });
}

void Form11::Command3_Click() {
  core::step_code = static_cast<std::int16_t>(tables::number(PageId::Choice));
  if (WizardPage* choice = page(PageId::Choice)) {
    choice->Show();
    Hide();
  }
}

void Form11::Command5_Click() {
  go_to(PageId::Step6);
  Module33::code_target = 1;
  core::ignore_errors([] { Module33::make_floating_code(); });
}

void Form11::Command8_Click() { end_process(); }

}  // namespace wizard
