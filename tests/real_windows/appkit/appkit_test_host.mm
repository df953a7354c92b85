// A real AppKit application that hosts the addon as a real host would: it
// loads the library by file, hands it the test host's table with the
// two-thread mode (the probe runs on this application's AppKit thread,
// scripts on a scripting thread), builds real windows, moves the pointer
// and holds its buttons, and checks every getPointer answer. It runs over
// GNUstep under X and over Apple's AppKit on macOS.
//
//   appkit_test_host -addon LIB            every check; exit 0 when all hold,
//                                          77 when some were skipped, 1 when
//                                          one failed or none passed
//   appkit_test_host -addon LIB demo DIR   the sample window: live readings,
//                                           then DIR/samples.txt, a grid of
//                                           answers, and DIR/screen.png
//
// Every wait has a limit. A check whose wait runs out fails with its name,
// or, where the session may refuse the step (macOS permissions), is skipped
// with its reason ("SKIP case: reason", and a warning on a GitHub Actions
// run's page); when the AppKit thread itself stops answering, or the run
// hangs past its limit, the run stops there.
// Progress is printed line by line, unbuffered.

// The C++ library comes before AppKit: GNUstep's headers define a macro
// named __ that breaks libc++'s <future>.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#import <AppKit/AppKit.h>
#include <dlfcn.h>
#include <objc/runtime.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "addon/addon_api.h"
#include "tests/host/test_host.h"
#include "tests/real_windows/appkit/desktop.h"
#include "tests/real_windows/skip_line.h"

using zerlin::appkit_host::Desktop;
using zerlin::test_host::TestHost;
using Queue = TestHost::Queue;

extern char** environ;

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
// Draws top-down, as some toolkits' content views do.
@interface FlippedContentView : PlainContentView
@end
@implementation FlippedContentView
- (BOOL)isFlipped {
  return YES;
}
@end
// A stand-in for an embedded browser: only its class name says so.
@interface HostWebView : PlainContentView
@end
@implementation HostWebView
- (void)drawRect:(NSRect)dirty {
  [[NSColor whiteColor] set];
  NSRectFill(dirty);
}
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

// What GNUstep and Apple's AppKit spell differently.
#ifdef GNUSTEP
const NSUInteger kAnyEvent = NSAnyEventMask;
const NSEventType kWakeEvent = NSApplicationDefined;
const char kTestName[] = "gnustep_real_windows";
#else
const NSEventMask kAnyEvent = NSEventMaskAny;
const NSEventType kWakeEvent = NSEventTypeApplicationDefined;
const char kTestName[] = "appkit_real_windows";
#endif

// GNUstep runs a sheet as an application-modal loop, so beginning one
// returns only when it ends; Apple's AppKit returns at once.
void BeginSheet(NSWindow* sheet, NSWindow* window) {
#ifdef GNUSTEP
  [NSApp beginSheet:sheet
      modalForWindow:window
       modalDelegate:nil
      didEndSelector:NULL
         contextInfo:NULL];
#else
  [window beginSheet:sheet completionHandler:nil];
#endif
}
void EndSheet(NSWindow* sheet, NSWindow* window) {
#ifdef GNUSTEP
  (void)window;
  [NSApp endSheet:sheet];
#else
  [window endSheet:sheet];
#endif
  [sheet orderOut:nil];
}

// Wakes a loop that waits for the next event (GNUstep's modal loops notice
// their end only then).
void PostWakeEvent() {
  NSEvent* wake = [NSEvent otherEventWithType:kWakeEvent
                                     location:NSZeroPoint
                                modifierFlags:0
                                    timestamp:0
                                 windowNumber:0
                                      context:nil
                                      subtype:0
                                        data1:0
                                        data2:0];
  [NSApp postEvent:wake atStart:NO];
}

// The first screen's height: X and Quartz count y down from its top.
double ScreenTop() {
  const NSRect screen = [[[NSScreen screens] objectAtIndex:0] frame];
  return screen.origin.y + screen.size.height;
}

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
  NSWindow* flipped = nil;
  NSButton* flipped_button = nil;
};

NSWindow* MakeWindow(Class cls, NSRect content_rect, NSView* content, NSString* title) {
  NSWindow* window =
      [[cls alloc] initWithContentRect:content_rect
                             styleMask:NSWindowStyleMaskTitled | NSWindowStyleMaskClosable
                               backing:NSBackingStoreBuffered
                                 defer:NO];
  [window setTitle:title];
  [window setContentView:content];
  [window setReleasedWhenClosed:NO];
  return window;
}

