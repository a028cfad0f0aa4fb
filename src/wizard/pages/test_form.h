#pragma once

#include <QStringList>
#include <array>

#include "wizard/framework/wizard_page.h"
#include "wizard/tables/test_form.h"

namespace wizard {

/// The developer's test form. It is never shown: three pages take their backdrop's size from
/// it, which creates and loads it, hidden, on first use.
class Form1 : public WizardPage {
  Q_OBJECT

 public:
  static constexpr int kNumber = wizard::number(PageId::TestForm);
  static constexpr ControlTable kControls = tables::kTestForm;
  Form1();
  int number() const override { return kNumber; }

  void Command1_Click();
  void Command2_Click();
  void Command3_Click();

  /// What the form has printed on itself, line by line.
  const QStringList& printed() const { return printed_; }

  WIZARD_CONTROLS(Text1, Text2, Command1, Command2, Command3, Command4)
  const std::array<PictureBox*, 96> Picture =
      controls<Kind::Picture, 96>("Picture", 1);  // Picture1 ... Picture96

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Print(const QString& text);
  QStringList printed_;
};

}  // namespace wizard
