#include "wizard/pages/step3_gallery.h"

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <exception>
#include <functional>

#include "core/errors.h"
#include "core/hooks.h"
#include "core/paths.h"
#include "core/shared_state.h"
#include "engine/files.h"
#include "engine/style_composer.h"
#include "engine/style_pieces.h"
#include "platform/flash/flash_control.h"
#include "wizard/framework/page_registry.h"
#include "wizard/framework/picture_box.h"

namespace wizard {

namespace {

PageRegistrar<Form2> registrar;

using engine::style::StylePicture;

// The working files a visit starts without.
constexpr const char* kWorkingFiles[] = {"middle.spd",     "tp.spd",         "mp3_data2.dat",
                                         "sprite_mp3.dat", "sprite_top.dat", "bottom.spd"};

// Runs a composition of the preview; a template piece that is missing or damaged is said so,
// and the page stays usable (the composers leave no half-written working pieces).
void compose(const std::function<void()>& composition) {
  try {
    composition();
  } catch (const core::VbError& error) {
    core::message_box("The style could not be composed: " + error.description());
  } catch (const std::exception& error) {
    core::message_box(std::string("The style could not be composed: ") + error.what());
  }
}

// Prepares the preview file for the next composition; a failure is said, the page goes on.
void write_preview_head_or_say() {
  try {
    engine::style::write_preview_head();
  } catch (const core::VbError& error) {
    core::message_box("The preview movie cannot be written: " + error.description());
  }
}

QColor colour_of(const std::string& rrggbb) { return QColor(QString::fromStdString("#" + rrggbb)); }

}  // namespace

Form2::Form2() : WizardPage("Step-3", 12060, 8790, true, kControls) {
  for (PictureBox* white : {Picture99, Picture2}) {
    white->setPalette(QPalette(Qt::white));
    white->Cls();
  }
  // The style pictures show their thumbnails edge to edge; the frames are drawn over them.
  std::string missing;
  const QString pictures = QString::fromStdString((core::executable_dir() / "pictures").string()) + "/";
  for (const StylePicture& p : engine::style::kStylePictures) {
    PictureBox* picture = Picture(p.number);
    picture->setFrameStyle(QFrame::NoFrame);
    picture->setPalette(QPalette(Qt::white));
    const QString file = pictures + QString::fromStdString(engine::style::thumbnail_name(p));
    const QImage thumbnail(file);
    if (thumbnail.isNull()) missing += (missing.empty() ? "" : ", ") + file.toStdString();
    picture->set_picture(thumbnail);
  }
  if (!missing.empty()) core::message_box("These style pictures are missing: " + missing);

  on_click(Command1, &Form2::Command1_Click);
  on_click(Command2, &Form2::Command2_Click);
  on_click(Command3, &Form2::Command3_Click);
  on_click(Option1, &Form2::Option1_Click);
  on_click(Option2, &Form2::Option2_Click);
  on_click(Option3, &Form2::Option3_Click);
  on_click(Option4, &Form2::Option4_Click);
  on_click("Picture", &Form2::Picture_Click);

  engine::set_style_preview(this);
  engine::style::set_frame_canvas(this);
}

Form2::~Form2() {
  if (engine::style_preview() == this) engine::set_style_preview(nullptr);
  engine::style::set_frame_canvas(nullptr);
}

PictureBox* Form2::Picture(int number) const { return find<PictureBox>("Picture", number); }

void Form2::Form_Load() {
  core::yield();
  core::button_selected = false;
  // Every step from here on goes on when one fails.
  for (const char* file : kWorkingFiles)
    core::ignore_errors([file] { Module5::kill_file(core::spd_path(file)); });
  core::ignore_errors([this] { backdrop(*ShockwaveFlash2, *this, "SWF/form2.swf"); });
  core::ignore_errors([this] {
    Option1->setEnabled(false);
    Option1->setVisible(false);
  });
  core::ignore_errors([] { Module2::reset_style_flags(); });
  core::back_gnd_color = "FFFFFF";
  core::ignore_errors([this] {
    Picture106->setVisible(false);
    Picture106->setEnabled(false);
    Picture125->setVisible(false);
    Picture125->setEnabled(false);
  });
  core::ignore_errors([this] {
    const QSignalBlocker quiet(Option2);
    Option2->setChecked(true);
    show_sam_gallery();
  });
  core::ignore_errors([] { engine::style::write_preview_head(); });
  // No style is picked now, so no picture keeps a frame from an earlier visit.
  core::ignore_errors([this] { wipe_all_frames(); });
  core::ignore_errors([this] { fill_palette(); });
}

void Form2::Form_Activate() { load(); }

void Form2::Command1_Click() {
  core::yield();
  const std::string failure = engine::style::restore_templates();
  if (!failure.empty()) {
    core::message_box("The original styles could not be restored: " + failure);
    return;
  }
  // Back to the source page the user came from; any other code leaves the page as it is.
  for (PageId source : {PageId::Speech, PageId::Microphone, PageId::File}) {
    if (core::source_form == wizard::number(source)) go_to(source);
  }
}

void Form2::Command2_Click() {
  core::yield();
  if (!core::button_selected) {
    core::message_box("Please Select a button");
    return;
  }
  core::button_selected = false;
  go_to(PageId::Choice);
  core::step_code = static_cast<std::int16_t>(kNumber);
}

void Form2::Command3_Click() { end_process(); }

void Form2::Option1_Click() {
  core::yield();
  set_sam_pictures_visible(false);
  Picture99->setVisible(false);
  Picture99->setEnabled(false);
  Picture125->setEnabled(false);
  Picture125->setVisible(false);
  show_beside_sam_gallery(Picture106, 8000);
  write_preview_head_or_say();
}

void Form2::Option2_Click() {
  core::yield();
  show_sam_gallery();
  write_preview_head_or_say();
}

void Form2::Option3_Click() {
  core::yield();
  write_preview_head_or_say();
}

void Form2::Option4_Click() {
  core::yield();
  set_sam_pictures_visible(false);
  Picture99->setVisible(false);
  Picture99->setEnabled(false);
  Picture106->setEnabled(false);
  Picture106->setVisible(false);
  show_beside_sam_gallery(Picture125, 3000);
}

void Form2::Picture_Click(int number) {
  if (const StylePicture* picture = engine::style::style_picture(number)) {
    style_picture_click(*picture);
  } else if (number >= 3 && number <= 98) {
    swatch_click(number);
  }
}

void Form2::style_picture_click(const StylePicture& p) {
  core::yield();
  if (p.group == 1) core::button_type = 1;
  if (p.group == 3) core::button_type = 2;
  core::button_selected = true;
  Module2::set_style_flag(static_cast<std::int16_t>(p.number), static_cast<std::int16_t>(p.group));
  Module1::clear_style_frames(p.number, static_cast<std::int16_t>(p.group));
  engine::style::draw_style_frame(p, p.frame_colour);
  compose([&p] {
    Module5::apply_back_gnd_color(core::back_gnd_color, p.style, p.target, p.family);
    // A sin pick ends with its background; the players show their pieces as they now are.
    if (*p.style_id) Module7::preview_style(p.style_id);
  });
}

void Form2::swatch_click(int number) {
  core::yield();
  const std::string& colour = color_code[static_cast<std::size_t>(number)];
  compose([this, &colour] {
    if (Option1->isChecked()) Module3::apply_color(2, colour);
    if (Option2->isChecked()) Module3::apply_color(1, colour);
    if (Option3->isChecked()) Module3::apply_color(3, colour);
    if (Option4->isChecked()) Module3::apply_color(5, colour);
  });
}

void Form2::show_sam_gallery() {
  Picture106->setVisible(false);
  Picture99->setVisible(true);
  Picture99->setEnabled(true);
  set_sam_pictures_visible(true);
  Picture106->setEnabled(false);
  Picture125->setEnabled(false);
  Picture106->setVisible(false);
  Picture125->setVisible(false);
}

// The ind and sin galleries open where the sam gallery stands, as high as it is.
void Form2::show_beside_sam_gallery(PictureBox* gallery, int width) {
  gallery->setEnabled(true);
  place(gallery, Picture99->x() * kTwipsPerPixel, Picture99->y() * kTwipsPerPixel, width, 3495);
  gallery->setVisible(true);
}

void Form2::set_sam_pictures_visible(bool visible) {
  for (int number = 100; number <= 105; ++number) Picture(number)->setVisible(visible);
}

void Form2::fill_palette() {
  for (const auto* grid : {&tables::kSwatches1, &tables::kSwatches2}) {
    for (const auto& row : *grid) {
      for (const tables::Swatch& swatch : row) {
        color_code[static_cast<std::size_t>(swatch.number)] = swatch.colour;
        PictureBox* picture = Picture(swatch.number);
        picture->setPalette(QPalette(colour_of(swatch.colour)));
        picture->Cls();
      }
    }
  }
}

void Form2::wipe_all_frames() {
  for (std::int16_t group = 1; group <= 3; ++group) Module1::clear_style_frames(0, group);
}

void Form2::load_movie(int layer, const std::string& path) { ShockwaveFlash1->LoadMovie(layer, path); }
void Form2::play() { ShockwaveFlash1->Play(); }
void Form2::set_bg_color(const std::string& color) { ShockwaveFlash1->BGColor(color); }

int Form2::picture_width(int number) const { return width_twips(Picture(number)); }
int Form2::picture_height(int number) const { return height_twips(Picture(number)); }

void Form2::draw_box(int number, int x1, int y1, int x2, int y2, int line_width, int colour) {
  Picture(number)->box(x1, y1, x2, y2, palette_colour(colour), line_width);
}

}  // namespace wizard