NSWindow* MakeWindowOf(Class window_class, Class view_class, NSRect content_rect, NSString* title) {
  NSView* view = [[view_class alloc]
      initWithFrame:NSMakeRect(0, 0, content_rect.size.width, content_rect.size.height)];
  NSWindow* window = MakeWindow(window_class, content_rect, view, title);
  [view release];
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
  s.second = MakeWindowOf([NSWindow class], [SecondContentView class],
                          NSMakeRect(700, 420, 300, 200), @"second");
  s.panel = (NSPanel*)MakeWindowOf([NSPanel class], [PanelContentView class],
                                   NSMakeRect(700, 120, 300, 200), @"panel");
  [s.panel setHidesOnDeactivate:NO];

  s.content = [[PlainContentView alloc] initWithFrame:NSMakeRect(0, 0, 560, 420)];
  s.main = MakeWindow([NSWindow class], NSMakeRect(60, 240, 560, 420), s.content, @"main");
  [s.content release];
  s.button = Add<NSButton>(s.content, [NSButton class], NSMakeRect(20, 20, 120, 32));
  [s.button setTitle:@"Button"];
  s.field = Add<NSTextField>(s.content, [NSTextField class], NSMakeRect(20, 80, 200, 24));
  [s.field setStringValue:@"text field"];
  s.slider = Add<NSSlider>(s.content, [NSSlider class], NSMakeRect(20, 130, 200, 24));
  s.web = Add<HostWebView>(s.content, [HostWebView class], NSMakeRect(280, 20, 240, 200));
  s.web_child = Add<PlainChildView>(s.web, [PlainChildView class], NSMakeRect(20, 20, 100, 100));

  s.sheet = (NSPanel*)MakeWindowOf([NSPanel class], [PlainContentView class],
                                   NSMakeRect(0, 0, 240, 80), @"sheet");
  s.modal = (NSPanel*)MakeWindowOf([NSPanel class], [PlainContentView class],
                                   NSMakeRect(1040, 600, 200, 80), @"modal");
  // Ordered in, over the main window, only for its own case: a button along
  // the top edge of a flipped content view.
  s.flipped = MakeWindowOf([NSWindow class], [FlippedContentView class],
                           NSMakeRect(200, 300, 240, 160), @"flipped");
  s.flipped_button =
      Add<NSButton>([s.flipped contentView], [NSButton class], NSMakeRect(20, 4, 120, 28));
  [s.flipped_button setTitle:@"Top"];

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

using Clock = std::chrono::steady_clock;
// How long one step (a move, a call, an AppKit change) may take.
constexpr auto kStepLimit = std::chrono::seconds(5);
// A run's limit is its own time, well above its usual length (a few
// seconds; the demo about 20 s), plus one step's limit for every wait that
// ran out, up to kMostGranted of them. A session that refuses steps (macOS
// without the Accessibility permission, say) thus has time for every case
// to be refused in turn and skipped with its reason; only a run that hangs
// goes past its limit. The tests' timeout in CMakeLists.txt lies above the
// longest limit, 40 s + 40 x 5 s.
constexpr auto kChecksOwnTime = std::chrono::seconds(40);
constexpr auto kDemoOwnTime = std::chrono::seconds(90);
constexpr int kMostGranted = 40;

// The run's tally and the case under way, shared with the watchdog.
struct Progress {
  std::mutex mutex;
  std::string current = "start-up";
  int checks = 0;
  int passed = 0;
  int failures = 0;
  int skipped = 0;
  int ran_out = 0;  // waits that ran out, each granted to the run's limit
  size_t host_calls = 0;

  void Summary() {
    std::lock_guard<std::mutex> lock(mutex);
    std::printf("appkit host: %d checks, %d failed, %d skipped, %zu host calls\n", checks, failures,
                skipped, host_calls);
  }
  // Ends the process from any thread: the AppKit thread may be the one that
  // is stuck, so nothing waits for it.
  [[noreturn]] void Stop(const std::string& why) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      std::printf("FAIL %s: %s; the run stops here\n", current.c_str(), why.c_str());
      ++failures;
    }
    Summary();
    std::fflush(stdout);
    std::_Exit(1);
  }
};

class Driver {
 public:
  Driver(TestHost& host, Desktop& desktop, Progress& progress, addon_value__* get_pointer)
      : host_(host), desktop_(desktop), progress_(progress), get_pointer_(get_pointer) {}

  // Names the case that the following steps belong to.
  void Begin(const std::string& what) {
    std::lock_guard<std::mutex> lock(progress_.mutex);
    progress_.current = what;
  }

  // Runs `work` on the AppKit thread and waits for it, within the limit.
  // AppKit raising inside `work` fails the case; an AppKit thread that does
  // not answer stops the run.
  void OnAppKit(const std::function<void()>& work) {
    std::promise<bool> done;
    std::future<bool> finished = done.get_future();
    host_.Post(Queue::kMain, [&] {
      bool raised = false;
      try {
        work();
      } catch (...) {
        raised = true;
      }
      done.set_value(raised);
    });
    if (finished.wait_for(kStepLimit) != std::future_status::ready) {
      progress_.Stop("the AppKit thread did not answer within 5 s");
    }
    if (finished.get()) Fail("AppKit raised an exception");
  }

  // Waits (within the limit) until `ready` holds on the AppKit thread.
  bool AwaitAppKit(const std::function<bool()>& ready) {
    const auto deadline = Clock::now() + kStepLimit;
    do {
      bool ok = false;
      OnAppKit([&] { ok = ready(); });
      if (ok) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    } while (Clock::now() < deadline);
    RanOut();
    return false;
  }

