#pragma once

#include "wizard/framework/wizard_page.h"
#include "wizard/tables/step2_microphone.h"

namespace wizard {

/// Step 2 for the microphone: the user records, may listen to the recording with a small
/// player, and goes on with spd/wvtemp/microphone.wav as a WAV source.
class Form9 : public WizardPage {
  Q_OBJECT

 public:
  static constexpr int kNumber = wizard::number(PageId::Microphone);
  static constexpr ControlTable kControls = tables::kMicrophoneSource;
  Form9();
  int number() const override { return kNumber; }

  void Form_Load() override;
  void Form_Activate() override;
  void Command1_Click();   // "Start Recording"
  void Command2_Click();   // "Stop Recording"
  void Command3_Click();   // "Play"
  void Command4_Click();   // "Pause"
  void Command8_Click();   // "Resume"
  void Command5_Click();   // "Stop"
  void Command6_Click();   // "GoTo Begining"
  void Command7_Click();   // "Clear"
  void Command11_Click();  // "Next >"
  void Command10_Click();  // "< Back"
  void Command12_Click();  // "Cancel"

  WIZARD_CONTROLS(Picture1, Command12, Command11, Command10, Command8, ShockwaveFlash2, Command1, Command2,
                  Command3, Command4, Command5, Command6, Command7, ShockwaveFlash1)

 private:
  void status(const char* movie);
  // "Stop Recording": true when the take was saved and delivered as microphone.wav.
  bool stop_take();
};

}  // namespace wizard
