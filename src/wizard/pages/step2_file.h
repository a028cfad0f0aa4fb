#pragma once

#include <memory>
#include <string>

#include "wizard/framework/file_dialog.h"
#include "wizard/framework/wizard_page.h"
#include "wizard/tables/step2_file.h"

class cLameEncoder;

namespace wizard {

/// Step 2 for a file: the user opens an MP3 or WAV file (a WAV is encoded to the working MP3
/// at once) and sees its name, play time and size.
class Form4 : public WizardPage {
  Q_OBJECT

 public:
  static constexpr int kNumber = wizard::number(PageId::File);
  static constexpr ControlTable kControls = tables::kFileSource;
  Form4();
  ~Form4() override;
  int number() const override { return kNumber; }

  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();
  void Form_Load() override;
  void Form_Activate() override;

  /// The text of Text1 with its line breaks as CR LF.
  std::string Text1_Text() const;

  WIZARD_CONTROLS(Picture1, Text1, Command4, Command3, Command2, Command1, ShockwaveFlash1)
  CommonDialog CommonDialog1;
  std::unique_ptr<cLameEncoder> m_cEncoder;

 private:
  void set_text(const std::string& text);
};

}  // namespace wizard
