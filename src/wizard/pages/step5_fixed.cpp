#include "wizard/pages/step5_fixed.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "audio/codec/lame_encoder.h"
#include "audio/codec/wav_rate_probe.h"
#include "core/errors.h"
#include "core/hooks.h"
#include "core/paths.h"
#include "core/shared_state.h"
#include "engine/autoplay.h"
#include "engine/files.h"
#include "engine/final_movie.h"
#include "platform/flash/flash_control.h"
#include "webcode/movie_size.h"
#include "webcode/sample_page.h"
#include "wizard/framework/encode_pipeline.h"
#include "wizard/framework/page_registry.h"
#include "wizard/pages/step4_choice.h"

namespace wizard {

namespace {

PageRegistrar<Form14> registrar;

constexpr std::int16_t kSquareButton = 2;

}  // namespace

Form14::Form14() : WizardPage("Step-5", 10875, 7785, true, kControls) {
  // The default save path is in the home folder, where the page code points too.
  const std::string default_path = core::drive_c_path("MellixPlayer.swf");
  Text2->setText(QString::fromStdString(default_path));
  Module12::own_save_path(default_path);
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
  if (core::button_type == kSquareButton) {
    Text3->setText("90");
    Text4->setText("90");
  } else if (sized_for_ == kSquareButton) {
    Text3->setText("200");
    Text4->setText("73");
  }
  sized_for_ = core::button_type == kSquareButton ? kSquareButton : 1;

  core::ignore_errors([] { webcode::delete_sample_files(); });
  if (core::source_type == "wav")
    core::ignore_errors([] { core::source_sample_rate = Module35::wav_sample_rate(); });
  if (core::source_type == "wav" || core::source_type == "mp3")
    core::ignore_errors([this] { m_cEncoder = std::make_unique<cLameEncoder>(); });
  take_size(false);  // a size the boxes cannot give leaves the code at its last good size
  Module33::movie_path = Text2->text().toStdString();
  Module33::html_code.clear();
  core::ignore_errors([] { Module41::make_fixed_code(); });
}

void Form14::Form_Activate() {
  load();
  if (Check1->isChecked()) Module53::compose_autoplay_style();
}

void Form14::Check1_Click() {
  if (Check1->isChecked()) {
    Module53::compose_autoplay_style();
  } else {
    Module54::compose_plain_style();
  }
}

void Form14::Text2_Change() {
  Module33::movie_path = Text2->text().toStdString();
  core::ignore_errors([] { Module41::make_fixed_code(); });
}

void Form14::Command4_Click() {
  core::yield();
  CommonDialog1.Filter = "SWF Files(*.swf)|*.swf";
  // A cancelled dialog chooses nothing: the path, the code and every file stay as they are.
  if (!CommonDialog1.ShowSave(this)) return;
  const std::string name = CommonDialog1.FileName;
  Module12::own_save_path(name);  // the dialog asked before choosing an existing file
  Text2->setText(QString::fromStdString(name));
  Module33::movie_path = name;
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
