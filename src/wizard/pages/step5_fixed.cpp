#include "wizard/pages/step5_fixed.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "audio/codec/lame_encoder.h"
#include "core/errors.h"
#include "core/hooks.h"
#include "core/paths.h"
#include "core/shared_state.h"
#include "engine/files.h"
#include "platform/flash/flash_control.h"
#include "webcode/movie_size.h"
#include "webcode/sample_page.h"
#include "wizard/framework/encode_pipeline.h"
#include "wizard/framework/page_registry.h"
#include "wizard/pages/step4_choice.h"

namespace wizard {

namespace {

PageRegistrar<Form14> registrar;

// The shapes of core::button_type.
constexpr std::int16_t kWideButton = 1;
constexpr std::int16_t kSquareButton = 2;

}  // namespace

Form14::Form14() : WizardPage("Step-5", 10875, 7785, true, kControls) {
  start_save_path(Text2);
  webcode::set_fixed_code_box(this);
  on_click(Check1, &Form14::Check1_Click);
  connect(Text2, &QLineEdit::textChanged, this, [this] { Text2_Change(); });
  on_click(Command1, &Form14::Command1_Click);
  on_click(Command2, &Form14::Command2_Click);
  on_click(Command3, &Form14::Command3_Click);
  on_click(Command4, &Form14::Command4_Click);
  on_click(Command5, &Form14::Command5_Click);
  on_click(Command6, &Form14::Command6_Click);
}

Form14::~Form14() { webcode::set_fixed_code_box(nullptr); }

void Form14::Form_Load() {
  core::yield();
  Check1_Click();
  backdrop(*ShockwaveFlash1, page<Form3>(), "SWF/form14.swf");

  // The size boxes start from the button's own size when the style changed kind: the square
  // button at every visit, the wide one when the boxes were last set for the square one.
  const std::int16_t shape = core::button_type == kSquareButton ? kSquareButton : kWideButton;
  if (shape == kSquareButton || sized_for_ != shape) {
    const webcode::MovieSize size = webcode::default_size(shape);
    Text3->setText(QString::fromStdString(size.width));
    Text4->setText(QString::fromStdString(size.height));
  }
  sized_for_ = shape;

  core::ignore_errors([] { webcode::delete_sample_files(); });
  make_encoder(m_cEncoder);
  take_size(false);  // a size the boxes cannot give leaves the code at its last good size
  Module33::movie_path = save_path_of(Text2);
  Module33::html_code.clear();
  core::ignore_errors([] { Module41::make_fixed_code(); });
}

void Form14::Form_Activate() { activate_encode_page(*this, Check1); }

void Form14::Check1_Click() { compose_for_autoplay(Check1); }

void Form14::Text2_Change() {
  Module33::movie_path = save_path_of(Text2);
  core::ignore_errors([] { Module41::make_fixed_code(); });
}

void Form14::Command4_Click() {
  const auto name = choose_save_path(CommonDialog1, Text2);
  if (!name) return;
  Module33::movie_path = *name;
  core::ignore_errors([] { Module41::make_fixed_code(); });
}

void Form14::Command5_Click() {
  core::yield();
  if (take_size(true)) Module41::make_fixed_code();
}

void Form14::Command6_Click() {
  core::yield();
  copy_to_clipboard(Text1->toPlainText());
}

void Form14::Command2_Click() {
  // The movie is encoded for the size the boxes show, or not at all.
  if (take_size(true)) run_encode(kFixedStep5Encode, *this, m_cEncoder);
}

void Form14::Command1_Click() {
  core::ignore_errors([] { Module5::kill_file(core::spd_path("final.swf")); });
  core::step_code = static_cast<std::int16_t>(wizard::number(PageId::Choice));
  go_to(PageId::Choice);
}

void Form14::Command3_Click() { end_process(); }

void Form14::set_text(const std::string& text) {
  Text1->setPlainText(QString::fromStdString(text).replace("\r\n", "\n"));
}

bool Form14::take_size(bool tell) {
  const auto boxes = webcode::read_size_boxes(Text3->text().toStdString(), Text4->text().toStdString());
  if (!boxes.refusal.empty()) {
    if (tell) core::message_box(boxes.refusal);
    return false;
  }
  webcode::set_size_parts(boxes.size);
  return true;
}

}  // namespace wizard
