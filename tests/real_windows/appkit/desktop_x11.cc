// The desktop under X (GNUstep on Linux): XTest moves the pointer and holds
// buttons, and an override-redirect window of this process's own connection
// stands for another application's window, which GNUstep knows nothing
// about and the window manager leaves alone.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include "tests/real_windows/appkit/desktop.h"

namespace zerlin::appkit_host {

struct Desktop::Session {
  Display* display = nullptr;
  Window other = 0;
};

void Desktop::Prepare() {
  XInitThreads();
  // GNUstep orders a window in below the window that has the input focus,
  // and names PointerRoot or None as that window when no window has it yet
  // (a busy window manager that has not focused one), which the X server
  // refuses with BadWindow. Runs that began so kept a window's frame where
  // the window was not; the root window, focused then, is a window.
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return;
  Window focus = None;
  int revert = 0;
  XGetInputFocus(display, &focus, &revert);
  if (focus == None || focus == PointerRoot) {
    XSetInputFocus(display, DefaultRootWindow(display), RevertToPointerRoot,
                   CurrentTime);
  }
  XCloseDisplay(display);
}

Desktop::Desktop() : session_(new Session) {
  session_->display = XOpenDisplay(nullptr);
}

Desktop::~Desktop() {
  HideOtherWindow();
  if (session_->display != nullptr) XCloseDisplay(session_->display);
}

bool Desktop::SessionMayRefuse() { return false; }

std::string Desktop::CannotHoldButtons() const {
  return session_->display != nullptr ? "" : "no X display";
}

std::string Desktop::CannotShowOtherWindow() const {
  return CannotHoldButtons();
}

void Desktop::MoveTo(int x, int y) {
  if (session_->display == nullptr) return;
  XTestFakeMotionEvent(session_->display, -1, x, y, CurrentTime);
  XSync(session_->display, False);
}

void Desktop::Press(Button button, bool down) {
  if (session_->display == nullptr) return;
  const unsigned int number = button == Button::kPrimary     ? 1
                              : button == Button::kSecondary ? 3
                                                             : 2;
  XTestFakeButtonEvent(session_->display, number, down ? True : False,
                       CurrentTime);
  XSync(session_->display, False);
}

void Desktop::ShowOtherWindow(int x, int y, int width, int height) {
  Display* display = session_->display;
  if (display == nullptr) return;
  HideOtherWindow();
  XSetWindowAttributes attributes;
  attributes.override_redirect = True;
  attributes.background_pixel = 0x8a8a8a;  // mid grey on a TrueColor screen
  session_->other = XCreateWindow(
      display, DefaultRootWindow(display), x, y,
      static_cast<unsigned int>(width), static_cast<unsigned int>(height), 0,
      CopyFromParent, InputOutput, CopyFromParent,
      CWOverrideRedirect | CWBackPixel, &attributes);
  XMapRaised(display, session_->other);
  XSync(display, False);
}

void Desktop::HideOtherWindow() {
  if (session_->display == nullptr || session_->other == 0) return;
  XDestroyWindow(session_->display, session_->other);
  XSync(session_->display, False);
  session_->other = 0;
}

}  // namespace zerlin::appkit_host
