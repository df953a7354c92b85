// A GNUstep application that hosts the GNUstep build of the addon as a real
// host would: it loads the library by file, hands it the test host's table
// with the two-thread mode (the probe runs on this application's AppKit
// thread, scripts on a scripting thread), builds real windows, moves the X
// pointer and holds its buttons with XTest, and checks every getPointer
// answer. Exits non-zero when any check fails.
//
//   gnustep_test_host -addon build/gnustep/pointer/zerlin-probe.uxpaddon
#import <AppKit/AppKit.h>
#include <dlfcn.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "addon/addon_api.h"
#include "tests/host/test_host.h"

// After the test host: Xlib defines macros (Status, Bool) that would
// rename its declarations.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

using zerlin::test_host::TestHost;
using Queue = TestHost::Queue;

// Plain views that swallow every click, so that a held button changes
// nothing in the scene (GNUstep opens its menu on an unhandled secondary
// click).
@interface PlainContentView : NSView
@end
@implementation PlainContentView
- (void)mouseDown:(NSEvent*)event {
  (void)event;
}
- (void)rightMouseDown:(NSEvent*)event {
  (void)event;
}
- (void)otherMouseDown:(NSEvent*)event {
  (void)event;
}
@end
@interface PlainChildView : PlainContentView
@end
@implementation PlainChildView
@end
@interface SecondContentView : PlainContentView
@end
@implementation SecondContentView
@end
@interface PanelContentView : PlainContentView
@end
@implementation PanelContentView
@end
// A stand-in for an embedded browser: only its class name says so.
@interface HostWebView : PlainContentView
@end
@implementation HostWebView
@end

// Serves the host's main queue from this application's run loop, in every
// mode, so that steps also run inside the modal loops of sheets and modal
// windows.
@interface MainQueueServer : NSObject {
  TestHost* host_;
}
- (id)initWithHost:(TestHost*)host;
- (void)serve:(NSTimer*)timer;
@end
@implementation MainQueueServer
- (id)initWithHost:(TestHost*)host {
  if ((self = [super init])) host_ = host;
  return self;
}
- (void)serve:(NSTimer*)timer {
  (void)timer;
  host_->Drain(Queue::kMain);
}
@end

