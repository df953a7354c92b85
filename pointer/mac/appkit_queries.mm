// The AppKit provider: each of the probe's queries is one AppKit message and
// nothing more. Main thread only. Written for manual reference counting,
// without blocks or object literals, so that GCC's Objective-C++ compiles it
// as well as Apple clang. Queries that answer a point or a rectangle test
// for nil themselves, since not every runtime zeroes a structure answered
// by a message to nil.
#import <AppKit/AppKit.h>

#include <cstdint>

#include "pointer/mac/appkit_queries.h"

// The runtime's autorelease pool scope, which the runtime exports without
// declaring it in a public header.
extern "C" void* objc_autoreleasePoolPush(void);
extern "C" void objc_autoreleasePoolPop(void* token);

namespace zerlin::mac {
namespace {

id Obj(AppKitObject object) { return (id) const_cast<void*>(object); }
AppKitObject Handle(id object) { return (const void*)object; }
AppKitPoint ToPoint(NSPoint point) { return AppKitPoint{point.x, point.y}; }
NSPoint FromPoint(AppKitPoint point) { return NSMakePoint(point.x, point.y); }

AppKitPoint MouseLocation(void*) { return ToPoint([NSEvent mouseLocation]); }

AppKitObject Screens(void*) { return Handle([NSScreen screens]); }

AppKitObject FirstObject(void*, AppKitObject list) {
  return Handle([(NSArray*)Obj(list) firstObject]);
}

AppKitRect Frame(void*, AppKitObject screen) {
  if (screen == nullptr) return AppKitRect{};
  const NSRect frame = [(NSScreen*)Obj(screen) frame];
  return AppKitRect{frame.origin.x, frame.origin.y, frame.size.width, frame.size.height};
}

int64_t WindowNumberAtPoint(void*, AppKitPoint point, int64_t below) {
  return static_cast<int64_t>([NSWindow windowNumberAtPoint:FromPoint(point)
                                belowWindowWithWindowNumber:static_cast<NSInteger>(below)]);
}

AppKitObject WindowWithWindowNumber(void*, int64_t number) {
  return Handle([NSApp windowWithWindowNumber:static_cast<NSInteger>(number)]);
}

bool IsActive(void*) { return [NSApp isActive] ? true : false; }

AppKitObject ModalWindow(void*) { return Handle([NSApp modalWindow]); }

AppKitObject MainWindow(void*) { return Handle([NSApp mainWindow]); }

bool IsPanel(void*, AppKitObject window) {
  return [Obj(window) isKindOfClass:[NSPanel class]] ? true : false;
}

AppKitObject AttachedSheet(void*, AppKitObject window) {
  return Handle([(NSWindow*)Obj(window) attachedSheet]);
}

uint64_t PressedMouseButtons(void*) { return static_cast<uint64_t>([NSEvent pressedMouseButtons]); }

AppKitObject ContentView(void*, AppKitObject window) {
  return Handle([(NSWindow*)Obj(window) contentView]);
}

AppKitPoint ConvertPointFromScreen(void*, AppKitObject window, AppKitPoint point) {
  if (window == nullptr) return AppKitPoint{};
  return ToPoint([(NSWindow*)Obj(window) convertPointFromScreen:FromPoint(point)]);
}

AppKitPoint ConvertPointFromView(void*, AppKitObject view, AppKitPoint point, AppKitObject from) {
  if (view == nullptr) return AppKitPoint{};
  return ToPoint([(NSView*)Obj(view) convertPoint:FromPoint(point) fromView:(NSView*)Obj(from)]);
}

AppKitObject HitTest(void*, AppKitObject view, AppKitPoint point) {
  return Handle([(NSView*)Obj(view) hitTest:FromPoint(point)]);
}

AppKitObject ClassName(void*, AppKitObject view) {
  if (view == nullptr) return nullptr;
  return Handle(NSStringFromClass([Obj(view) class]));
}

bool IsControl(void*, AppKitObject view) {
  return [Obj(view) isKindOfClass:[NSControl class]] ? true : false;
}

bool ContainsWebView(void*, AppKitObject name) {
  return [(NSString*)Obj(name) containsString:@"WebView"] ? true : false;
}

AppKitObject Superview(void*, AppKitObject view) { return Handle([(NSView*)Obj(view) superview]); }

const char* Utf8String(void*, AppKitObject name) { return [(NSString*)Obj(name) UTF8String]; }

void* PoolPush(void*) { return objc_autoreleasePoolPush(); }

void PoolPop(void*, void* token) { objc_autoreleasePoolPop(token); }

AppKitQueries MakeQueries() {
  AppKitQueries q;
  q.mouse_location = &MouseLocation;
  q.screens = &Screens;
  q.first_object = &FirstObject;
  q.frame = &Frame;
  q.window_number_at_point = &WindowNumberAtPoint;
  q.window_with_window_number = &WindowWithWindowNumber;
  q.is_active = &IsActive;
  q.modal_window = &ModalWindow;
  q.main_window = &MainWindow;
  q.is_panel = &IsPanel;
  q.attached_sheet = &AttachedSheet;
  q.pressed_mouse_buttons = &PressedMouseButtons;
  q.content_view = &ContentView;
  q.convert_point_from_screen = &ConvertPointFromScreen;
  q.convert_point_from_view = &ConvertPointFromView;
  q.hit_test = &HitTest;
  q.class_name = &ClassName;
  q.is_control = &IsControl;
  q.contains_web_view = &ContainsWebView;
  q.superview = &Superview;
  q.utf8_string = &Utf8String;
  q.autorelease_pool_push = &PoolPush;
  q.autorelease_pool_pop = &PoolPop;
  return q;
}

}  // namespace

const AppKitQueries& PlatformAppKitQueries() {
  static const AppKitQueries queries = MakeQueries();
  return queries;
}

}  // namespace zerlin::mac
