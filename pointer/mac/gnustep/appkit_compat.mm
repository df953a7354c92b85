// GNUstep stand-ins for the AppKit behaviour the provider relies on:
// - -[NSWindow convertPointFromScreen:] is missing: answered by
//   -convertScreenToBase:.
// - +[NSWindow windowNumberAtPoint:belowWindowWithWindowNumber:] answers 0:
//   replaced by a search of the application's on-screen windows, front to
//   back (GSOrderedWindows, which unlike -orderedWindows includes panels).
// - +[NSEvent pressedMouseButtons] answers 0 even with a button held:
//   replaced by the X server's pointer button mask.
// - objc_autoreleasePoolPush/Pop are missing from GCC's runtime: backed by
//   NSAutoreleasePool.
#import "pointer/mac/gnustep/appkit_compat.h"

#include <X11/Xlib.h>
#include <objc/runtime.h>

@implementation NSWindow (ZerlinAppKitCompat)
- (NSPoint)convertPointFromScreen:(NSPoint)point {
  return [self convertScreenToBase:point];
}
@end

namespace {

// Like a mouse-down hit: the frontmost visible window that takes mouse
// events and whose frame holds the point; with `below` non-zero, only
// windows behind that one count. 0 when there is none.
NSInteger WindowNumberAtPoint(id, SEL, NSPoint point, NSInteger below) {
  NSArray* windows = GSOrderedWindows();
  BOOL behind = below == 0;
  for (NSUInteger i = 0; i < [windows count]; ++i) {
    NSWindow* window = [windows objectAtIndex:i];
    if (!behind) {
      behind = [window windowNumber] == below;
      continue;
    }
    if (![window isVisible] || [window ignoresMouseEvents]) continue;
    if (NSPointInRect(point, [window frame])) return [window windowNumber];
  }
  return 0;
}

// AppKit's bit order: primary (X button 1), secondary (3), middle (2).
// X buttons 4 and 5 are the scroll wheel, not buttons one holds.
NSUInteger PressedMouseButtons(id, SEL) {
  // A connection of its own: GNUstep's is private to its backend. Only the
  // main thread asks, as for every AppKit query.
  static Display* display = XOpenDisplay(nullptr);
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