namespace {

struct Scene {
  NSWindow* main = nil;
  PlainContentView* content = nil;
  NSButton* button = nil;
  NSTextField* field = nil;
  NSSlider* slider = nil;
  HostWebView* web = nil;
  PlainChildView* web_child = nil;
  NSWindow* second = nil;
  NSPanel* panel = nil;
  NSPanel* sheet = nil;
  NSPanel* modal = nil;
};

NSWindow* MakeWindow(Class cls, NSRect content_rect, NSView* content, NSString* title) {
  NSWindow* window = [[cls alloc] initWithContentRect:content_rect
                                            styleMask:NSTitledWindowMask | NSClosableWindowMask
                                              backing:NSBackingStoreBuffered
                                                defer:NO];
  [window setTitle:title];
  [window setContentView:content];
  [window setReleasedWhenClosed:NO];
  return window;
}

template <typename V>
V* Add(NSView* parent, Class cls, NSRect frame) {
  V* view = [[cls alloc] initWithFrame:frame];
  [parent addSubview:view];
  [view release];
  return view;
}

// Built on the AppKit thread; the second window and the panel first, so
// that the window manager's focus ends on the main window.
Scene BuildScene() {
  Scene s;
  NSView* second_view = [[SecondContentView alloc] initWithFrame:NSMakeRect(0, 0, 300, 200)];
  s.second = MakeWindow([NSWindow class], NSMakeRect(700, 420, 300, 200), second_view, @"second");
  [second_view release];
  NSView* panel_view = [[PanelContentView alloc] initWithFrame:NSMakeRect(0, 0, 300, 200)];
  s.panel =
      (NSPanel*)MakeWindow([NSPanel class], NSMakeRect(700, 120, 300, 200), panel_view, @"panel");
  [panel_view release];
  [s.panel setHidesOnDeactivate:NO];

  s.content = [[PlainContentView alloc] initWithFrame:NSMakeRect(0, 0, 560, 420)];
  s.main = MakeWindow([NSWindow class], NSMakeRect(60, 240, 560, 420), s.content, @"main");
  [s.content release];
  s.button = Add<NSButton>(s.content, [NSButton class], NSMakeRect(20, 20, 120, 32));
  [s.button setTitle:@"Button"];
  s.field = Add<NSTextField>(s.content, [NSTextField class], NSMakeRect(20, 80, 200, 24));
  [s.field setStringValue:@"being edited"];
  s.slider = Add<NSSlider>(s.content, [NSSlider class], NSMakeRect(20, 130, 200, 24));
  s.web = Add<HostWebView>(s.content, [HostWebView class], NSMakeRect(280, 20, 240, 200));
  s.web_child = Add<PlainChildView>(s.web, [PlainChildView class], NSMakeRect(20, 20, 100, 100));

  NSView* sheet_view = [[PlainContentView alloc] initWithFrame:NSMakeRect(0, 0, 240, 80)];
  s.sheet = (NSPanel*)MakeWindow([NSPanel class], NSMakeRect(0, 0, 240, 80), sheet_view, @"sheet");
  [sheet_view release];
  NSView* modal_view = [[PlainContentView alloc] initWithFrame:NSMakeRect(0, 0, 200, 80)];
  s.modal =
      (NSPanel*)MakeWindow([NSPanel class], NSMakeRect(1040, 600, 200, 80), modal_view, @"modal");
  [modal_view release];

  [s.second orderFront:nil];
  [s.panel orderFront:nil];
  [s.main makeKeyAndOrderFront:nil];
  return s;
}

// One getPointer answer, read back from the host's rendering of the
// settled promise: {"active":..,"scale":..,"viewClass":"..","x":..,"y":..}.
struct Reading {
  bool fulfilled = false;
  std::string keys;  // in the order the object received them
  bool active = false;
  double scale = 0, x = 0, y = 0;
  std::string view_class;
  std::string text;
};

Reading Parse(const std::string& text) {
  Reading r;
  r.text = text;
  const std::string head = "Promise(fulfilled {";
  if (text.compare(0, head.size(), head) != 0) return r;
  r.fulfilled = true;
  size_t at = head.size();
  while (at < text.size() && text[at] == '"') {
    const size_t key_end = text.find('"', at + 1);
    const std::string key = text.substr(at + 1, key_end - at - 1);
    at = key_end + 2;  // past '"' and ':'
    if (!r.keys.empty()) r.keys += ',';
    r.keys += key;
    if (text[at] == '"') {
      const size_t end = text.find('"', at + 1);
      if (key == "viewClass") r.view_class = text.substr(at + 1, end - at - 1);
      at = end + 1;
    } else {
      char* end = nullptr;
      const double number = std::strtod(text.c_str() + at, &end);
      if (key == "active") r.active = text.compare(at, 4, "true") == 0;
      if (key == "scale") r.scale = number;
      if (key == "x") r.x = number;
      if (key == "y") r.y = number;
      at = text.find_first_of(",}", at);
    }
    if (text[at] == ',') ++at;
  }
  return r;
}

class Driver {
 public:
  Driver(TestHost& host, Scene& scene, addon_value__* get_pointer)
      : host_(host), scene_(scene), get_pointer_(get_pointer) {
    display_ = XOpenDisplay(nullptr);
  }
  ~Driver() {
    if (display_ != nullptr) XCloseDisplay(display_);
  }

  // Runs `work` on the AppKit thread and waits for it. AppKit raising
  // inside `work` fails the run instead of leaving this thread waiting.
  void OnAppKit(const std::function<void()>& work) {
    std::promise<void> done;
    bool raised = false;
    host_.Post(Queue::kMain, [&] {
      try {
        work();
      } catch (...) {
        raised = true;
      }
      done.set_value();
    });
    done.get_future().wait();
    if (raised) Fail("AppKit raised an exception");
  }

