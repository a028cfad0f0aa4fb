#include "engine/style_preview.h"

namespace engine {

namespace {
StylePreview* current_preview = nullptr;
}

void set_style_preview(StylePreview* preview) { current_preview = preview; }
StylePreview* style_preview() { return current_preview; }

}  // namespace engine
