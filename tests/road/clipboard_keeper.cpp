// A clipboard manager that keeps the CLIPBOARD's text only for an ending program's SAVE_TARGETS
// request, handing it to xclip to serve. Prints "ready" once it owns CLIPBOARD_MANAGER.

#include <X11/Xlib.h>

#include <cstdio>

int main() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 1;
  const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
  const auto atom = [display](const char* name) { return XInternAtom(display, name, False); };
  const Atom manager = atom("CLIPBOARD_MANAGER"), save = atom("SAVE_TARGETS"), kept = atom("KEEPER_TEXT");
  XSetSelectionOwner(display, manager, window, CurrentTime);
  if (XGetSelectionOwner(display, manager) != window) return 1;
  std::printf("ready\n");
  std::fflush(stdout);
  XSelectionRequestEvent saving{};  // the SAVE_TARGETS request, answered once the text is kept
  for (XEvent event;;) {
    XNextEvent(display, &event);
    XEvent reply{};
    if (event.type == SelectionRequest) {
      const XSelectionRequestEvent& request = event.xselectionrequest;
      if (request.selection == manager && request.target == save) {
        saving = request;
        XConvertSelection(display, atom("CLIPBOARD"), atom("UTF8_STRING"), kept, window, request.time);
        continue;
      }
      reply.xselection = {SelectionNotify, 0,    True,        display, request.requestor, request.selection,
                          request.target,  None, request.time};
    } else if (event.type == SelectionNotify && saving.requestor) {
      Atom type = None;
      int format = 0;
      unsigned long count = 0, after = 0;
      unsigned char* text = nullptr;
      if (XGetWindowProperty(display, window, kept, 0, 1 << 24, True, AnyPropertyType, &type, &format, &count,
                             &after, &text) == Success &&
          text) {
        FILE* xclip = popen("xclip -selection clipboard -i", "w");
        if (xclip) std::fwrite(text, 1, count, xclip), pclose(xclip);
        XFree(text);
      }
      reply.xselection = {SelectionNotify, 0,          True, display, saving.requestor, manager, save,
                          saving.property, saving.time};
      saving = {};
    } else {
      continue;
    }
    XSendEvent(display, reply.xselection.requestor, False, 0, &reply);  // sent at the next XNextEvent
  }
}
