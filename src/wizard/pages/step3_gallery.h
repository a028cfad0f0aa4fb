#pragma once

#include <array>
#include <string>

#include "engine/style_preview.h"
#include "engine/style_selection.h"
#include "wizard/framework/wizard_page.h"
#include "wizard/tables/step3_gallery.h"

namespace wizard {

/// Step 3: the user picks the player's style in one of the galleries, recolours its buttons or
/// its background from the swatches, and watches the result in the preview.
class Form2 : public WizardPage, private engine::StylePreview, private engine::style::FrameCanvas {
  Q_OBJECT

 public:
  static constexpr int kNumber = wizard::number(PageId::Gallery);
  static constexpr ControlTable kControls = tables::kGallery;
  Form2();
  ~Form2() override;
  int number() const override { return kNumber; }

  void Form_Load() override;
  void Form_Activate() override;
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Option1_Click();
  void Option2_Click();
  void Option3_Click();
  void Option4_Click();
  /// A click on picture `number`: a style picture (100 to 131) picks its style, a swatch
  /// (3 to 98) applies its colour in the chosen mode; any other number does nothing.
  void Picture_Click(int number);

  /// The style picture or swatch numbered `number`; nullptr when there is none.
  PictureBox* Picture(int number) const;

  /// Each swatch's colour text RRGGBB by swatch number (3 to 98), filled at every load.
  std::array<std::string, 99> color_code;

  // Picture99, Picture106 and Picture125 hold the sam, ind and sin galleries; Picture1 and Picture2
  // the swatches 3 to 50 and 51 to 98.
  WIZARD_CONTROLS(ShockwaveFlash1, Picture132, Picture99, Picture106, Picture125, Picture1, Picture2, Option1,
                  Option2, Option4, Option3, Command1, Command2, Command3, ShockwaveFlash2)

 private:
  void style_picture_click(const engine::style::StylePicture& picture);
  void swatch_click(int number);
  void show_sam_gallery();
  void show_beside_sam_gallery(PictureBox* gallery, int width);
  void set_sam_pictures_visible(bool visible);
  void fill_palette();
  void wipe_all_frames();

  // The preview the composers drive.
  void load_movie(int layer, const std::string& path) override;
  void play() override;
  void set_bg_color(const std::string& color) override;

  // The pictures the selection frames are drawn on.
  int picture_width(int number) const override;
  int picture_height(int number) const override;
  void draw_box(int number, int x1, int y1, int x2, int y2, int line_width, int colour) override;
};

}  // namespace wizard
