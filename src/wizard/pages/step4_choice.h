#pragma once

#include "wizard/framework/wizard_page.h"
#include "wizard/tables/step4_choice.h"

namespace wizard {

/// Step 4: a fixed button, or one that floats over the page. The page keeps its choice
/// between visits (its activation does nothing); going back drops the style's working pieces.
class Form3 : public WizardPage {
  Q_OBJECT

 public:
  static constexpr int kNumber = wizard::number(PageId::Choice);
  static constexpr ControlTable kControls = tables::kChoice;
  Form3();
  int number() const override { return kNumber; }

  void Form_Load() override;
  void Option1_Click();
  void Option2_Click();
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();

  WIZARD_CONTROLS(Picture1, Option1, Option2, Command2, Command1, Command3, ShockwaveFlash1)
};

}  // namespace wizard