  // Makes `window` the main window of the active application, and waits
  // until the window system shows it where AppKit places it: a window that
  // the window manager has just mapped may sit elsewhere for a moment.
  bool MakeMain(NSWindow* window) {
    return AwaitAppKit([&] {
      if ([NSApp isActive] && [NSApp mainWindow] == window) return ShownAt(window);
      [NSApp activateIgnoringOtherApps:YES];
      [window makeKeyAndOrderFront:nil];
      return false;
    });
  }
  // Begins case `what` with `window` (titled `name`) made main, whatever
  // the case before left; false, with the case failed or skipped, when it
  // never was.
  bool StartIn(const std::string& what, NSWindow* window, const std::string& name = "main") {
    Begin(what);
    if (MakeMain(window)) return true;
    std::string missing;
    OnAppKit([&] { missing = NotMain(window); });
    Refused("the " + name + " window never became main (" + missing + ")");
    return false;
  }
  // AppKit thread only: what MakeMain waits for that does not hold yet.
  static std::string NotMain(NSWindow* window) {
    const NSRect frame = [window frame];
    const NSRect content = [window contentRectForFrameRect:frame];
    const NSPoint centre = NSMakePoint(NSMidX(content), NSMidY(content));
    const NSInteger number = [window windowNumber];
    const std::pair<bool, const char*> facts[] = {
        {[NSApp isActive], "the application is not active"},
        {[NSApp mainWindow] == window, "another window is main"},
        {NSHeight(frame) > NSHeight(content), "AppKit gives it no title bar"},
        {[NSWindow windowNumberAtPoint:centre belowWindowWithWindowNumber:0] == number,
         "the window system shows another window at its centre"},
        {[NSWindow windowNumberAtPoint:TitlePoint(window) belowWindowWithWindowNumber:0] == number,
         "the window system shows another window at its title bar"}};
    std::string missing;
    for (const auto& [holds, what] : facts) {
      if (!holds) missing += (missing.empty() ? "" : "; ") + std::string(what);
    }
    return missing.empty() ? "all held by the end" : missing;
  }
  // AppKit thread only: the window system shows `window` where AppKit
  // places it, at the centre of its content and at its title bar. GNUstep
  // learns the title bar's size, and where the window manager put the
  // frame, some time after the window is shown.
  static bool ShownAt(NSWindow* window) {
    const NSRect content = [window contentRectForFrameRect:[window frame]];
    const NSPoint centre = NSMakePoint(NSMidX(content), NSMidY(content));
    const NSInteger number = [window windowNumber];
    return NSHeight([window frame]) > NSHeight(content) &&
           [NSWindow windowNumberAtPoint:centre belowWindowWithWindowNumber:0] == number &&
           [NSWindow windowNumberAtPoint:TitlePoint(window)
               belowWindowWithWindowNumber:0] == number;
  }
  // AppKit thread only: halfway between the top edge of `window`'s content
  // and that of its frame, in its title bar.
  static NSPoint TitlePoint(NSWindow* window) {
    const NSRect frame = [window frame];
    const NSRect content = [window contentRectForFrameRect:frame];
    return NSMakePoint(NSMidX(frame), (NSMaxY(content) + NSMaxY(frame)) / 2);
  }

  // The screen position of a point given in `view`'s own coordinates (its
  // centre when none is given), counted from the first screen's top-left.
  void PositionOf(NSView* view, int& x, int& y, const NSPoint* local = nullptr) {
    OnAppKit([&] {
      const NSRect bounds = [view bounds];
      const NSPoint inside =
          local != nullptr ? *local : NSMakePoint(NSMidX(bounds), NSMidY(bounds));
      const NSPoint in_window = [view convertPoint:inside toView:nil];
      const NSPoint on_screen =
          [[view window] convertRectToScreen:NSMakeRect(in_window.x, in_window.y, 0, 0)].origin;
      x = static_cast<int>(std::lround(on_screen.x));
      y = static_cast<int>(std::lround(ScreenTop() - on_screen.y));
    });
  }

  // Moves the pointer and waits until AppKit reports it there.
  bool MoveTo(int x, int y) {
    desktop_.MoveTo(x, y);
    return AwaitAppKit([&] { return PointerIsAt(x, y); });
  }
  // AppKit thread only.
  static bool PointerIsAt(int x, int y) {
    const NSPoint p = [NSEvent mouseLocation];
    return std::lround(p.x) == x && std::lround(ScreenTop() - p.y) == y;
  }

  // Holds or releases a button and waits until AppKit reports it.
  bool Press(Desktop::Button button, bool down) {
    desktop_.Press(button, down);
    const NSUInteger bit = 1u << static_cast<int>(button);
    return AwaitAppKit([&] { return (([NSEvent pressedMouseButtons] & bit) != 0) == down; });
  }

