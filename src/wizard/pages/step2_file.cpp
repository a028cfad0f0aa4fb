#include "wizard/pages/step2_file.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "audio/codec/lame_encoder.h"
#include "audio/codec/source_file.h"
#include "core/errors.h"
#include "core/hooks.h"
#include "core/paths.h"
#include "core/shared_state.h"
#include "platform/flash/flash_control.h"
#include "wizard/framework/page_registry.h"

namespace wizard {

namespace {

PageRegistrar<Form4> registrar;

// The working MP3 that a chosen WAV file is encoded to.
std::string tmp_mp3() { return core::spd_path("twav/tmp.mp3"); }

const std::string kNoFile = std::string(13, ' ') + "No File selected \r\n";

}  // namespace

Form4::Form4() : WizardPage("Step-2", 10875, 7785, true, kControls) {
  Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  set_text(kNoFile);
  on_click(Command1, &Form4::Command1_Click);
  on_click(Command2, &Form4::Command2_Click);
  on_click(Command3, &Form4::Command3_Click);
  on_click(Command4, &Form4::Command4_Click);
}

Form4::~Form4() = default;

void Form4::Command1_Click() {
  core::yield();
  m_cEncoder = std::make_unique<cLameEncoder>();
  CommonDialog1.Filter = "mp3(*.mp3)|*.mp3|wav files(*.wav)|*.wav";
  CommonDialog1.ShowOpen(this);
  const std::string chosen = CommonDialog1.FileName;
  if (chosen.empty()) {
    core::source_filename.clear();  // a cancelled dialog leaves the page without a file
  } else {
    // A file that cannot be used is told; the page keeps the sound it had.
    const source_file::Opened opened = source_file::open(chosen, m_cEncoder, tmp_mp3());
    if (!opened.refusal.empty()) core::message_box(opened.refusal);
    if (!opened.source.empty()) {
      core::source_filename = opened.source;
      core::source_type = "mp3";
      set_text(opened.text);
    }
  }
  Command2->setEnabled(!core::source_filename.empty());
}

void Form4::Command2_Click() {
  core::yield();
  // The gallery is the next step; without it the page stays.
  go_to(PageId::Gallery);
  core::rate_check_done = 0;
}

void Form4::Command3_Click() { end_process(); }

void Form4::Command4_Click() { go_to(PageId::StepOne); }

void Form4::Form_Load() {
  core::yield();
  backdrop(*ShockwaveFlash1, *this, "SWF/form4.swf");
  core::source_filename.clear();
  core::source_type.clear();
  Command2->setEnabled(!core::source_filename.empty());
}

void Form4::Form_Activate() { load(); }

void Form4::set_text(const std::string& text) {
  Text1->setPlainText(QString::fromStdString(text).replace("\r\n", "\n"));
}

std::string Form4::Text1_Text() const { return Text1->toPlainText().replace("\n", "\r\n").toStdString(); }

}  // namespace wizard
