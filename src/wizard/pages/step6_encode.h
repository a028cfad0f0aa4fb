#pragma once

#include <memory>

#include "webcode/page_code.h"
#include "wizard/framework/file_dialog.h"
#include "wizard/framework/wizard_page.h"
#include "wizard/tables/step6_encode.h"

class cLameEncoder;

namespace wizard {

/// Step 6 of a floating button: autoplay, where the movie is saved, the floating code that
/// shows it on a page, and Encode.
class Form7 : public WizardPage, public webcode::CodeBox {
  Q_OBJECT

 public:
  static constexpr int kNumber = wizard::number(PageId::Step6);
  static constexpr ControlTable kControls = tables::kStep6;
  Form7();
  ~Form7() override;
  int number() const override { return kNumber; }

  void Form_Load() override;
  void Form_Activate() override;
  void Check1_Click();
  void Text1_Change();
  void Command1_Click();
  void Command6_Click();
  void Command3_Click();
  void Command2_Click();
  void Command4_Click();

  // webcode::CodeBox: the floating code generator writes the code box.
  void set_text(const std::string& text) override;

  WIZARD_CONTROLS(Picture1, Check1, Text1, Command1, Text2, Command6, Command3, Command2, Command4,
                  ShockwaveFlash1)
  CommonDialog CommonDialog1;
  std::unique_ptr<cLameEncoder> m_cEncoder;
};

}  // namespace wizard
