#include "tests/fakes/fake_appkit.h"

#include <cstdio>
#include <stdexcept>
#include <utility>

// Builds a query's log line only when the scene records, so that a scene
// that does not record costs the probe next to nothing (benchmarks).
#define ZERLIN_LOG(scene, line)            \
  do {                                     \
    if ((scene).record) (scene).Log(line); \
  } while (false)

namespace zerlin::mac {
namespace {

FakeAppKit* installed = nullptr;

FakeAppKit& Scene(void* context) { return *static_cast<FakeAppKit*>(context); }
const FakeView* View(AppKitObject view) {
  return static_cast<const FakeView*>(view);
}
const FakeWindow* Window(AppKitObject window) {
  return static_cast<const FakeWindow*>(window);
}
const std::string* Name(AppKitObject name) {
  return static_cast<const std::string*>(name);
}

std::string Point(AppKitPoint p) {
  char text[64];
  std::snprintf(text, sizeof text, "(%g,%g)", p.x, p.y);
  return text;
}
std::string Of(AppKitObject view) {
  return view != nullptr ? View(view)->class_name : "nil";
}
std::string OfWindow(AppKitObject window) {
  return window != nullptr ? std::to_string(Window(window)->number) : "nil";
}

// Stands for any non-nil object that the probe only compares with nil.
const int kSomething = 0;

// A point in the superview's coordinates (the window's when there is none)
// in the view's own. Flipping is relative to the superview; the window's
// coordinates are never flipped.
AppKitPoint FromSuperview(const FakeView& view, AppKitPoint point) {
  const bool super_flipped =
      view.superview != nullptr && view.superview->flipped;
  const double y = view.flipped != super_flipped
                       ? view.frame.y + view.frame.height - point.y
                       : point.y - view.frame.y;
  return AppKitPoint{point.x - view.frame.x, y};
}

AppKitPoint FromWindow(const FakeView& view, AppKitPoint point) {
  if (view.superview != nullptr) point = FromWindow(*view.superview, point);
  return FromSuperview(view, point);
}

const FakeView* HitByGeometry(const FakeAppKit& scene, const FakeView& view,
                              AppKitPoint point) {
  const AppKitPoint own = FromSuperview(view, point);
  if (own.x < 0 || own.y < 0 || own.x >= view.frame.width ||
      own.y >= view.frame.height) {
    return nullptr;
  }
  for (auto it = scene.laid_out.rbegin(); it != scene.laid_out.rend(); ++it) {
    if ((*it)->superview != &view) continue;
    if (const FakeView* hit = HitByGeometry(scene, **it, own)) return hit;
  }
  return &view;
}

AppKitQueries MakeQueries(FakeAppKit* scene) {
  AppKitQueries q;
  q.context = scene;
  q.mouse_location = [](void* c) {
    ZERLIN_LOG(Scene(c), "mouseLocation");
    return Scene(c).pointer;
  };
  q.screens = [](void* c) -> AppKitObject {
    ZERLIN_LOG(Scene(c), "screens");
    return &Scene(c).screens;
  };
  q.first_object = [](void* c, AppKitObject list) -> AppKitObject {
    ZERLIN_LOG(Scene(c), "firstObject");
    const auto* screens = static_cast<const std::vector<AppKitRect>*>(list);
    return screens != nullptr && !screens->empty() ? &screens->front()
                                                   : nullptr;
  };
  q.frame = [](void* c, AppKitObject screen) {
    ZERLIN_LOG(Scene(c), screen != nullptr ? "frame" : "frame nil");
    return screen != nullptr ? *static_cast<const AppKitRect*>(screen)
                             : AppKitRect{};
  };
  q.window_number_at_point = [](void* c, AppKitPoint p, int64_t below) {
    ZERLIN_LOG(Scene(c), "windowNumberAtPoint: " + Point(p) +
                             " below: " + std::to_string(below));
    return Scene(c).number_at_point;
  };
  q.window_with_window_number = [](void* c, int64_t n) -> AppKitObject {
    ZERLIN_LOG(Scene(c), "windowWithWindowNumber: " + std::to_string(n));
    for (FakeWindow* window : Scene(c).windows) {
      if (window->number == n && n != 0) return window;
    }
    return nullptr;
  };
  q.is_active = [](void* c) {
    ZERLIN_LOG(Scene(c), "isActive");
    return Scene(c).active;
  };
  q.modal_window = [](void* c) -> AppKitObject {
    ZERLIN_LOG(Scene(c), "modalWindow");
    return Scene(c).modal ? &kSomething : nullptr;
  };
  q.main_window = [](void* c) -> AppKitObject {
    ZERLIN_LOG(Scene(c), "mainWindow");
    return Scene(c).main;
  };
  q.is_panel = [](void* c, AppKitObject w) {
    ZERLIN_LOG(Scene(c), "isKindOfClass: NSPanel " + OfWindow(w));
    return w != nullptr && Window(w)->panel;
  };
  q.attached_sheet = [](void* c, AppKitObject w) -> AppKitObject {
    ZERLIN_LOG(Scene(c), "attachedSheet " + OfWindow(w));
    return w != nullptr && Window(w)->sheet ? &kSomething : nullptr;
  };
  q.pressed_mouse_buttons = [](void* c) {
    ZERLIN_LOG(Scene(c), "pressedMouseButtons");
    return Scene(c).buttons;
  };
  q.content_view = [](void* c, AppKitObject w) -> AppKitObject {
    ZERLIN_LOG(Scene(c), "contentView " + OfWindow(w));
    return w != nullptr ? Window(w)->content : nullptr;
  };
  q.convert_point_from_screen = [](void* c, AppKitObject w, AppKitPoint p) {
    ZERLIN_LOG(Scene(c),
               "convertPointFromScreen: " + Point(p) + " " + OfWindow(w));
    if (w == nullptr) return AppKitPoint{};
    return AppKitPoint{p.x - Window(w)->origin.x, p.y - Window(w)->origin.y};
  };
  q.convert_point_from_view = [](void* c, AppKitObject v, AppKitPoint p,
                                 AppKitObject from) {
    ZERLIN_LOG(Scene(c), "convertPoint: " + Point(p) +
                             " fromView: " + Of(from) + " " + Of(v));
    return v != nullptr ? FromWindow(*View(v), p) : AppKitPoint{};
  };
  q.hit_test = [](void* c, AppKitObject v, AppKitPoint p) -> AppKitObject {
    ZERLIN_LOG(Scene(c), "hitTest: " + Point(p) + " " + Of(v));
    if (Scene(c).raise_in_hit_test) throw std::runtime_error("raised");
    if (v == nullptr) return nullptr;
    if (Scene(c).laid_out.empty()) return Scene(c).hit;
    return HitByGeometry(Scene(c), *View(v), p);
  };
  q.class_name = [](void* c, AppKitObject v) -> AppKitObject {
    ZERLIN_LOG(Scene(c), "class " + Of(v));
    return v != nullptr ? &View(v)->class_name : nullptr;
  };
  q.is_control = [](void* c, AppKitObject v) {
    ZERLIN_LOG(Scene(c), "isKindOfClass: NSControl " + Of(v));
    return v != nullptr && View(v)->control;
  };
  q.contains_web_view = [](void* c, AppKitObject name) {
    ZERLIN_LOG(Scene(c),
               "containsString: WebView " + (name ? *Name(name) : "nil"));
    return name != nullptr && Name(name)->find("WebView") != std::string::npos;
  };
  q.superview = [](void* c, AppKitObject v) -> AppKitObject {
    ZERLIN_LOG(Scene(c), "superview " + Of(v));
    return v != nullptr ? View(v)->superview : nullptr;
  };
  q.utf8_string = [](void* c, AppKitObject name) -> const char* {
    ZERLIN_LOG(Scene(c), "UTF8String " + (name ? *Name(name) : "nil"));
    return name != nullptr ? Name(name)->c_str() : nullptr;
  };
  q.autorelease_pool_push = [](void* c) -> void* {
    ZERLIN_LOG(Scene(c), "pool push");
    ++Scene(c).open_pools;
    return &Scene(c).open_pools;
  };
  q.autorelease_pool_pop = [](void* c, void* token) {
    ZERLIN_LOG(Scene(c),
               token == &Scene(c).open_pools ? "pool pop" : "pool pop ?");
    --Scene(c).open_pools;
  };
  return q;
}

}  // namespace

FakeAppKit::FakeAppKit() : queries_(MakeQueries(this)) { installed = this; }

FakeAppKit::~FakeAppKit() {
  if (installed == this) installed = nullptr;
}

void FakeAppKit::Log(std::string line) {
  if (record) trace.push_back(std::move(line));
}

// The tests' platform: the scene constructed last.
const AppKitQueries& PlatformAppKitQueries() {
  if (installed == nullptr) throw std::logic_error("no scene");
  return installed->Queries();
}

}  // namespace zerlin::mac
