#pragma once

#include "engine/progress.h"
#include "wizard/framework/wizard_page.h"
#include "wizard/tables/progress.h"

namespace wizard {

/// The progress page: an animation while the source is analysed, then a bar and the
/// percentage while the movie is written. The engine drives it through engine::ProgressPage.
class Form5 : public WizardPage, public engine::ProgressPage {
  Q_OBJECT

 public:
  static constexpr int kNumber = wizard::number(PageId::Progress);
  static constexpr ControlTable kControls = tables::kProgress;
  Form5();
  int number() const override { return kNumber; }

  /// Makes the page (created on first use) the one the engine reports progress to.
  static void install_as_progress_page();

  void Form_Load() override;
  void Form_Activate() override;

  // engine::ProgressPage
  void show_animation(const std::string& movie_path) override;
  void show_bar() override;
  int bar_width() const override;
  void draw_progress_bar(int width) override;
  void show_percent(int colour_index, int percent) override;

  WIZARD_CONTROLS(Label1, ShockwaveFlash1, Picture2, Picture1)
};

}  // namespace wizard
