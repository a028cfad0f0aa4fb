#include "wizard/pages/finish.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "core/errors.h"
#include "core/hooks.h"
#include "core/paths.h"
#include "core/shared_state.h"
#include "engine/files.h"
#include "platform/flash/browser_control.h"
#include "platform/flash/flash_control.h"
#include "webcode/page_code.h"
#include "webcode/sample_page.h"
#include "wizard/framework/page_registry.h"
#include "wizard/pages/step4_choice.h"

namespace wizard {

namespace {

PageRegistrar<Form12> registrar;

// Whether the control `name` of page `id` is set; a page not opened in this run counts as
// off and is not opened by asking.
bool is_set(PageId id, const char* name) {
  if (!page_exists(wizard::number(id))) return false;
  if (auto* box = page(id)->find<QAbstractButton>(name)) return box->isChecked();
  return false;
}

}  // namespace

Form12::Form12() : WizardPage("Finish", 10875, 7785, true, kControls) {
  on_click(Command1, &Form12::Command1_Click);
  on_click(Command2, &Form12::Command2_Click);
}

void Form12::Form_Load() {
  core::yield();
  WebBrowser1->Visible(false);
  ShockwaveFlash2->Visible(false);
  backdrop(*ShockwaveFlash1, page<Form3>(), "blank.swf");

  // The finished movie on the chosen background, started at once when autoplay was chosen.
  const bool autoplay = autoplay_chosen();
  ShockwaveFlash2->Visible(true);
  ShockwaveFlash1->LoadMovie(0, core::spd_path("SWF/form12_a.swf"));
  ShockwaveFlash2->BGColor(core::back_gnd_color);
  ShockwaveFlash2->LoadMovie(0, core::spd_path("blank.swf"));
  ShockwaveFlash2->LoadMovie(0, core::spd_path("final.swf"));
  if (autoplay) ShockwaveFlash2->Play();

  const bool floating = is_set(PageId::Choice, "Option2");
  const bool fixed = is_set(PageId::Choice, "Option1");
  const auto show_paths = [this](webcode::PageKind kind) {
    Text1->setPlainText(QString::fromStdString(Module33::movie_path));
    Text2->setText(QString::fromStdString(webcode::sample_page_file(kind)));
    Text3->setText(QString::fromStdString(webcode::sample_text_copy(kind)));
  };
  if (floating) show_paths(webcode::PageKind::floating);
  if (fixed) show_paths(webcode::PageKind::fixed);
  ShockwaveFlash2->BGColor(core::back_gnd_color);
  if (floating) refresh2();
  if (fixed) refresh3();
}

void Form12::Form_Activate() { load(); }

bool Form12::autoplay_chosen() const {
  // The box of the page that encoded: the other road's box may still be ticked from an
  // earlier visit, for a movie built without autoplay.
  if (core::step_code == wizard::number(PageId::Step6)) return is_set(PageId::Step6, "Check1");
  if (core::step_code == wizard::number(PageId::FixedStep5)) return is_set(PageId::FixedStep5, "Check1");
  return false;
}

void Form12::refresh2() {
  core::yield();
  core::ignore_errors([] { webcode::write_floating_sample(core::save_path); });
}

void Form12::refresh3() {
  core::yield();
  core::ignore_errors([] { webcode::write_fixed_sample(core::save_path); });
}

void Form12::Command1_Click() {
  page_file = core::spd_path("final.swf");
  core::ignore_errors([this] { Module5::kill_file(page_file); });
  Hide();
  if (core::step_code == wizard::number(PageId::Step6) ||
      core::step_code == wizard::number(PageId::FixedStep5)) {
    if (WizardPage* encoder = page(core::step_code)) encoder->Show();
  }
}

// The results were written along the way: nothing is left to save.
void Form12::Command2_Click() { Form_Unload(); }

void Form12::Form_Unload() {
  core::yield();
  end_process();
}

}  // namespace wizard