  // Calls getPointer as a script would, on the scripting thread, and waits
  // (within the limit) for its promise to settle.
  Reading Read() {
    std::promise<addon_value__*> called;
    std::future<addon_value__*> returned = called.get_future();
    host_.Post(Queue::kScripting, [&] { called.set_value(Call()); });
    if (returned.wait_for(kStepLimit) != std::future_status::ready) {
      progress_.Stop("getPointer did not return within 5 s");
    }
    return Await(returned.get());
  }
  // Scripting thread only.
  addon_value__* Call() { return host_.CallFunction(get_pointer_); }
  Reading Await(addon_value__* promise) {
    const auto deadline = Clock::now() + kStepLimit;
    while (host_.SettleCount(promise) == 0 && Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    if (host_.SettleCount(promise) == 0) RanOut();
    return Parse(host_.Describe(promise));
  }

  // Moves the pointer to (x, y), reads there and checks the whole answer.
  // With `held`, the reading counts only when `held` is still true on the
  // AppKit thread after it; otherwise the answer is false and nothing is
  // counted, so that the caller can arrange the state again.
  bool Check(const std::string& what, int x, int y, bool active, const std::string& view_class,
             const std::function<bool()>& held = nullptr) {
    Begin(what);
    if (!MoveTo(x, y)) {
      Refused("the pointer did not reach (" + std::to_string(x) + "," + std::to_string(y) +
              ") within 5 s");
      return true;
    }
    const Reading r = Read();
    if (held) {
      bool still = false;
      OnAppKit([&] { still = held(); });
      if (!still) {
        std::printf("     %s: the arranged state changed during the reading\n", what.c_str());
        return false;
      }
    }
    const bool ok = r.fulfilled && r.keys == "active,scale,viewClass,x,y" && r.active == active &&
                    r.view_class == view_class && r.scale == 1.0 && r.x == x && r.y == y;
    std::printf("%s %-44s (%4d,%4d): active=%-5s viewClass=\"%s\" x=%g y=%g\n",
                ok ? "ok  " : "FAIL", what.c_str(), x, y, r.active ? "true" : "false",
                r.view_class.c_str(), r.x, r.y);
    std::lock_guard<std::mutex> lock(progress_.mutex);
    progress_.passed += ok ? 1 : 0;
    if (!ok) {
      std::printf("     expected active=%s viewClass=\"%s\"; host saw %s\n",
                  active ? "true" : "false", view_class.c_str(), r.text.c_str());
      ++progress_.failures;
    }
    ++progress_.checks;
    return true;
  }
  // Arranges a state with `arrange` (false when it did not come about
  // within the limit) and checks a reading taken while `held` stays true:
  // the window manager may undo an arranged focus at any moment, so the
  // state is arranged and read again, up to three times.
  void CheckWhileHeld(const std::string& what, int x, int y, bool active,
                      const std::string& view_class, const std::function<bool()>& arrange,
                      const std::function<bool()>& held) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      Begin(what);
      if (arrange() && Check(what, x, y, active, view_class, held)) return;
    }
    Refused("the arranged state never held across a reading");
  }
  // Prints what AppKit says about the scene, for the record.
  void Note(const char* what, const std::function<std::string()>& say) {
    std::string text;
    OnAppKit([&] { text = say(); });
    std::printf("     %s: %s\n", what, text.c_str());
  }

  // A bounded wait ran out: the run's limit grows by that wait.
  void RanOut() {
    std::lock_guard<std::mutex> lock(progress_.mutex);
    ++progress_.ran_out;
  }
  // The current case failed.
  void Fail(const std::string& why) {
    std::lock_guard<std::mutex> lock(progress_.mutex);
    std::printf("FAIL %s: %s\n", progress_.current.c_str(), why.c_str());
    ++progress_.failures;
  }
  // The current case cannot run in this session.
  void Skip(const std::string& why) {
    std::lock_guard<std::mutex> lock(progress_.mutex);
    zerlin::test_host::PrintSkipLine(kTestName, progress_.current, why);
    ++progress_.skipped;
  }
  // Something the session may refuse did not happen: skipped where the
  // session may refuse it (macOS permissions), failed where it never does.
  void Refused(const std::string& why) {
    if (Desktop::SessionMayRefuse()) {
      Skip(why + " (the session does not allow it)");
    } else {
      Fail(why);
    }
  }

  TestHost& host() { return host_; }
  Desktop& desktop() { return desktop_; }

 private:
  TestHost& host_;
  Desktop& desktop_;
  Progress& progress_;
  addon_value__* get_pointer_;
};

std::string ClassName(id object) {
  return object != nil ? [NSStringFromClass([object class]) UTF8String] : "";
}

NSView* ContentOf(Driver& d, NSWindow* window) {
  NSView* content = nil;
  d.OnAppKit([&] { content = [window contentView]; });
  return content;
}

// The screen position of `window`'s title bar, once the window system shows
// the window there; false (the case refused) when it never does.
bool TitleBarOf(Driver& d, NSWindow* window, int& x, int& y) {
  if (!d.AwaitAppKit([&] { return Driver::ShownAt(window); })) {
    d.Refused("AppKit never placed the window's title bar where the window system shows it");
    return false;
  }
  d.OnAppKit([&] {
    const NSPoint title = Driver::TitlePoint(window);
    x = static_cast<int>(std::lround(title.x));
    y = static_cast<int>(std::lround(ScreenTop() - title.y));
  });
  return true;
}

// A spot on the main window's plain content, away from every control.
const NSPoint kPlainSpot = {420, 360};

