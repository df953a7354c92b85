// The desktop on macOS: Quartz moves the pointer (a warp, which needs no
// permission) and posts mouse button events, which the session allows only
// to a process granted the Accessibility permission. A window of another
// application would need a second process; the cases that need one are
// skipped.
#include <ApplicationServices/ApplicationServices.h>

#include "tests/real_windows/appkit/desktop.h"

namespace zerlin::appkit_host {

struct Desktop::Session {};

void Desktop::Prepare() {}

Desktop::Desktop() : session_(new Session) {}

Desktop::~Desktop() = default;

bool Desktop::SessionMayRefuse() { return true; }

std::string Desktop::CannotHoldButtons() const {
  if (CGPreflightPostEventAccess()) return "";
  return "posting mouse events needs the Accessibility permission for this "
         "process (System Settings, Privacy & Security)";
}

std::string Desktop::CannotShowOtherWindow() const {
  return "another application's window needs a second process on macOS";
}

void Desktop::MoveTo(int x, int y) {
  CGWarpMouseCursorPosition(
      CGPointMake(static_cast<CGFloat>(x), static_cast<CGFloat>(y)));
}

void Desktop::Press(Button button, bool down) {
  CGEventType type = down ? kCGEventOtherMouseDown : kCGEventOtherMouseUp;
  CGMouseButton number = kCGMouseButtonCenter;
  if (button == Button::kPrimary) {
    type = down ? kCGEventLeftMouseDown : kCGEventLeftMouseUp;
    number = kCGMouseButtonLeft;
  } else if (button == Button::kSecondary) {
    type = down ? kCGEventRightMouseDown : kCGEventRightMouseUp;
    number = kCGMouseButtonRight;
  }
  // At the pointer's current position, which the warp set.
  CGEventRef now = CGEventCreate(nullptr);
  const CGPoint at = now != nullptr ? CGEventGetLocation(now) : CGPointZero;
  if (now != nullptr) CFRelease(now);
  CGEventRef event = CGEventCreateMouseEvent(nullptr, type, at, number);
  if (event == nullptr) return;
  CGEventPost(kCGHIDEventTap, event);
  CFRelease(event);
}

void Desktop::ShowOtherWindow(int, int, int, int) {}

void Desktop::HideOtherWindow() {}

}  // namespace zerlin::appkit_host
