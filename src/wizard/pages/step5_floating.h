#pragma once

#include <QButtonGroup>
#include <string>

#include "wizard/framework/wizard_page.h"
#include "wizard/tables/step5_floating.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace platform::flash {
class BrowserControl;
}

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

  QLabel* Picture1;
  QRadioButton* Option4;
  QRadioButton* Option5;
  QRadioButton* Option1;
  QRadioButton* Option2;
  QRadioButton* Option3;
  QLineEdit* Text3;
  QLineEdit* Text4;
  QPushButton* Command6;
  QLineEdit* Text1;
  QLineEdit* Text2;
  QPushButton* Command4;
  QPushButton* Command2;
  QPushButton* Command7;
  platform::flash::BrowserControl* WebBrowser1;
  QPlainTextEdit* Text5;
  QPushButton* Command3;
  QPushButton* Command5;
  QPushButton* Command8;
  platform::flash::FlashControl* ShockwaveFlash1;

  /// The page the browser shows when the page loads.
  std::string page_file;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QButtonGroup corners_;
  QButtonGroup speeds_;
};

}  // namespace wizard