// Each case arranges its own state from whatever the case before it left,
// so a step that fails or is refused ends that case only.
void RunChecks(Driver& d, Scene& s) {
  using Where = std::function<void(int&, int&)>;
  // A view's spot (`local` in its own coordinates, else its centre), found
  // once the case is arranged: GNUstep may move a window it has just shown.
  const auto spot = [&d](NSView* view, const NSPoint* local = nullptr) -> Where {
    return [=, &d](int& x, int& y) { d.PositionOf(view, x, y, local); };
  };
  // A reading that counts only while `window` stayed main in the active
  // application: a late focus event may hand main to another window.
  const auto read_in = [&](NSWindow* window, const std::string& what, int x, int y, bool active,
                           const std::string& view_class) {
    d.CheckWhileHeld(
        what, x, y, active, view_class, [&] { return d.MakeMain(window); },
        [&] { return [NSApp isActive] && [NSApp mainWindow] == window; });
  };
  // One reading with the main window main, active and shown.
  const auto over_main = [&](const std::string& what, const Where& where, bool active,
                             const std::string& view_class) {
    if (!d.StartIn(what, s.main)) return;
    int x = 0, y = 0;
    where(x, y);
    read_in(s.main, what, x, y, active, view_class);
  };

  // The main window and what lies in it.
  const Where plain = spot(s.content, &kPlainSpot);
  over_main("plain content of the main window", plain, true, "PlainContentView");
  over_main("button", spot(s.button), false, "NSButton");
  const std::string editing = "text field being edited (its field editor)";
  if (d.StartIn(editing, s.main)) {
    std::string editor;
    d.OnAppKit([&] {
      [s.main makeFirstResponder:s.field];  // starts editing: a field editor
      editor = ClassName([s.main fieldEditor:NO forObject:s.field]);
    });
    int x = 0, y = 0;
    d.PositionOf(s.field, x, y);
    d.Check(editing, x, y, false, editor);
  }
  over_main("slider", spot(s.slider), false, "NSSlider");
  const NSPoint beside_child = NSMakePoint(200, 160);
  over_main("view whose class name contains WebView", spot(s.web, &beside_child), false,
            "HostWebView");
  over_main("plain view inside it", spot(s.web_child), false, "PlainChildView");
  const std::string title_bar = "title bar of the main window";
  int title_x = 0, title_y = 0;
  if (d.StartIn(title_bar, s.main) && TitleBarOf(d, s.main, title_x, title_y)) {
    read_in(s.main, title_bar, title_x, title_y, true, "");
  }

  // Another application's window in front of the main window.
  const std::string other = "another application's window in front";
  const std::string no_other = d.desktop().CannotShowOtherWindow();
  if (!no_other.empty()) {
    std::printf("     %s: not on this desktop: %s\n", other.c_str(), no_other.c_str());
  } else if (d.StartIn(other, s.main)) {
    int x = 0, y = 0;
    plain(x, y);
    d.desktop().ShowOtherWindow(x - 60, y - 40, 120, 80);
    d.Check(other, x, y, false, "");
    d.desktop().HideOtherWindow();
  }

  // Other windows of the host, and no window at all.
  over_main("second window, not main", spot(ContentOf(d, s.second)), false, "SecondContentView");
  over_main("panel", spot(ContentOf(d, s.panel)), false, "PanelContentView");
  const Where far = [&](int& x, int& y) {
    d.OnAppKit([&] {
      const NSRect screen = [[[NSScreen screens] objectAtIndex:0] frame];
      x = static_cast<int>(screen.size.width) - 30;
      y = static_cast<int>(screen.size.height) - 30;
    });
  };
  over_main("desktop, over no window", far, false, "");

  // Held buttons: primary, secondary and middle, each alone.
  const std::string no_buttons = d.desktop().CannotHoldButtons();
  const std::pair<Desktop::Button, const char*> buttons[] = {
      {Desktop::Button::kPrimary, "primary button held"},
      {Desktop::Button::kSecondary, "secondary button held"},
      {Desktop::Button::kMiddle, "middle button held"}};
  for (const auto& [button, what] : buttons) {
    if (!no_buttons.empty()) {
      d.Begin(what);
      d.Skip(no_buttons);
      continue;
    }
    if (!d.StartIn(what, s.main)) continue;
    int x = 0, y = 0;
    plain(x, y);
    if (!d.MoveTo(x, y)) {
      d.Refused("the pointer did not reach the plain content within 5 s");
      continue;
    }
    if (!d.Press(button, true)) {
      d.Refused("AppKit never reported the button held");
    } else {
      d.Check(what, x, y, false, "PlainContentView");
    }
    d.Begin(std::string(what) + ", released");
    if (!d.Press(button, false)) d.Refused("AppKit never reported the button released");
  }
  over_main("all buttons released", plain, true, "PlainContentView");

  // A content view that draws top-down: hit at the spot under the pointer,
  // not at its mirror image.
  if (d.StartIn("flipped content view", s.flipped, "flipped")) {
    int x = 0, y = 0;
    d.PositionOf(s.flipped_button, x, y);
    read_in(s.flipped, "flipped content: button along its top edge", x, y, false, "NSButton");
    const NSPoint mirrored = NSMakePoint(80, 160 - 18);  // the button's centre, mirrored
    d.PositionOf(ContentOf(d, s.flipped), x, y, &mirrored);
    read_in(s.flipped, "flipped content: the mirrored plain spot", x, y, true,
            "FlippedContentView");
  }
  d.OnAppKit([&] { [s.flipped orderOut:nil]; });

  // The application not active.
  int plain_x = 0, plain_y = 0;
  plain(plain_x, plain_y);
  const auto inactive = [] { return ![NSApp isActive]; };
  d.CheckWhileHeld(
      "application not active", plain_x, plain_y, false, "PlainContentView",
      [&] {
        if (!d.MakeMain(s.main)) return false;
        d.OnAppKit([&] { [NSApp deactivate]; });
        return d.AwaitAppKit(inactive);
      },
      inactive);

  // A sheet on the main window. Posted without waiting, since GNUstep's
  // sheet runs a modal loop that returns only when the sheet ends.
  const std::string sheet = "main window with a sheet attached";
  if (d.StartIn(sheet, s.main)) {
    auto sheet_loop = std::make_shared<std::promise<void>>();
    std::future<void> sheet_loop_ended = sheet_loop->get_future();
    d.host().Post(Queue::kMain, [=] {  // the scene's pointers and the promise by value
      BeginSheet(s.sheet, s.main);
      sheet_loop->set_value();
    });
    if (!d.AwaitAppKit([&] { return [s.main attachedSheet] == s.sheet; })) {
      d.Refused("the sheet never attached");
    } else {
      int x = 0, y = 0;
      const NSPoint beside = NSMakePoint(540, 240);
      d.PositionOf(s.content, x, y, &beside);
      d.Check(sheet, x, y, false, "PlainContentView");
      d.Note("the sheet", [&] {
        return "modalWindow " + ClassName([NSApp modalWindow]) + ", attachedSheet " +
               ClassName([s.main attachedSheet]);
      });
    }
    // Ending the sheet takes effect in its loop at the next event; an
    // application-defined event, posted until the loop has ended, supplies
    // one. A case begun before that would begin inside it.
    d.Begin("the sheet ends");
    d.OnAppKit([&] { EndSheet(s.sheet, s.main); });
    const auto sheet_deadline = Clock::now() + kStepLimit;
    bool sheet_ended = false;
    while (!sheet_ended && Clock::now() < sheet_deadline) {
      d.OnAppKit([] { PostWakeEvent(); });
      sheet_ended =
          sheet_loop_ended.wait_for(std::chrono::milliseconds(50)) == std::future_status::ready;
    }
    if (!sheet_ended) {
      d.RanOut();
      d.Refused("the sheet's modal loop did not end within 5 s");
    }
  }

  // A modal session.
  const std::string modal = "modal session running";
  if (d.StartIn(modal, s.main)) {
    NSModalSession session = nullptr;
    d.OnAppKit([&] { session = [NSApp beginModalSessionForWindow:s.modal]; });
    plain(plain_x, plain_y);
    d.Check(modal, plain_x, plain_y, false, "PlainContentView");
    d.Note("the modal session", [&] { return "modalWindow " + ClassName([NSApp modalWindow]); });
    d.OnAppKit([&] {
      [NSApp endModalSession:session];
      [s.modal orderOut:nil];
    });
  }
  read_in(s.main, "plain content again", plain_x, plain_y, true, "PlainContentView");
}

