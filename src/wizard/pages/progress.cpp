#include "wizard/pages/progress.h"

#include <QLabel>

#include "core/hooks.h"
#include "platform/flash/flash_control.h"
#include "wizard/framework/page_registry.h"
#include "wizard/framework/picture_box.h"

namespace wizard {

namespace {

PageRegistrar<Form5> registrar;

constexpr int kMagenta = 5;  // palette entry of the bar

// Forwards the engine's calls to the progress page, which it creates on first use.
class ProgressProxy : public engine::ProgressPage {
 public:
  void show_animation(const std::string& movie_path) override { page<Form5>().show_animation(movie_path); }
  void show_bar() override { page<Form5>().show_bar(); }
  int bar_width() const override { return page<Form5>().bar_width(); }
  void draw_progress_bar(int width) override { page<Form5>().draw_progress_bar(width); }
  void show_percent(int colour_index, int percent) override {
    page<Form5>().show_percent(colour_index, percent);
  }
};

}  // namespace

// The animation covers the label while it plays; the picture boxes show only without it.

Form5::Form5() : WizardPage("Encoding..", 6810, 1230, false, kControls) {
  Label1->setWordWrap(false);
  // Its size is not kept as the step pages' is, but the window offers no maximising either.
  setFixedSize(size());
}

void Form5::install_as_progress_page() {
  static ProgressProxy proxy;
  engine::set_progress_page(&proxy);
}

void Form5::Form_Load() {
  core::yield();
  // Placed over the page; the movie is the animation the engine loads.
  ShockwaveFlash1->Height(Height());
  ShockwaveFlash1->Width(Width());
  ShockwaveFlash1->Left(0);
  ShockwaveFlash1->Top(0);
  Picture2->setVisible(false);
  Picture1->setVisible(false);
}

void Form5::Form_Activate() { load(); }

void Form5::show_animation(const std::string& movie_path) {
  Picture2->setVisible(false);
  Picture1->setVisible(false);
  ShockwaveFlash1->Visible(true);
  ShockwaveFlash1->LoadMovie(0, movie_path);
}

void Form5::show_bar() {
  ShockwaveFlash1->Visible(false);
  ShockwaveFlash1->Stop();
  Picture2->setVisible(true);
  Picture1->setVisible(true);
}

int Form5::bar_width() const { return width_twips(Picture2); }

void Form5::draw_progress_bar(int width) {
  // Each call draws from the left edge again, so the bar grows.
  Picture2->filled_box(0, 3, width, height_twips(Picture2), palette_colour(kMagenta));
}

void Form5::show_percent(int colour_index, int percent) {
  Picture1->Cls();
  Picture1->Print(QString::number(percent) + "%", palette_colour(colour_index));
}

}  // namespace wizard
