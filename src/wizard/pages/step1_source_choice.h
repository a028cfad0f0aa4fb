#pragma once

#include "wizard/framework/wizard_page.h"
#include "wizard/tables/step1_source_choice.h"

class QLabel;
class QPushButton;
class QRadioButton;

namespace wizard {

/// Step 1: where the sound comes from (speech, microphone or a file). The options carry no
/// captions; the backdrop movie shows what each one means beside it.
class form8 : public WizardPage {
  Q_OBJECT

 public:
  static constexpr int kNumber = wizard::number(PageId::StepOne);
  static constexpr ControlTable kControls = tables::kStepOne;
  form8();
  int number() const override { return kNumber; }

  void Option1_Click();
  void Option2_Click();
  void Option3_Click();
  void Command1_Click();
  void Command2_Click();
  void Form_Load() override;

  QLabel* Picture1;
  QPushButton* Command2;
  QPushButton* Command1;
  QRadioButton* Option3;
  QRadioButton* Option2;
  QRadioButton* Option1;
  platform::flash::FlashControl* ShockwaveFlash1;
};

}  // namespace wizard