// Many overlapping calls at once through the real threads, over the plain
// content: each settles once, with the same reading.
void CheckOverlappingCalls(Driver& d, Scene& s, Progress& progress, int count) {
  const std::string what = std::to_string(count) + " overlapping calls";
  // Counted only while the main window stayed main in the active
  // application through the calls; arranged and called again otherwise.
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (!d.StartIn(what, s.main)) return;
    int x = 0, y = 0;
    d.PositionOf(s.content, x, y, &kPlainSpot);
    if (!d.MoveTo(x, y)) {
      d.Refused("the pointer did not reach the plain content within 5 s");
      return;
    }
    std::vector<addon_value__*> promises;
    std::promise<void> called;
    std::future<void> all_called = called.get_future();
    d.host().Post(Queue::kScripting, [&] {
      for (int i = 0; i < count; ++i) promises.push_back(d.Call());
      called.set_value();
    });
    if (all_called.wait_for(kStepLimit) != std::future_status::ready) {
      progress.Stop("the calls did not return within 5 s");
    }
    int good = 0;
    for (addon_value__* promise : promises) {
      const Reading r = d.Await(promise);
      good += r.fulfilled && r.active && d.host().SettleCount(promise) == 1;
    }
    bool still = false;
    d.OnAppKit([&] { still = [NSApp isActive] && [NSApp mainWindow] == s.main; });
    if (!still) {
      std::printf("     %s: the arranged state changed during the calls\n", what.c_str());
      continue;
    }
    const bool ok = good == count;
    std::printf("%s %d overlapping calls, each settled once and active: %d\n", ok ? "ok  " : "FAIL",
                count, good);
    std::lock_guard<std::mutex> lock(progress.mutex);
    ++progress.checks;
    progress.passed += ok ? 1 : 0;
    progress.failures += ok ? 0 : 1;
    return;
  }
  d.Refused("the arranged state never held across the calls");
}

