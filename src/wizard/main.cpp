// The process's entry: the one application object, then the start-up procedure, then the
// message loop until a page ends the process.

#include "wizard/shell/startup.h"

int main(int argc, char** argv) {
  Module30::prepare_process();
  wizard::WizardApplication app(argc, argv);
  Module30::Main();
  return app.exec();
}
