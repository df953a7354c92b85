// GNUstep stand-ins for the AppKit behaviour the provider relies on:
// - -[NSWindow convertPointFromScreen:] is missing: answered by
//   -convertScreenToBase:.
// - +[NSWindow windowNumberAtPoint:belowWindowWithWindowNumber:] answers 0:
//   replaced by the X server's topmost top-level window at the point, matched
//   against the application's on-screen windows front to back
//   (GSOrderedWindows, which unlike -orderedWindows includes panels), so
//   that another application's window in front counts as not ours.
// - +[NSEvent pressedMouseButtons] answers 0 even with a button held:
//   replaced by the X server's pointer button mask.
// - objc_autoreleasePoolPush/Pop are missing from GCC's runtime: backed by
//   NSAutoreleasePool.
#import "pointer/mac/gnustep/appkit_compat.h"

#include <X11/Xlib.h>
#include <objc/runtime.h>

#include <cmath>

@implementation NSWindow (ZerlinAppKitCompat)
- (NSPoint)convertPointFromScreen:(NSPoint)point {
  return [self convertScreenToBase:point];
}
@end

namespace {

// A connection of its own: GNUstep's is private to its backend. Only the
// main thread uses it, as for every AppKit query.
Display* XDisplay() {
  static Display* display = XOpenDisplay(nullptr);
  return display;
}

// The child of the root (a top-level window, or the window manager's frame
// around one) that holds `window`; 0 when the server does not know it.
Window TopLevelOf(Display* display, Window window) {
  while (window != 0) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) {
      return 0;
    }
    if (children != nullptr) XFree(children);
    if (parent == root) return window;
    window = parent;
  }
  return 0;
}

// The X server's answer: the topmost top-level window of any client at the
// point, None over the bare root. False when the server cannot be asked.
bool TopLevelAt(Display* display, NSPoint point, Window& found) {
  if (display == nullptr || [[NSScreen screens] count] == 0) return false;
  const NSRect screen = [[[NSScreen screens] objectAtIndex:0] frame];
  const double top = screen.origin.y + screen.size.height;
  const int x = static_cast<int>(std::floor(point.x));
  const int y = static_cast<int>(std::floor(top - point.y));
  const Window root = DefaultRootWindow(display);
  int unused_x = 0, unused_y = 0;
  found = None;
  return XTranslateCoordinates(display, root, root, x, y, &unused_x, &unused_y, &found) != 0;
}

bool TakesMouseAt(NSWindow* window, NSPoint point) {
  return [window isVisible] && ![window ignoresMouseEvents] && NSPointInRect(point, [window frame]);
}

// Like a mouse-down hit: the number of the frontmost window at the point,
// of any application. The X server says which top-level window is in front
// there; when it is one of the application's own windows (front to back,
// panels included), its number, and when it belongs to another client, that
// window's X id, which no window of the application has. Without the
// server's answer, or below a given window, the application's own frames
// decide. 0 when no window is there.
NSInteger WindowNumberAtPoint(id, SEL, NSPoint point, NSInteger below) {
  NSArray* windows = GSOrderedWindows();
  Display* display = XDisplay();
  Window front = None;
  if (below == 0 && TopLevelAt(display, point, front)) {
    if (front == None) return 0;
    for (NSUInteger i = 0; i < [windows count]; ++i) {
      NSWindow* window = [windows objectAtIndex:i];
      const Window own = reinterpret_cast<Window>([window windowRef]);
      if ([window isVisible] && ![window ignoresMouseEvents] && TopLevelOf(display, own) == front) {
        return [window windowNumber];
      }
    }
    const NSInteger foreign = static_cast<NSInteger>(front);
    return [NSApp windowWithWindowNumber:foreign] == nil ? foreign : -1;
  }
  BOOL behind = below == 0;
  for (NSUInteger i = 0; i < [windows count]; ++i) {
    NSWindow* window = [windows objectAtIndex:i];
    if (!behind) {
      behind = [window windowNumber] == below;
      continue;
    }
    if (TakesMouseAt(window, point)) return [window windowNumber];
  }
  return 0;
}

// AppKit's bit order: primary (X button 1), secondary (3), middle (2).
// X buttons 4 and 5 are the scroll wheel, not buttons one holds.
NSUInteger PressedMouseButtons(id, SEL) {
  Display* display = XDisplay();
  if (display == nullptr) return 0;
  Window root = 0;
  Window child = 0;
  int root_x = 0, root_y = 0, x = 0, y = 0;
  unsigned int mask = 0;
  if (!XQueryPointer(display, DefaultRootWindow(display), &root, &child, &root_x, &root_y, &x, &y,
                     &mask)) {
    return 0;
  }
  NSUInteger buttons = 0;
  if (mask & Button1Mask) buttons |= 1u << 0;
  if (mask & Button3Mask) buttons |= 1u << 1;
  if (mask & Button2Mask) buttons |= 1u << 2;
  return buttons;
}

// Any function as an IMP; the runtime calls it with the method's own
// signature, taken from the method it replaces.
template <typename Function>
IMP AsImp(Function* function) {
  return reinterpret_cast<IMP>(reinterpret_cast<void (*)(void)>(function));
}

void ReplaceClassMethod(Class cls, SEL selector, IMP implementation) {
  Method method = class_getClassMethod(cls, selector);
  if (method == nullptr) return;
  class_replaceMethod(object_getClass((id)cls), selector, implementation,
                      method_getTypeEncoding(method));
}

}  // namespace

// Installs the replacements when the addon is loaded, before any query.
@interface ZerlinAppKitCompatInstaller : NSObject
@end

@implementation ZerlinAppKitCompatInstaller
+ (void)load {
  ReplaceClassMethod([NSWindow class], @selector(windowNumberAtPoint:belowWindowWithWindowNumber:),
                     AsImp(&WindowNumberAtPoint));
  ReplaceClassMethod([NSEvent class], @selector(pressedMouseButtons), AsImp(&PressedMouseButtons));
}
@end

extern "C" void* objc_autoreleasePoolPush(void) { return [[NSAutoreleasePool alloc] init]; }

extern "C" void objc_autoreleasePoolPop(void* token) { [(NSAutoreleasePool*)token release]; }
