// A scripted AppKit for the macOS probe: a scene of windows and views that
// answers the probe's queries, applies the nil rule, and records every query
// made, in order. Constructing one makes it the platform for the test.
#ifndef ZERLIN_TESTS_FAKES_FAKE_APPKIT_H_
#define ZERLIN_TESTS_FAKES_FAKE_APPKIT_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "pointer/mac/appkit_queries.h"

namespace zerlin::mac {

struct FakeView {
  FakeView(std::string name, bool is_control = false,
           FakeView* parent = nullptr)
      : class_name(std::move(name)), control(is_control), superview(parent) {}

  std::string class_name;
  bool control = false;
  FakeView* superview = nullptr;
  // In the superview's coordinates (the window's when there is none).
  AppKitRect frame;
  bool flipped = false;  // y grows downward from the view's top edge
};

struct FakeWindow {
  int64_t number = 0;
  AppKitPoint origin;  // the window's bottom-left corner on screen
  FakeView* content = nullptr;
  bool panel = false;
  bool sheet = false;  // a sheet is attached
};

class FakeAppKit {
 public:
  FakeAppKit();
  ~FakeAppKit();
  FakeAppKit(const FakeAppKit&) = delete;
  FakeAppKit& operator=(const FakeAppKit&) = delete;

  // The scene; tests change it freely between probe calls.
  AppKitPoint pointer{100, 300};
  std::vector<AppKitRect> screens{{0, 0, 1280, 800}};
  int64_t number_at_point = 0;       // what windowNumberAtPoint: answers
  std::vector<FakeWindow*> windows;  // the host's own windows
  bool active = true;
  bool modal = false;
  FakeWindow* main = nullptr;
  uint64_t buttons = 0;
  // What hitTest: answers for a content view, unless views are laid out.
  FakeView* hit = nullptr;
  // Views laid out by frame, back to front. When there are any, hitTest:
  // answers by geometry as AppKit does: the point in the receiver's
  // superview's coordinates, the frontmost deepest view containing it.
  std::vector<FakeView*> laid_out;
  bool raise_in_hit_test = false;  // AppKit raising inside a query
  bool record = true;

  std::vector<std::string> trace;
  int open_pools = 0;

  const AppKitQueries& Queries() const { return queries_; }
  void Log(std::string line);

 private:
  AppKitQueries queries_;
};

// The pointer over the host's main window (number 7), whose plain content
// view lies under it, with every activity test passing.
struct MainWindowScene {
  FakeAppKit appkit;
  FakeView content{"NSView"};
  FakeWindow window{7, {40, 100}, &content};
  MainWindowScene() {
    appkit.windows = {&window};
    appkit.main = &window;
    appkit.number_at_point = 7;
    appkit.hit = &content;
  }
};

}  // namespace zerlin::mac

#endif  // ZERLIN_TESTS_FAKES_FAKE_APPKIT_H_
