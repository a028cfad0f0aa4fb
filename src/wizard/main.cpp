// The process's entry: the one application object, then the start-up procedure, then the
// message loop until a page ends the process.

#include <cstdlib>

#include "wizard/framework/startup.h"
#include "wizard/framework/wizard_page.h"

int main(int argc, char** argv) {
  Module30::prepare_process();
  // Made on the heap: the page that ends the process deletes it (wizard::end_process).
  auto* app = new wizard::WizardApplication(argc, argv);
  // A second copy started from the same folder goes before it has touched the data folder.
  if (!wizard::hold_data_folder()) {
    delete app;
    return EXIT_FAILURE;
  }
  wizard::end_on_stopping_signals();
  Module30::Main();
  app->exec();
  wizard::end_process();
}
