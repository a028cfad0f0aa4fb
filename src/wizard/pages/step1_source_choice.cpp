#include "wizard/pages/step1_source_choice.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "core/hooks.h"
#include "core/shared_state.h"
#include "platform/flash/flash_control.h"
#include "wizard/framework/page_registry.h"
#include "wizard/pages/test_form.h"

namespace wizard {

namespace {
PageRegistrar<form8> registrar;

// The page codes each option records: the page it leads to.
void choose(PageId source) {
  core::yield();
  core::step_code = static_cast<std::int16_t>(number(source));
  core::source_form = static_cast<std::int16_t>(number(source));
}
}  // namespace

form8::form8() : WizardPage("Step-1", 10875, 7785, true, kControls) {
  on_click(Option1, &form8::Option1_Click);
  on_click(Option2, &form8::Option2_Click);
  on_click(Option3, &form8::Option3_Click);
  on_click(Command1, &form8::Command1_Click);
  on_click(Command2, &form8::Command2_Click);
}

void form8::Option1_Click() { choose(PageId::Speech); }
void form8::Option2_Click() { choose(PageId::Microphone); }
void form8::Option3_Click() { choose(PageId::File); }

void form8::Command1_Click() {
  // The speech page hides step 1 itself when it has loaded.
  if (Option1->isChecked()) {
    if (WizardPage* speech = page(PageId::Speech)) speech->Show();
  }
  if (Option2->isChecked()) go_to(PageId::Microphone);
  if (Option3->isChecked()) go_to(PageId::File);
}

void form8::Command2_Click() { close(); }

void form8::Form_Load() {
  core::yield();
  backdrop(*ShockwaveFlash1, page<Form1>(), "SWF/form8.swf");
  core::voice_lists_filled = 0;
}

}  // namespace wizard