// The demo's verdict for an answer, as the activity map colours it: A
// active, C over a control, W over a web view, O not the host's main window.
char Classify(const Reading& r) {
  if (r.active) return 'A';
  if (r.view_class == "HostWebView" || r.view_class == "PlainChildView") return 'W';
  Class cls = objc_lookUpClass(r.view_class.c_str());
  if (cls != Nil &&
      ([cls isSubclassOfClass:[NSControl class]] || [cls isSubclassOfClass:[NSText class]])) {
    return 'C';
  }
  return 'O';
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// Runs ImageMagick's import for a picture of the whole screen, within a
// limit; false when it is not installed or fails.
bool Screenshot(const std::string& path) {
  const char* argv[] = {"import", "-window", "root", path.c_str(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, "import", nullptr, nullptr, const_cast<char* const*>(argv), environ) !=
      0) {
    return false;
  }
  int status = 0;
  for (int i = 0; i < 300; ++i) {
    const pid_t ended = waitpid(pid, &status, WNOHANG);
    if (ended == pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    // GNUstep may reap children itself; then the picture tells.
    if (ended == -1) return Exists(path);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return false;
}

// The sample window, a few live readings with the verdict each should give,
// then a grid of answers over the main window and a margin.
int RunDemo(Driver& d, Scene& s, Progress& progress, const std::string& dir) {
  d.Begin("demo: the main window becomes main");
  if (!d.MakeMain(s.main)) d.Refused("the main window never became main");

  int left = 0, top = 0, right = 0, bottom = 0, screen_w = 0, screen_h = 0;
  d.OnAppKit([&] {
    const NSRect frame = [s.main frame];
    const NSRect screen = [[[NSScreen screens] objectAtIndex:0] frame];
    screen_w = static_cast<int>(screen.size.width);
    screen_h = static_cast<int>(screen.size.height);
    left = static_cast<int>(std::lround(NSMinX(frame)));
    right = static_cast<int>(std::lround(NSMaxX(frame)));
    top = static_cast<int>(std::lround(ScreenTop() - NSMaxY(frame)));
    bottom = static_cast<int>(std::lround(ScreenTop() - NSMinY(frame)));
  });
  // Another application's window over the main window's lower right part.
  const bool other = d.desktop().CannotShowOtherWindow().empty();
  if (other) d.desktop().ShowOtherWindow(right - 120, bottom - 110, 200, 150);

  struct Spot {
    const char* where;
    int x, y;
    bool active;
    const char* why;
  };
  std::vector<Spot> spots;
  auto at = [&](const char* where, NSView* view, const NSPoint* local, bool active,
                const char* why) {
    Spot spot{where, 0, 0, active, why};
    d.PositionOf(view, spot.x, spot.y, local);
    spots.push_back(spot);
  };
  const NSPoint plain = NSMakePoint(140, 330);
  const NSPoint web_corner = NSMakePoint(200, 170);
  at("the plain content view", s.content, &plain, true,
     "active: the main window's plain content, no control or web view above it");
  at("an NSButton", s.button, nullptr, false, "vetoed: a control");
  at("an NSTextField", s.field, nullptr, false, "vetoed: a control");
  at("an NSSlider", s.slider, nullptr, false, "vetoed: a control");
  at("HostWebView", s.web, &web_corner, false, "vetoed: its class name contains \"WebView\"");
  at("a plain view inside HostWebView", s.web_child, nullptr, false,
     "vetoed: inside a view whose class name contains \"WebView\"");
  Spot title{"the title bar", 0, 0, true,
             "active: the main window, though over no view of its content"};
  TitleBarOf(d, s.main, title.x, title.y);
  spots.push_back(title);
  if (other) {
    spots.push_back({"another application's window", right - 40, bottom - 50, false,
                     "vetoed: not the host's window"});
  }

  std::printf("Live readings of getPointer, each with the verdict it should give:\n");
  for (const Spot& spot : spots) {
    d.Begin(std::string("demo: ") + spot.where);
    if (!d.MoveTo(spot.x, spot.y)) {
      d.Refused("the pointer did not move there");
      continue;
    }
    const Reading r = d.Read();
    std::printf("  over %-32s (%4d,%4d): active=%-5s viewClass=\"%s\"\n", spot.where, spot.x,
                spot.y, r.active ? "true" : "false", r.view_class.c_str());
    std::printf("  %s %s\n", r.fulfilled && r.active == spot.active ? "   " : "!! ", spot.why);
  }
  d.Begin("demo: a held button");
  if (d.desktop().CannotHoldButtons().empty() && d.MoveTo(spots[0].x, spots[0].y) &&
      d.Press(Desktop::Button::kPrimary, true)) {
    const Reading r = d.Read();
    std::printf("  over %-32s (%4d,%4d): active=%-5s viewClass=\"%s\"\n",
                "the plain content, button held", spots[0].x, spots[0].y,
                r.active ? "true" : "false", r.view_class.c_str());
    std::printf("  %s vetoed: a mouse button is held\n", r.active ? "!! " : "   ");
    d.Press(Desktop::Button::kPrimary, false);
  }

  // The grid, in the activity map's format: the area, then one "X Y K" line
  // per point. A point that AppKit has not caught up with yet is moved to
  // again, waiting this time.
  d.Begin("demo: sampling");
  const int step = 8;
  left = std::max(left - 20, 0);
  top = std::max(top - 20, 0);
  right = std::min(right + 20, screen_w);
  bottom = std::min(bottom + 20, screen_h);
  std::ofstream samples(dir + "/samples.txt", std::ios::binary);
  samples << "area " << left << ' ' << top << ' ' << right << ' ' << bottom << ' ' << step << '\n';
  std::map<char, int> counts;
  const auto started = Clock::now();
  for (int y = top + step / 2; y < bottom; y += step) {
    for (int x = left + step / 2; x < right; x += step) {
      d.desktop().MoveTo(x, y);
      Reading r = d.Read();
      if (r.x != x || r.y != y) {
        d.MoveTo(x, y);
        r = d.Read();
      }
      const char kind = Classify(r);
      ++counts[kind];
      samples << x << ' ' << y << ' ' << kind << '\n';
    }
  }
  samples.close();
  std::printf(
      "Sampled %d points in %.1f s: %d active, %d over a control, %d over a web view, %d not "
      "over the host's main window\n",
      counts['A'] + counts['C'] + counts['W'] + counts['O'],
      std::chrono::duration<double>(Clock::now() - started).count(), counts['A'], counts['C'],
      counts['W'], counts['O']);

  // Parks the pointer away from the window, then the picture: taken here
  // when ImageMagick is at hand; otherwise the caller takes it between
  // DIR/ready and DIR/captured.
  d.Begin("demo: the picture");
  d.MoveTo(screen_w - 10, screen_h - 10);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // lets the windows repaint
  const bool pictured = Screenshot(dir + "/screen.png");
  std::printf(pictured ? "Screenshot: %s/screen.png\n" : "No screenshot taken here (%s)\n",
              pictured ? dir.c_str() : "ImageMagick's import is not available");
  std::ofstream(dir + "/ready") << "ready\n";
  if (!pictured) {
    const auto deadline = Clock::now() + std::chrono::seconds(15);
    while (!Exists(dir + "/captured") && Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  if (other) d.desktop().HideOtherWindow();
  std::lock_guard<std::mutex> lock(progress.mutex);
  return progress.failures == 0 ? 0 : 1;
}

// Stops a run that outlives its limit, naming the case it was in.
class Watchdog {
 public:
  Watchdog(Progress& progress, std::chrono::seconds own_time)
      : thread_(&Watchdog::Watch, this, &progress, own_time) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    done_cv_.notify_all();
    thread_.join();
  }

 private:
  void Watch(Progress* progress, std::chrono::seconds own_time) {
    const auto started = Clock::now();
    std::unique_lock<std::mutex> lock(mutex_);
    while (!done_cv_.wait_for(lock, std::chrono::milliseconds(100), [&] { return done_; })) {
      int granted = 0;
      {
        std::lock_guard<std::mutex> tally(progress->mutex);
        granted = std::min(progress->ran_out, kMostGranted);
      }
      const auto limit = own_time + granted * kStepLimit;
      if (Clock::now() - started > limit) {
        progress->Stop("the run took longer than its limit of " + std::to_string(limit.count()) +
                       " s (" + std::to_string(own_time.count()) + " s of its own and " +
                       std::to_string(granted) + " waits that ran out)");
      }
    }
  }

  std::mutex mutex_;
  std::condition_variable done_cv_;
  bool done_ = false;
  std::thread thread_;
};

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  Desktop::Prepare();
  const char* addon = nullptr;
  std::string demo_dir;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-addon") == 0 && i + 1 < argc) {
      addon = argv[++i];
    } else if (std::strcmp(argv[i], "demo") == 0 && i + 1 < argc) {
      demo_dir = argv[++i];
    }
  }
  if (addon == nullptr) {
    std::fprintf(stderr, "usage: %s -addon path/to/zerlin-probe.uxpaddon [demo DIR]\n", argv[0]);
    return 2;
  }

  Progress progress;
  Watchdog watchdog(progress, demo_dir.empty() ? kChecksOwnTime : kDemoOwnTime);

  NSAutoreleasePool* pool = [[NSAutoreleasePool alloc] init];
  [NSApplication sharedApplication];
#ifndef GNUSTEP
  // A plain executable is not a regular application on macOS until told.
  [NSApp setActivationPolicy:NSApplicationActivationPolicyRegular];
#endif
  Scene scene = BuildScene();
  [NSApp finishLaunching];

  std::printf("     windows built; loading %s\n", addon);
  void* library = dlopen(addon, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    std::fprintf(stderr, "cannot load %s: %s\n", addon, dlerror());
    return 2;
  }
  using Init = addon_value__* (*)(addon_env__*, addon_value__*, const addon_apis*);
  auto init = reinterpret_cast<Init>(dlsym(library, "uxp_addon_init"));
  if (init == nullptr) {
    std::fprintf(stderr, "%s exports no uxp_addon_init\n", addon);
    return 2;
  }

  TestHost host;
  host.StartThreads(TestHost::MainThread::kCaller);
  MainQueueServer* server = [[MainQueueServer alloc] initWithHost:&host];
  NSTimer* timer = [NSTimer timerWithTimeInterval:0.001
                                           target:server
                                         selector:@selector(serve:)
                                         userInfo:nil
                                          repeats:YES];
  NSString* modes[] = {NSDefaultRunLoopMode, NSModalPanelRunLoopMode, NSEventTrackingRunLoopMode};
  for (NSString* mode : modes) {
    [[NSRunLoop currentRunLoop] addTimer:timer forMode:mode];
  }

  std::atomic<bool> finished{false};
  int status = 0;
  std::thread driver([&] {
    // The host loads the addon on its scripting thread.
    std::promise<addon_value__*> loaded;
    std::future<addon_value__*> exported = loaded.get_future();
    host.Post(Queue::kScripting, [&] {
      addon_value__* exports = host.Object();
      loaded.set_value(init(host.Env(), exports, &host.Table()) == exports
                           ? host.Property(exports, "getPointer")
                           : nullptr);
    });
    if (exported.wait_for(kStepLimit) != std::future_status::ready) {
      progress.Stop("uxp_addon_init did not return within 5 s");
    }
    addon_value__* get_pointer = exported.get();
    if (get_pointer == nullptr) {
      progress.Stop("the addon registered no getPointer");
    }
    Desktop desktop;
    Driver d(host, desktop, progress, get_pointer);
    if (demo_dir.empty()) {
      RunChecks(d, scene);
      CheckOverlappingCalls(d, scene, progress, 200);
    } else {
      status = RunDemo(d, scene, progress, demo_dir);
    }
    finished = true;
  });

  while (!finished) {
    NSAutoreleasePool* turn = [[NSAutoreleasePool alloc] init];
    NSEvent* event = [NSApp nextEventMatchingMask:kAnyEvent
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

  {
    std::lock_guard<std::mutex> lock(progress.mutex);
    progress.host_calls = host.CallCount();
    if (progress.failures > 0) {
      status = 1;
    } else if (demo_dir.empty() && progress.passed == 0) {
      // Everything skipped proves nothing about the addon.
      std::printf("this runner gave no usable desktop\n");
      status = 1;
    } else if (demo_dir.empty() && progress.skipped > 0) {
      status = 77;
    }
  }
  progress.Summary();
  [server release];
  [pool release];
  return status;
}
