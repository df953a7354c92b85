// The macOS probe over a scripted AppKit: the activity tests in order, the
// view-chain veto, coordinates, and the exact queries made.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "pointer/mac/pointer_state.h"
#include "tests/fakes/fake_appkit.h"
#include "tests/host/installed_host.h"

namespace zerlin::mac {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

// The host's main window (number 7, bottom-left corner at (40,100)) with a
// plain content view under the pointer at (100,300), inside the frame view
// that AppKit puts around a window's content.
struct Scene : MainWindowScene {
  FakeView frame{"NSThemeFrame"};

  Scene() { content.superview = &frame; }

  // The answer as one line, every key in map order: shows that there are
  // exactly the five keys and their kinds.
  std::string Read() {
    const Value result = PointerStateFrom(appkit.Queries());
    std::string line;
    for (const auto& [key, value] : result.GetMap()) {
      if (!line.empty()) line += ' ';
      line += key + '=';
      switch (value.GetKind()) {
        case Value::Kind::Boolean:
          line += value.GetBoolean() ? "true" : "false";
          break;
        case Value::Kind::Number:
          char number[32];
          std::snprintf(number, sizeof number, "%g", value.GetNumber());
          line += number;
          break;
        case Value::Kind::String:
          line += '"' + value.GetString() + '"';
          break;
        default:
          line += '?';
      }
    }
    return line;
  }
};

const std::vector<std::string> kSampling = {
    "pool push",
    "mouseLocation",
    "screens",
    "firstObject",
    "frame",
    "windowNumberAtPoint: (100,300) below: 0",
    "windowWithWindowNumber: 7"};
const std::vector<std::string> kActivity = {
    "isActive",        "modalWindow",
    "mainWindow",      "isKindOfClass: NSPanel 7",
    "attachedSheet 7", "pressedMouseButtons"};
const std::vector<std::string> kHitTest = {
    "contentView 7", "convertPointFromScreen: (100,300) 7", "superview NSView",
    "convertPoint: (60,200) fromView: nil NSThemeFrame",
    "hitTest: (60,200) NSView"};
const std::vector<std::string> kWalkOverContent = {
    "class NSView",
    "isKindOfClass: NSControl NSView",
    "containsString: WebView NSView",
    "superview NSView",
    "class NSThemeFrame",
    "isKindOfClass: NSControl NSThemeFrame",
    "containsString: WebView NSThemeFrame",
    "superview NSThemeFrame",
    "UTF8String NSView",
    "pool pop"};

std::vector<std::string> Trace(size_t activity_queries) {
  std::vector<std::string> trace = kSampling;
  trace.insert(trace.end(), kActivity.begin(),
               kActivity.begin() + activity_queries);
  trace.insert(trace.end(), kHitTest.begin(), kHitTest.end());
  trace.insert(trace.end(), kWalkOverContent.begin(), kWalkOverContent.end());
  return trace;
}

TEST(MacProbe, PlainContentOfTheMainWindowIsActive) {
  Scene scene;
  EXPECT_EQ(scene.Read(),
            "active=true scale=1 viewClass=\"NSView\" x=100 "
            "y=500");
  EXPECT_THAT(scene.appkit.trace, ElementsAreArray(Trace(kActivity.size())));
}

// Each failing test ends the chain: the queries after it are not made, and
// the hit test and the walk still run, so "viewClass" still names the view.
TEST(MacProbe, ActivityTestsShortCircuitInOrder) {
  FakeWindow other{8, {0, 0}, nullptr};
  struct Case {
    const char* what;
    void (*spoil)(Scene&, FakeWindow& other);
    size_t queries;
  };
  const Case cases[] = {
      {"inactive application",
       [](Scene& s, FakeWindow&) { s.appkit.active = false; }, 1},
      {"modal window", [](Scene& s, FakeWindow&) { s.appkit.modal = true; }, 2},
      {"another main window",
       [](Scene& s, FakeWindow& o) { s.appkit.main = &o; }, 3},
      {"no main window", [](Scene& s, FakeWindow&) { s.appkit.main = nullptr; },
       3},
      {"panel", [](Scene& s, FakeWindow&) { s.window.panel = true; }, 4},
      {"sheet", [](Scene& s, FakeWindow&) { s.window.sheet = true; }, 5},
      {"primary button", [](Scene& s, FakeWindow&) { s.appkit.buttons = 1; },
       6},
      {"secondary button alone",
       [](Scene& s, FakeWindow&) { s.appkit.buttons = 2; }, 6},
      {"sixth button alone",
       [](Scene& s, FakeWindow&) { s.appkit.buttons = 1u << 5; }, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scene scene;
    scene.appkit.windows.push_back(&other);
    c.spoil(scene, other);
    EXPECT_EQ(scene.Read(),
              "active=false scale=1 viewClass=\"NSView\" x=100 "
              "y=500");
    EXPECT_THAT(scene.appkit.trace, ElementsAreArray(Trace(c.queries)));
  }
}

// Another application's window, or the desktop: no window of the host, so
// every window query goes to nil and nothing is hit.
TEST(MacProbe, NoHostWindowUnderThePointer) {
  for (int64_t number : {0, 99}) {
    Scene scene;
    scene.appkit.number_at_point = number;
    EXPECT_EQ(scene.Read(), "active=false scale=1 viewClass=\"\" x=100 y=500");
    EXPECT_THAT(
        scene.appkit.trace,
        ElementsAre("pool push", "mouseLocation", "screens", "firstObject",
                    "frame", "windowNumberAtPoint: (100,300) below: 0",
                    "windowWithWindowNumber: " + std::to_string(number),
                    "isActive", "modalWindow", "contentView nil",
                    "convertPointFromScreen: (100,300) nil", "superview nil",
                    "hitTest: (0,0) nil", "pool pop"));
  }
}

// The walk goes from the hit view to the top of the window's view tree
// whatever it finds; a veto is never undone; "viewClass" names the hit view.
TEST(MacProbe, ViewChainVeto) {
  struct Case {
    std::vector<FakeView> chain;  // innermost first, all inside the content
    bool active;
  };
  const Case cases[] = {
      {{{"NSButton", true}}, false},
      {{{"NSTextView"}, {"NSTextField", true}}, false},  // field editor
      {{{"NSScroller", true}, {"NSScrollView"}}, false},
      {{{"PlainChild"}, {"WKWebView"}}, false},
      {{{"MyWebViewHost"}}, false},
      {{{"NSButton", true}, {"PlainBox"}, {"HostWebView"}}, false},
      {{{"Webview"}, {"WEBVIEW"}}, true},
      {{{"PlainChild"}, {"PlainBox"}}, true},
  };
  for (const Case& c : cases) {
    Scene scene;
    std::vector<FakeView> chain = c.chain;
    for (size_t i = 0; i < chain.size(); ++i) {
      chain[i].superview =
          i + 1 < chain.size() ? &chain[i + 1] : &scene.content;
    }
    scene.appkit.hit = &chain.front();
    SCOPED_TRACE(chain.front().class_name);
    EXPECT_EQ(scene.Read(), std::string("active=") +
                                (c.active ? "true" : "false") +
                                " scale=1 viewClass=\"" +
                                chain.front().class_name + "\" x=100 y=500");
    int classes = 0;
    int web_view_tests = 0;
    for (const std::string& line : scene.appkit.trace) {
      classes += line.rfind("class ", 0) == 0;
      web_view_tests += line.rfind("containsString", 0) == 0;
    }
    int controls = 0;
    for (const FakeView& view : chain) controls += view.control;
    EXPECT_EQ(classes, static_cast<int>(chain.size()) + 2);
    EXPECT_EQ(web_view_tests, classes - controls);
    EXPECT_THAT(scene.appkit.trace,
                ::testing::Contains("superview NSThemeFrame"));
  }
}

// hitTest: takes its point in the content view's superview's coordinates.
// A content view that is flipped, or away from its superview's origin, is
// hit at the spot under the pointer: a button along its top edge, and the
// plain spot mirrored below it.
TEST(MacProbe, HitTestsInTheContentViewsSuperviewCoordinates) {
  struct Case {
    const char* what;
    bool flipped;
    double content_y;    // the content view's offset in its superview
    bool in_frame_view;  // false: the content view has no superview
  };
  const Case cases[] = {
      {"flipped", true, 0, true},
      {"raised above its superview's origin", false, 22, true},
      {"flipped, without a superview", true, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scene scene;
    scene.frame.frame = {0, 0, 560, 442 + c.content_y};
    scene.content.frame = {0, c.content_y, 560, 420};
    scene.content.flipped = c.flipped;
    if (!c.in_frame_view) scene.content.superview = nullptr;
    // 20 points tall along the content's top edge, in its own coordinates.
    FakeView button{"NSButton", true, &scene.content};
    button.frame = {20, c.flipped ? 0.0 : 400.0, 120, 20};
    scene.appkit.laid_out = {&button};
    // Window coordinates (the window's corner is at (40,100) on screen):
    // 10 points below the content's top edge, and the mirrored spot.
    const double top = c.content_y + 410;
    const double mirrored = c.content_y + 10;
    scene.appkit.pointer = {100, 100 + top};
    EXPECT_EQ(scene.Read(),
              "active=false scale=1 viewClass=\"NSButton\" x=100 y=" +
                  std::to_string(static_cast<int>(700 - top)));
    scene.appkit.pointer = {100, 100 + mirrored};
    EXPECT_EQ(scene.Read(),
              "active=true scale=1 viewClass=\"NSView\" x=100 y=" +
                  std::to_string(static_cast<int>(700 - mirrored)));
  }
}

TEST(MacProbe, TitleBarHitsNoViewAndCanBeActive) {
  Scene scene;
  scene.appkit.hit = nullptr;
  EXPECT_EQ(scene.Read(), "active=true scale=1 viewClass=\"\" x=100 y=500");
  EXPECT_EQ(scene.appkit.trace.size(),
            kSampling.size() + kActivity.size() + kHitTest.size() + 1);
}

TEST(MacProbe, YIsFlippedAgainstTheFirstScreen) {
  struct Case {
    std::vector<AppKitRect> screens;
    AppKitPoint pointer;
    const char* position;
  };
  const Case cases[] = {
      {{}, {100, 300}, "x=100 y=-300"},  // no screen at all
      {{{0, 0, 1280, 800}}, {-50, 900}, "x=-50 y=-100"},
      {{{0, 100, 1280, 700}, {0, 0, 9, 9}}, {10.25, 0.5}, "x=10.25 y=799.5"},
  };
  for (const Case& c : cases) {
    Scene scene;
    scene.appkit.screens = c.screens;
    scene.appkit.pointer = c.pointer;
    scene.appkit.number_at_point = 0;
    EXPECT_EQ(scene.Read(), std::string("active=false scale=1 "
                                        "viewClass=\"\" ") +
                                c.position);
  }
}

TEST(MacProbe, AppKitRaisingStillClosesThePoolScope) {
  Scene scene;
  scene.appkit.raise_in_hit_test = true;
  EXPECT_THROW(scene.Read(), std::runtime_error);
  EXPECT_EQ(scene.appkit.open_pools, 0);
  EXPECT_EQ(scene.appkit.trace.back(), "pool pop");
}

}  // namespace
}  // namespace zerlin::mac
