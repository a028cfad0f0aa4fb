#include "wizard/pages/test_form.h"

#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <cmath>

#include "audio/codec/mp3_info.h"
#include "core/errors.h"
#include "core/paths.h"
#include "wizard/framework/page_registry.h"
#include "wizard/framework/picture_box.h"

namespace wizard {

namespace {
PageRegistrar<Form1> registrar;

// The number in a text box, as the form's handlers read it: anything else is a type mismatch.
std::int32_t number_in(const QLineEdit* box) {
  bool ok = false;
  const double value = box->text().trimmed().toDouble(&ok);
  if (!ok || value < -2147483648.0 || value > 2147483647.0)
    throw core::VbError(13, core::exe_name(), "Type mismatch");
  return static_cast<std::int32_t>(std::nearbyint(value));
}

}  // namespace

Form1::Form1() : WizardPage("form1", 12510, 7725, false, kControls) {
  on_click(Command1, &Form1::Command1_Click);
  on_click(Command2, &Form1::Command2_Click);
  on_click(Command3, &Form1::Command3_Click);
}

void Form1::Command1_Click() {
  Module55::mp3_bitrate(core::drive_c_path("song1.mp3"));
  Print("this is");
}

void Form1::Command2_Click() {
  std::string text = Module55::format_duration(number_in(Text2));
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) text.resize(text.size() - 2);
  Text1->setText(QString::fromStdString(text));
}

void Form1::Command3_Click() {
  Text1->setText(QString::fromStdString(Module55::format_file_size(number_in(Text2))));
}

void Form1::Print(const QString& text) {
  printed_.append(text);
  update();
}

void Form1::paintEvent(QPaintEvent* event) {
  WizardPage::paintEvent(event);
  QPainter painter(this);
  const int line = painter.fontMetrics().height();
  for (int i = 0; i < printed_.size(); ++i) painter.drawText(0, line * (i + 1), printed_[i]);
}

}  // namespace wizard
