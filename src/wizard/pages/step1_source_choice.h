#pragma once

#include "wizard/framework/wizard_page.h"
#include "wizard/tables/step1_source_choice.h"

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

  WIZARD_CONTROLS(Picture1, Command2, Command1, Option3, Option2, Option1, ShockwaveFlash1)
};

}  // namespace wizard
