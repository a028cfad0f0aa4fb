#pragma once

#include <QButtonGroup>
#include <cstdint>
#include <optional>
#include <string>

#include "webcode/movie_size.h"
#include "wizard/framework/wizard_page.h"
#include "wizard/tables/step5_floating.h"

namespace wizard {

/// Step 5 of a floating button: the corner it floats to, how fast it follows the scrolling and
/// its size on the page, shown live on the sample page in the browser around the style preview.
class Form11 : public WizardPage {
  Q_OBJECT

 public:
  static constexpr int kNumber = wizard::number(PageId::FloatingStep5);
  static constexpr ControlTable kControls = tables::kFloatingStep5;
  Form11();
  int number() const override { return kNumber; }

  void Form_Load() override;
  void Form_Activate() override;
  void Option4_Click();
  void Option5_Click();
  void Option1_Click();
  void Option2_Click();
  void Option3_Click();
  void Command6_Click();
  void Text3_GotFocus();
  void Text4_GotFocus();
  void Command4_Click();
  void Command2_Click();
  void Command7_Click();
  void Command3_Click();
  void Command5_Click();
  void Command8_Click();

  WIZARD_CONTROLS(Picture1, Option4, Option5, Option1, Option2, Option3, Text3, Text4, Command6, Text1, Text2,
                  Command4, Command2, Command7, WebBrowser1, Text5, Command3, Command5, Command8,
                  ShockwaveFlash1)

  /// The page the browser shows when the page loads.
  std::string page_file;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  /// The code of the sample page, for the preview movie, from the parameters as they stand.
  void make_sample_code();

  QButtonGroup corners_;
  QButtonGroup speeds_;
  std::optional<webcode::MovieSize> accepted_;  // the size Accept last took
  std::int16_t accepted_for_ = 0;               // the button type it was taken for
};

}  // namespace wizard
