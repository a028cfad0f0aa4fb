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

Form3::Form3() : WizardPage("Step-4", 10875, 7785, true) {
  build(kControls);
  Picture1 = find<QLabel>("Picture1");
  Option1 = find<QRadioButton>("Option1");
  Option2 = find<QRadioButton>("Option2");
  Command2 = find<QPushButton>("Command2");
  Command1 = find<QPushButton>("Command1");
  Command3 = find<QPushButton>("Command3");
  ShockwaveFlash1 = find<platform::flash::FlashControl>("ShockwaveFlash1");
  on_click(Option1, [this] { Option1_Click(); });
  on_click(Option2, [this] { Option2_Click(); });
  on_click(Command1, [this] { Command1_Click(); });
  on_click(Command2, [this] { Command2_Click(); });
  on_click(Command3, [this] { Command3_Click(); });
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
