#include "engine/progress.h"

namespace engine {

namespace {
ProgressPage* current_page = nullptr;
}

void set_progress_page(ProgressPage* page) { current_page = page; }
ProgressPage* progress_page() { return current_page; }

}  // namespace engine
