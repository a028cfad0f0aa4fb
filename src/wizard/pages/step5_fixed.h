#pragma once

#include <memory>

#include "webcode/page_code.h"
#include "wizard/framework/file_dialog.h"
#include "wizard/framework/wizard_page.h"
#include "wizard/tables/step5_fixed.h"

class cLameEncoder;

namespace wizard {

/// Step 5 of a fixed button: autoplay, the size the page code gives the movie, where the
/// movie is saved, the code that embeds it, and Encode.
class Form14 : public WizardPage, public webcode::CodeBox {
  Q_OBJECT

 public:
  static constexpr int kNumber = wizard::number(PageId::FixedStep5);
  static constexpr ControlTable kControls = tables::kFixedStep5;
  Form14();
  ~Form14() override;
  int number() const override { return kNumber; }

  void Form_Load() override;
  void Form_Activate() override;
  void Check1_Click();
  void Text2_Change();
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();
  void Command5_Click();
  void Command6_Click();

  // webcode::CodeBox: the fixed code generator writes the code box.
  void set_text(const std::string& text) override;

  WIZARD_CONTROLS(Picture1, Check1, Text3, Text4, Command5, Label1, Text2, Command4, Text1, Command6,
                  Command2, Command1, Command3, ShockwaveFlash1)
  CommonDialog CommonDialog1;
  std::unique_ptr<cLameEncoder> m_cEncoder;

 private:
  /// Takes the size boxes into the page code's size entries. Boxes that give no size leave the
  /// entries at the last good size and, when `tell`, say which box is at fault.
  bool take_size(bool tell);
  std::int16_t sized_for_ = 1;  // the button type the size boxes were last set for
};

}  // namespace wizard
