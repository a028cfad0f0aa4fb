#include "wizard/shell/form8.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "core/hooks.h"
#include "core/paths.h"
#include "core/shared_state.h"
#include "platform/flash/flash_control.h"
#include "wizard/shell/form1.h"
#include "wizard/shell/pages.h"

namespace wizard {

namespace {
PageRegistrar<form8> registrar;

// Pages that step 1 leads to.
constexpr int kSpeechPage = 10;
constexpr int kMicrophonePage = 9;
constexpr int kFilePage = 4;
}  // namespace

form8::form8() : WizardPage("Step-1", 10875, 7785, true) {
  ShockwaveFlash1 = new platform::flash::FlashControl(this);
  Picture1 = emblem(1455, 1695);
  Command2 = button("Cancel", 5040, 6480, 1815, 495);
  Command1 = button("Next >", 3000, 6480, 1815, 495);
  Option3 = option(3240, 3840, 255, 735);
  Option2 = option(3240, 3120, 255, 735);
  Option1 = option(3240, 2520, 255, 615);
  ShockwaveFlash1->lower();
  stack({Picture1, Command2, Command1, Option3, Option2, Option1});
  // Tab order follows the design's order of the options, then Next and Cancel.
  setTabOrder(Option1, Option2);
  setTabOrder(Option2, Option3);
  setTabOrder(Option3, Command1);
  setTabOrder(Command1, Command2);

  connect(Option1, &QRadioButton::toggled, this, [this](bool set) {
    if (set) Option1_Click();
  });
  connect(Option2, &QRadioButton::toggled, this, [this](bool set) {
    if (set) Option2_Click();
  });
  connect(Option3, &QRadioButton::toggled, this, [this](bool set) {
    if (set) Option3_Click();
  });
  connect(Command1, &QPushButton::clicked, this, &form8::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &form8::Command2_Click);
}

void form8::Option1_Click() {
  core::yield();
  core::step_code = kSpeechPage;
  core::source_form = kSpeechPage;
}

void form8::Option2_Click() {
  core::yield();
  core::step_code = kMicrophonePage;
  core::source_form = kMicrophonePage;
}

void form8::Option3_Click() {
  core::yield();
  core::step_code = kFilePage;
  core::source_form = kFilePage;
}

void form8::Command1_Click() {
  // The speech page hides step 1 itself when it has loaded.
  if (Option1->isChecked()) {
    if (WizardPage* speech = page(kSpeechPage)) speech->Show();
  }
  if (Option2->isChecked()) {
    if (WizardPage* microphone = page(kMicrophonePage)) {
      Hide();
      microphone->Show();
    }
  }
  if (Option3->isChecked()) {
    if (WizardPage* file = page(kFilePage)) {
      Hide();
      file->Show();
    }
  }
}

void form8::Command2_Click() { close(); }

void form8::Form_Load() {
  core::yield();
  Form1& reference = page<Form1>();
  ShockwaveFlash1->Height(reference.Height());
  ShockwaveFlash1->Left(0);
  ShockwaveFlash1->Top(0);
  ShockwaveFlash1->Width(reference.Width());
  ShockwaveFlash1->LoadMovie(0, core::spd_path("SWF/form8.swf"));
  core::voice_lists_filled = 0;
}

}  // namespace wizard
