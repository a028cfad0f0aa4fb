#include "wizard/pages/step2_microphone.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <array>

#include "audio/recorder/recorder.h"
#include "audio/speech/text_recording.h"
#include "core/errors.h"
#include "core/hooks.h"
#include "core/paths.h"
#include "core/shared_state.h"
#include "engine/files.h"
#include "platform/flash/flash_control.h"
#include "wizard/framework/page_registry.h"
#include "wizard/framework/small_player.h"
#include "wizard/pages/test_form.h"

namespace wizard {

namespace {

PageRegistrar<Form9> registrar;

// The page's small player over its own buttons, playing the recording as the recorder saves it.
playback::SmallPlayer player(Form9& form) {
  return {.status = *form.ShockwaveFlash2,
          .record_button = form.Command1,
          .pause_button = form.Command4,
          .resume_button = form.Command8,
          .stop_button = form.Command5,
          .file = Module38::kRecording};
}

}  // namespace

Form9::Form9() : WizardPage("Step-2", 10875, 7785, true, kControls) {
  // The recorder's buttons in Arial, the player's in Times New Roman.
  for (QPushButton* button : {Command1, Command2}) button->setFont(QFont("Arial", 8));
  for (QPushButton* button : {Command3, Command4, Command5, Command8})
    button->setFont(QFont("Times New Roman", 8));

  on_click(Command1, &Form9::Command1_Click);
  on_click(Command2, &Form9::Command2_Click);
  on_click(Command3, &Form9::Command3_Click);
  on_click(Command4, &Form9::Command4_Click);
  on_click(Command8, &Form9::Command8_Click);
  on_click(Command5, &Form9::Command5_Click);
  on_click(Command6, &Form9::Command6_Click);
  on_click(Command7, &Form9::Command7_Click);
  on_click(Command11, &Form9::Command11_Click);
  on_click(Command10, &Form9::Command10_Click);
  on_click(Command12, &Form9::Command12_Click);
}

void Form9::status(const char* movie) {
  ShockwaveFlash2->LoadMovie(0, core::spd_path(std::string("SWF/") + movie));
}

void Form9::Form_Load() {
  core::yield();
  Command1->setEnabled(true);
  for (QPushButton* button : {Command2, Command3, Command4, Command5, Command6, Command7})
    button->setEnabled(false);
  backdrop(*ShockwaveFlash1, page<Form1>(), "SWF/form9.swf");
  status("start_recording_background.swf");
  Command8->hide();
  Command8->setEnabled(false);
  // A visit starts without a recording, and without the speech page's either.
  core::ignore_errors([] { Module5::kill_file(core::spd_path("wvtemp/microphone.wav")); });
  core::ignore_errors([] { Module5::kill_file(text_recording::recording_path()); });
}

void Form9::Form_Activate() { load(); }

void Form9::Command1_Click() {
  core::yield();
  const std::array<QPushButton*, 7> buttons = {Command1, Command2, Command3, Command4,
                                               Command5, Command6, Command7};
  std::array<bool, 7> before{};
  for (std::size_t i = 0; i < buttons.size(); ++i) before[i] = buttons[i]->isEnabled();
  Command2->setEnabled(true);
  for (QPushButton* button : {Command1, Command3, Command4, Command5, Command6, Command7})
    button->setEnabled(false);
  status("talking_girl.swf");
  if (Module38::start_recording("c:\\myfile.wav", "2", "16", "22050")) return;
  // The recorder has said why nothing records: the page stands as it did before the click.
  for (std::size_t i = 0; i < buttons.size(); ++i) buttons[i]->setEnabled(before[i]);
  status("start_recording_background.swf");
}

void Form9::Command2_Click() { stop_take(); }

bool Form9::stop_take() {
  core::yield();
  for (QPushButton* button : {Command1, Command3, Command6, Command7}) button->setEnabled(true);
  Command4->setEnabled(false);
  Command5->setEnabled(false);
  status("recording_stopped.swf");
  // The recorder shows its own failures; a recording it could not save or repair leaves the
  // page in its stopped state all the same.
  bool saved = false;
  core::ignore_errors([&saved] { saved = Module38::stop_recording(); });
  Command2->setEnabled(false);
  return saved;
}

void Form9::Command3_Click() {
  core::yield();
  for (QPushButton* button : {Command3, Command4, Command5}) button->setEnabled(true);
  for (QPushButton* button : {Command1, Command2, Command6, Command7}) button->setEnabled(false);
  player(*this).play();
}

void Form9::Command4_Click() {
  core::yield();
  player(*this).pause();  // "Pause" stays shown and enabled beneath "Resume"
  Command5->setEnabled(false);
}

void Form9::Command8_Click() {
  core::yield();
  player(*this).resume();
  Command5->setEnabled(true);
}

void Form9::Command5_Click() {
  core::yield();
  for (QPushButton* button : {Command1, Command2, Command4}) button->setEnabled(false);
  for (QPushButton* button : {Command3, Command5, Command6, Command7}) button->setEnabled(true);
  player(*this).stop();
}

void Form9::Command6_Click() {
  core::yield();
  player(*this).go_to_beginning();
}

void Form9::Command7_Click() {
  core::yield();
  player(*this).clear();
}

void Form9::Command11_Click() {
  // A take under way is finished and becomes the source; one that could not be saved keeps
  // the user here with the recorder's message. No recording at all is not checked for here:
  // the encoding reports a missing one and comes back.
  if (Module38::recording() && !stop_take()) return;
  core::source_filename.clear();
  core::source_type.clear();
  core::source_filename = core::spd_path("wvtemp/microphone.wav");
  core::source_type = "wav";
  go_to(PageId::Gallery);
  core::step_code = static_cast<std::int16_t>(kNumber);
  playback::stop_and_close();
}

void Form9::Command10_Click() {
  Module38::discard_recording();  // step 1 takes no recording: nothing records behind it
  go_to(PageId::StepOne);
}

void Form9::Command12_Click() { end_process(); }

}  // namespace wizard