  // Waits (up to five seconds) until `ready` holds on the AppKit thread.
  bool AwaitAppKit(const std::function<bool()>& ready) {
    for (int i = 0; i < 500; ++i) {
      bool ok = false;
      OnAppKit([&] { ok = ready(); });
      if (ok) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  bool MakeMainActive() {
    return AwaitAppKit([&] {
      if ([NSApp isActive] && [NSApp mainWindow] == scene_.main) return true;
      [NSApp activateIgnoringOtherApps:YES];
      [scene_.main makeKeyAndOrderFront:nil];
      return false;
    });
  }

  // The X position of a point given in `view`'s own coordinates (its
  // centre when none is given).
  void PositionOf(NSView* view, int& x, int& y, const NSPoint* local = nullptr) {
    OnAppKit([&] {
      const NSRect bounds = [view bounds];
      const NSPoint inside =
          local != nullptr ? *local : NSMakePoint(NSMidX(bounds), NSMidY(bounds));
      const NSPoint in_window = [view convertPoint:inside toView:nil];
      const NSPoint on_screen = [[view window] convertBaseToScreen:in_window];
      const NSRect screen = [[[NSScreen screens] objectAtIndex:0] frame];
      x = static_cast<int>(std::lround(on_screen.x));
      y = static_cast<int>(std::lround(screen.origin.y + screen.size.height - on_screen.y));
    });
  }

  // Moves the X pointer and waits until AppKit reports it there.
  void MoveTo(int x, int y) {
    XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
    XSync(display_, False);
    AwaitAppKit([&] {
      const NSPoint p = [NSEvent mouseLocation];
      const NSRect screen = [[[NSScreen screens] objectAtIndex:0] frame];
      return std::lround(p.x) == x && std::lround(screen.origin.y + screen.size.height - p.y) == y;
    });
  }

  void Button(unsigned int button, bool down) {
    XTestFakeButtonEvent(display_, button, down ? True : False, CurrentTime);
    XSync(display_, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }

  // A window of another X client (this driver's own connection), mapped
  // above everything and left alone by the window manager.
  Window ForeignWindow(int x, int y, unsigned int width, unsigned int height) {
    XSetWindowAttributes attributes;
    attributes.override_redirect = True;
    attributes.background_pixel = BlackPixel(display_, DefaultScreen(display_));
    const Window window =
        XCreateWindow(display_, DefaultRootWindow(display_), x, y, width, height, 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
    XMapRaised(display_, window);
    XSync(display_, False);
    return window;
  }
  void DestroyForeignWindow(Window window) {
    XDestroyWindow(display_, window);
    XSync(display_, False);
  }

  // Calls getPointer as a script would, on the scripting thread, and waits
  // for its promise to settle.
  Reading Read() {
    std::promise<addon_value__*> called;
    host_.Post(Queue::kScripting, [&] { called.set_value(Call()); });
    return Await(called.get_future().get());
  }
  // Scripting thread only.
  addon_value__* Call() { return host_.CallFunction(get_pointer_); }
  Reading Await(addon_value__* promise) {
    for (int i = 0; i < 5000 && host_.SettleCount(promise) == 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return Parse(host_.Describe(promise));
  }

  // Reads at (x, y) and checks the whole answer.
  void Check(const char* what, int x, int y, bool active, const std::string& view_class) {
    MoveTo(x, y);
    const Reading r = Read();
    const bool ok = r.fulfilled && r.keys == "active,scale,viewClass,x,y" && r.active == active &&
                    r.view_class == view_class && r.scale == 1.0 && r.x == x && r.y == y;
    std::printf("%s %-44s X (%4d,%4d): active=%-5s viewClass=\"%s\" x=%g y=%g\n",
                ok ? "ok  " : "FAIL", what, x, y, r.active ? "true" : "false", r.view_class.c_str(),
                r.x, r.y);
    if (!ok) {
      std::printf("     expected active=%s viewClass=\"%s\"; host saw %s\n",
                  active ? "true" : "false", view_class.c_str(), r.text.c_str());
      ++failures_;
    }
    ++checks_;
  }
  void CheckView(const char* what, NSView* view, bool active, const std::string& view_class) {
    int x = 0, y = 0;
    PositionOf(view, x, y);
    Check(what, x, y, active, view_class);
  }
  // Prints what AppKit says about the scene, for the record.
  void Note(const char* what, const std::function<std::string()>& say) {
    std::string text;
    OnAppKit([&] { text = say(); });
    std::printf("     %s: %s\n", what, text.c_str());
  }
  void Fail(const char* what) {
    std::printf("FAIL %s\n", what);
    ++failures_;
  }

  int checks() const { return checks_; }
  int failures() const { return failures_; }
  TestHost& host() { return host_; }

 private:
  TestHost& host_;
  Scene& scene_;
  addon_value__* get_pointer_;
  Display* display_ = nullptr;
  int checks_ = 0;
  int failures_ = 0;
};

std::string ClassName(id object) {
  return object != nil ? [NSStringFromClass([object class]) UTF8String] : "";
}

void RunChecks(Driver& d, Scene& s) {
  if (!d.MakeMainActive()) d.Fail("the main window never became main");
  std::string editor;
  d.OnAppKit([&] {
    [s.main makeFirstResponder:s.field];  // starts editing: a field editor
    editor = ClassName([s.main fieldEditor:NO forObject:s.field]);
  });

  // The main window and what lies in it.
  int plain_x = 0, plain_y = 0;
  const NSPoint plain_spot = NSMakePoint(420, 360);
  d.PositionOf(s.content, plain_x, plain_y, &plain_spot);
  d.Check("plain content of the main window", plain_x, plain_y, true, "PlainContentView");
  d.CheckView("button", s.button, false, "NSButton");
  d.CheckView("text field being edited (its field editor)", s.field, false, editor);
  d.CheckView("slider", s.slider, false, "NSSlider");
  int web_x = 0, web_y = 0;
  const NSPoint beside_child = NSMakePoint(200, 160);
  d.PositionOf(s.web, web_x, web_y, &beside_child);
  d.Check("view whose class name contains WebView", web_x, web_y, false, "HostWebView");
  d.CheckView("plain view inside it", s.web_child, false, "PlainChildView");
  int title_x = 0, title_y = 0;
  d.OnAppKit([&] {
    const NSRect frame = [s.main frame];
    const NSRect content = [s.main contentRectForFrameRect:frame];
    const NSRect screen = [[[NSScreen screens] objectAtIndex:0] frame];
    title_x = static_cast<int>(std::lround(NSMidX(frame)));
    // Halfway between the content's top edge and the frame's.
    title_y =
        static_cast<int>(std::lround(screen.size.height - (NSMaxY(content) + NSMaxY(frame)) / 2));
  });
  d.Check("title bar of the main window", title_x, title_y, true, "");

  // Another application's window in front of the main window: a window of
  // this process's second X connection, which GNUstep knows nothing about.
  const Window other = d.ForeignWindow(plain_x - 60, plain_y - 40, 120, 80);
  d.Check("another application's window in front", plain_x, plain_y, false, "");
  d.DestroyForeignWindow(other);

  // Other windows of the host, and no window at all.
  d.CheckView("second window, not main", [s.second contentView], false, "SecondContentView");
  d.CheckView("panel", [s.panel contentView], false, "PanelContentView");
  d.Check("desktop, over no window", 1250, 30, false, "");

  // Held buttons: primary, secondary and middle, each alone.
  for (unsigned int button : {1u, 3u, 2u}) {
    d.MoveTo(plain_x, plain_y);
    d.Button(button, true);
    const std::string what = "X button " + std::to_string(button) + " held";
    d.Check(what.c_str(), plain_x, plain_y, false, "PlainContentView");
    d.Button(button, false);
  }
  d.Check("all buttons released", plain_x, plain_y, true, "PlainContentView");

  // The application not active.
  d.OnAppKit([&] { [NSApp deactivate]; });
  if (!d.AwaitAppKit([] { return ![NSApp isActive]; })) {
    d.Fail("the application never became inactive");
  }
  d.Check("application not active", plain_x, plain_y, false, "PlainContentView");
  if (!d.MakeMainActive()) d.Fail("the main window never came back");

  // A sheet on the main window: GNUstep runs it as an application-modal
  // loop, so it is posted without waiting and ended from inside that loop.
  std::promise<void> sheet_loop;
  std::future<void> sheet_loop_ended = sheet_loop.get_future();
  d.host().Post(Queue::kMain, [&] {
    [NSApp beginSheet:s.sheet
        modalForWindow:s.main
         modalDelegate:nil
        didEndSelector:NULL
           contextInfo:NULL];
    sheet_loop.set_value();  // GNUstep returns once the sheet's loop ends
  });
  if (!d.AwaitAppKit([&] { return [s.main attachedSheet] == s.sheet; })) {
    d.Fail("the sheet never attached");
  }
  int beside_x = 0, beside_y = 0;
  const NSPoint beside = NSMakePoint(540, 240);
  d.PositionOf(s.content, beside_x, beside_y, &beside);
  d.Check("main window with a sheet attached", beside_x, beside_y, false, "PlainContentView");
  d.Note("GNUstep's sheet", [&] {
    return "modalWindow " + ClassName([NSApp modalWindow]) + ", attachedSheet " +
           ClassName([s.main attachedSheet]);
  });
  d.OnAppKit([&] {
    [NSApp endSheet:s.sheet];
    [s.sheet orderOut:nil];
  });
  // The sheet's loop unwinds after the step that ended it; a modal session
  // begun before that would begin inside it.
  sheet_loop_ended.wait();
  if (!d.MakeMainActive()) d.Fail("the main window never came back");

  // A modal session.
  NSModalSession session = nullptr;
  d.OnAppKit([&] { session = [NSApp beginModalSessionForWindow:s.modal]; });
  d.Check("modal session running", plain_x, plain_y, false, "PlainContentView");
  d.Note("GNUstep's modal session",
         [&] { return "modalWindow " + ClassName([NSApp modalWindow]); });
  d.OnAppKit([&] {
    [NSApp endModalSession:session];
    [s.modal orderOut:nil];
  });
  if (!d.MakeMainActive()) d.Fail("the main window never came back");
  d.Check("plain content again", plain_x, plain_y, true, "PlainContentView");
}

// Many overlapping calls at once through the real threads, over the plain
// content: each settles once, with the same reading.
void CheckOverlappingCalls(Driver& d, int count) {
  std::vector<addon_value__*> promises;
  std::promise<void> called;
  d.host().Post(Queue::kScripting, [&] {
    for (int i = 0; i < count; ++i) promises.push_back(d.Call());
    called.set_value();
  });
  called.get_future().wait();
  int good = 0;
  for (addon_value__* promise : promises) {
    const Reading r = d.Await(promise);
    good += r.fulfilled && r.active && d.host().SettleCount(promise) == 1;
  }
  const bool ok = good == count;
  std::printf("%s %d overlapping calls, each settled once and active: %d\n", ok ? "ok  " : "FAIL",
              count, good);
  if (!ok) d.Fail("overlapping calls");
}

}  // namespace

int main(int argc, char** argv) {
  XInitThreads();
  const char* addon = nullptr;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "-addon") == 0) addon = argv[i + 1];
  }
  if (addon == nullptr) {
    std::fprintf(stderr, "usage: %s -addon path/to/zerlin-probe.uxpaddon\n", argv[0]);
    return 2;
  }

  NSAutoreleasePool* pool = [[NSAutoreleasePool alloc] init];
  [NSApplication sharedApplication];
  Scene scene = BuildScene();
  [NSApp finishLaunching];

  void* library = dlopen(addon, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    std::fprintf(stderr, "cannot load %s: %s\n", addon, dlerror());
    return 2;
  }
  using Init = addon_value__* (*)(addon_env__*, addon_value__*, const addon_apis*);
  auto init = reinterpret_cast<Init>(dlsym(library, "uxp_addon_init"));

  TestHost host;
  host.StartThreads(TestHost::MainThread::kCaller);
  MainQueueServer* server = [[MainQueueServer alloc] initWithHost:&host];
  NSTimer* timer = [NSTimer timerWithTimeInterval:0.002
                                           target:server
                                         selector:@selector(serve:)
                                         userInfo:nil
                                          repeats:YES];
  NSString* modes[] = {NSDefaultRunLoopMode, NSModalPanelRunLoopMode, NSEventTrackingRunLoopMode};
  for (NSString* mode : modes) {
    [[NSRunLoop currentRunLoop] addTimer:timer forMode:mode];
  }

  std::atomic<bool> finished{false};
  int checks = 0;
  int failures = 0;
  std::thread driver([&] {
    // The host loads the addon on its scripting thread.
    std::promise<addon_value__*> loaded;
    host.Post(Queue::kScripting, [&] {
      addon_value__* exports = host.Object();
      loaded.set_value(init(host.Env(), exports, &host.Table()) == exports
                           ? host.Property(exports, "getPointer")
                           : nullptr);
    });
    addon_value__* get_pointer = loaded.get_future().get();
    if (get_pointer == nullptr) {
      ++failures;
    } else {
      Driver d(host, scene, get_pointer);
      RunChecks(d, scene);
      CheckOverlappingCalls(d, 200);
      checks = d.checks();
      failures = d.failures();
    }
    finished = true;
  });

  while (!finished) {
    NSAutoreleasePool* turn = [[NSAutoreleasePool alloc] init];
    NSEvent* event = [NSApp nextEventMatchingMask:NSAnyEventMask
                                        untilDate:[NSDate dateWithTimeIntervalSinceNow:0.01]
                                           inMode:NSDefaultRunLoopMode
                                          dequeue:YES];
    if (event != nil) [NSApp sendEvent:event];
    [turn release];
  }
  driver.join();
  [timer invalidate];
  host.StopThreads();
  host.Drain(Queue::kMain);
  host.Drain(Queue::kScripting);

  std::printf("gnustep host: %d checks, %d failed, %zu host calls\n", checks, failures,
              host.CallCount());
  [server release];
  [pool release];
  return failures == 0 ? 0 : 1;
}
