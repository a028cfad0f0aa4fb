#include "wizard/pages/step4_choice.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "core/errors.h"
#include "core/hooks.h"
#include "core/paths.h"
#include "core/shared_state.h"
#include "engine/files.h"
#include "platform/flash/flash_control.h"
#include "wizard/framework/page_registry.h"

namespace wizard {

namespace {
PageRegistrar<Form3> registrar;
}  // namespace

Form3::Form3() : WizardPage("Step-4", 10875, 7785, true, kControls) {
  on_click(Option1, &Form3::Option1_Click);
  on_click(Option2, &Form3::Option2_Click);
  on_click(Command1, &Form3::Command1_Click);
  on_click(Command2, &Form3::Command2_Click);
  on_click(Command3, &Form3::Command3_Click);
}

void Form3::Form_Load() {
  backdrop(*ShockwaveFlash1, *this, "SWF/form3.swf");
  Option2->setChecked(false);
}

void Form3::Option1_Click() { Option1->setChecked(true); }

void Form3::Option2_Click() { Option2->setChecked(true); }

void Form3::Command2_Click() {
  core::yield();
  if (Option1->isChecked()) {
    go_to(PageId::FixedStep5);
    core::step_code = static_cast<std::int16_t>(wizard::number(PageId::FixedStep5));
  }
  if (Option2->isChecked()) {
    // The floating step 5 hides this page itself once it has loaded.
    if (WizardPage* floating = page(PageId::FloatingStep5)) floating->Show();
    core::step_code = static_cast<std::int16_t>(wizard::number(PageId::FloatingStep5));
  }
  if (!Option1->isChecked() && !Option2->isChecked()) core::message_box("Please select the option");
}

void Form3::Command1_Click() {
  core::yield();
  // The build's intermediate files, then the style's working pieces.
  for (const char* file :
       {"sprite_top.dat", "sprite_mp3.dat", "mp3_data2.dat", "tp.spd", "middle.spd", "bottom.spd"})
    core::ignore_errors([&] { Module5::kill_file(core::spd_path(file)); });
  core::step_code = static_cast<std::int16_t>(wizard::number(PageId::Gallery));
  go_to(PageId::Gallery);
}

void Form3::Command3_Click() { end_process(); }

}  // namespace wizard
