#include "wizard/pages/step6_encode.h"

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
#include "wizard/framework/encode_pipeline.h"
#include "wizard/framework/page_registry.h"
#include "wizard/pages/step4_choice.h"

namespace wizard {

namespace {

PageRegistrar<Form7> registrar;

// The floating code for the movie at the save path, into the code box.
void make_code(const std::string& movie) {
  Module33::movie_path = movie;
  core::ignore_errors([] {
    Module33::code_target = 1;
    Module33::make_floating_code();
  });
}

}  // namespace

Form7::Form7() : WizardPage("Step-6", 10875, 7785, true, kControls) {
  start_save_path(Text1);
  webcode::set_floating_code_box(this);
  on_click(Check1, &Form7::Check1_Click);
  connect(Text1, &QLineEdit::textChanged, this, [this] { Text1_Change(); });
  on_click(Command1, &Form7::Command1_Click);
  on_click(Command6, &Form7::Command6_Click);
  on_click(Command3, &Form7::Command3_Click);
  on_click(Command2, &Form7::Command2_Click);
  on_click(Command4, &Form7::Command4_Click);
}

Form7::~Form7() { webcode::set_floating_code_box(nullptr); }

void Form7::Form_Load() {
  core::yield();
  Check1_Click();
  backdrop(*ShockwaveFlash1, page<Form3>(), "SWF/form7.swf");
  make_encoder(m_cEncoder);
  make_code(save_path_of(Text1));
}

void Form7::Form_Activate() { activate_encode_page(*this, Check1); }

void Form7::Check1_Click() { compose_for_autoplay(Check1); }

void Form7::Text1_Change() { make_code(save_path_of(Text1)); }

void Form7::Command1_Click() {
  if (const auto name = choose_save_path(CommonDialog1, Text1)) make_code(*name);
}

void Form7::Command6_Click() {
  core::yield();
  copy_to_clipboard(Text2->toPlainText());
}

void Form7::Command3_Click() { run_encode(kStep6Encode, *this, m_cEncoder); }

void Form7::Command2_Click() {
  core::ignore_errors([] { Module5::kill_file(core::spd_path("final.swf")); });
  core::step_code = static_cast<std::int16_t>(wizard::number(PageId::FloatingStep5));
  go_to(PageId::FloatingStep5);
}

void Form7::Command4_Click() { end_process(); }

void Form7::set_text(const std::string& text) {
  Text2->setPlainText(QString::fromStdString(text).replace("\r\n", "\n"));
}

}  // namespace wizard
