// The AppKit queries the macOS pointer probe makes, as a table of plain
// functions. The real provider fills it with AppKit calls; tests fill it with
// a scripted scene. Every query sent to an absent object (null) answers
// null, zero, false or an all-zero point or rectangle; the probe relies on
// that and tests for absence only where it decides something.
#ifndef ZERLIN_POINTER_MAC_APPKIT_QUERIES_H_
#define ZERLIN_POINTER_MAC_APPKIT_QUERIES_H_

#include <cstdint>

namespace zerlin::mac {

// An AppKit object (window, view, screen, list, string), borrowed for the
// length of one probe call; null is nil.
using AppKitObject = const void*;

struct AppKitPoint {
  double x = 0.0;
  double y = 0.0;
};

struct AppKitRect {
  double x = 0.0;
  double y = 0.0;
  double width = 0.0;
  double height = 0.0;
};

// In the order the probe first uses them. `context` is passed back to every
// query untouched.
struct AppKitQueries {
  void* context = nullptr;

  // +[NSEvent mouseLocation]: global screen coordinates, points, y up.
  AppKitPoint (*mouse_location)(void* context) = nullptr;
  // +[NSScreen screens], -firstObject, -[NSScreen frame].
  AppKitObject (*screens)(void* context) = nullptr;
  AppKitObject (*first_object)(void* context, AppKitObject list) = nullptr;
  AppKitRect (*frame)(void* context, AppKitObject screen) = nullptr;
  // +[NSWindow windowNumberAtPoint:belowWindowWithWindowNumber:].
  int64_t (*window_number_at_point)(void* context, AppKitPoint point,
                                    int64_t below) = nullptr;
  // -[NSApp windowWithWindowNumber:].
  AppKitObject (*window_with_window_number)(void* context,
                                            int64_t number) = nullptr;
  // -[NSApp isActive], -modalWindow, -mainWindow.
  bool (*is_active)(void* context) = nullptr;
  AppKitObject (*modal_window)(void* context) = nullptr;
  AppKitObject (*main_window)(void* context) = nullptr;
  // -[NSWindow isKindOfClass:[NSPanel class]], -attachedSheet.
  bool (*is_panel)(void* context, AppKitObject window) = nullptr;
  AppKitObject (*attached_sheet)(void* context, AppKitObject window) = nullptr;
  // +[NSEvent pressedMouseButtons]: one bit per button held.
  uint64_t (*pressed_mouse_buttons)(void* context) = nullptr;
  // -[NSWindow contentView], -convertPointFromScreen:.
  AppKitObject (*content_view)(void* context, AppKitObject window) = nullptr;
  AppKitPoint (*convert_point_from_screen)(void* context, AppKitObject window,
                                           AppKitPoint point) = nullptr;
  // -[NSView convertPoint:fromView:]; a null `from` names window coordinates.
  AppKitPoint (*convert_point_from_view)(void* context, AppKitObject view,
                                         AppKitPoint point,
                                         AppKitObject from) = nullptr;
  // -[NSView hitTest:]: the deepest view under `point`, or null. `point` is
  // in the coordinates of the view's superview (the window's when it has
  // none), not the view's own.
  AppKitObject (*hit_test)(void* context, AppKitObject view,
                           AppKitPoint point) = nullptr;
  // NSStringFromClass([view class]).
  AppKitObject (*class_name)(void* context, AppKitObject view) = nullptr;
  // -[NSView isKindOfClass:[NSControl class]].
  bool (*is_control)(void* context, AppKitObject view) = nullptr;
  // -[NSString containsString:@"WebView"], letter case exact.
  bool (*contains_web_view)(void* context, AppKitObject name) = nullptr;
  // -[NSView superview].
  AppKitObject (*superview)(void* context, AppKitObject view) = nullptr;
  // -[NSString UTF8String]: valid until the pool scope closes; null for nil.
  const char* (*utf8_string)(void* context, AppKitObject name) = nullptr;
  // objc_autoreleasePoolPush / objc_autoreleasePoolPop.
  void* (*autorelease_pool_push)(void* context) = nullptr;
  void (*autorelease_pool_pop)(void* context, void* token) = nullptr;
};

// The queries of the platform the addon was built for: AppKit in the real
// provider, a scripted scene in tests.
const AppKitQueries& PlatformAppKitQueries();

}  // namespace zerlin::mac

#endif  // ZERLIN_POINTER_MAC_APPKIT_QUERIES_H_
