#pragma once

#include "wizard/framework/wizard_page.h"
#include "wizard/tables/finish.h"

namespace wizard {

/// The last page: the finished movie on its background (playing at once with autoplay), where
/// the movie, the sample page and its text copy are, and the sample page written for them.
class Form12 : public WizardPage {
  Q_OBJECT

 public:
  static constexpr int kNumber = wizard::number(PageId::Finish);
  static constexpr ControlTable kControls = tables::kFinish;
  Form12();
  int number() const override { return kNumber; }

  void Form_Load() override;
  void Form_Activate() override;
  void Form_Unload() override;
  void Command1_Click();
  void Command2_Click();
  /// Writes the floating sample page and its text copy for the saved movie.
  void refresh2();
  /// Writes the fixed sample page and its text copy for the saved movie.
  void refresh3();
  /// Whether the finished movie was built to play by itself: the autoplay box of the page that
  /// encoded it.
  bool autoplay_chosen() const;

  /// The file that "< Back" deletes.
  std::string page_file;

  WIZARD_CONTROLS(Picture1, ShockwaveFlash2, Label1, Text1, Label2, Text2, Label3, Text3, Label4, WebBrowser1,
                  Command1, Command2, ShockwaveFlash1)
};

}  // namespace wizard
