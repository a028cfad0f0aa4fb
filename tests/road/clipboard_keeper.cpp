// A clipboard manager as desktop settings daemons run one, for the road tests: it owns
// CLIPBOARD_MANAGER, and when a program that ends asks it to SAVE_TARGETS it takes the
// CLIPBOARD's text, owns the CLIPBOARD and serves that text from then on. It keeps nothing
// by any other way, so the text outlives its program only through that hand-over.
// Prints "ready" once it owns CLIPBOARD_MANAGER; runs until it is killed.

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <string>

int main() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 1;
  const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
  const auto atom = [display](const char* name) { return XInternAtom(display, name, False); };
  const Atom manager = atom("CLIPBOARD_MANAGER"), save = atom("SAVE_TARGETS"), clipboard = atom("CLIPBOARD"),
             utf8 = atom("UTF8_STRING"), targets = atom("TARGETS"), kept = atom("KEEPER_TEXT");
  XSetSelectionOwner(display, manager, window, CurrentTime);
  if (XGetSelectionOwner(display, manager) != window) return 1;
  std::printf("ready\n");
  std::fflush(stdout);

  std::string text;
  bool owns_text = false;
  XSelectionRequestEvent saving{};  // the SAVE_TARGETS request being served
  for (;;) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == SelectionRequest) {
      const XSelectionRequestEvent& request = event.xselectionrequest;
      XEvent reply{};
      reply.xselection = {SelectionNotify, 0,    True,        display, request.requestor, request.selection,
                          request.target,  None, request.time};
      if (request.selection == manager && request.target == save) {
        saving = request;  // answered once the text is here
        XConvertSelection(display, clipboard, utf8, kept, window, request.time);
        continue;
      }
      if (request.selection == clipboard && owns_text) {
        const Atom property = request.property ? request.property : request.target;
        if (request.target == targets) {
          const Atom offered[] = {targets, utf8, XA_STRING};
          XChangeProperty(display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                          reinterpret_cast<const unsigned char*>(offered), 3);
          reply.xselection.property = property;
        } else if (request.target == utf8 || request.target == XA_STRING) {
          XChangeProperty(display, request.requestor, property, request.target, 8, PropModeReplace,
                          reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
          reply.xselection.property = property;
        }
      }
      XSendEvent(display, request.requestor, False, 0, &reply);
    } else if (event.type == SelectionNotify && event.xselection.selection == clipboard && saving.requestor) {
      Atom type = None;
      int format = 0;
      unsigned long count = 0, after = 0;
      unsigned char* data = nullptr;
      if (event.xselection.property != None &&
          XGetWindowProperty(display, window, kept, 0, 1 << 24, True, AnyPropertyType, &type, &format, &count,
                             &after, &data) == Success &&
          data) {
        text.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
        XSetSelectionOwner(display, clipboard, window, CurrentTime);
        owns_text = XGetSelectionOwner(display, clipboard) == window;
      }
      XEvent reply{};
      reply.xselection = {SelectionNotify,  0,       True, display,
                          saving.requestor, manager, save, owns_text ? saving.property : None,
                          saving.time};
      XSendEvent(display, saving.requestor, False, 0, &reply);
      saving = {};
    } else if (event.type == SelectionClear && event.xselectionclear.selection == clipboard) {
      owns_text = false;
    }
    XFlush(display);
  }
}
