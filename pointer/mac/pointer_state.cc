#include "pointer/mac/pointer_state.h"

#include <string>

namespace zerlin::mac {
namespace {

// One autorelease pool scope, closed on every way out: a query that raises
// must not leave a pool open on the host's main thread.
class PoolScope {
 public:
  explicit PoolScope(const AppKitQueries& appkit)
      : appkit_(appkit), token_(appkit.autorelease_pool_push(appkit.context)) {}
  ~PoolScope() { appkit_.autorelease_pool_pop(appkit_.context, token_); }
  PoolScope(const PoolScope&) = delete;
  PoolScope& operator=(const PoolScope&) = delete;

 private:
  const AppKitQueries& appkit_;
  void* token_;
};

// The activity tests in order; each query is made only when every test
// before it passed.
bool ActivityTests(const AppKitQueries& q, AppKitObject window) {
  void* c = q.context;
  if (!q.is_active(c)) return false;
  if (q.modal_window(c) != nullptr) return false;
  if (window == nullptr) return false;
  if (q.main_window(c) != window) return false;  // identity, not content
  if (q.is_panel(c, window)) return false;
  if (q.attached_sheet(c, window) != nullptr) return false;
  return q.pressed_mouse_buttons(c) == 0;
}

}  // namespace

Value PointerStateFrom(const AppKitQueries& q) {
  void* c = q.context;
  Value result(Value::Kind::Map);
  Value::Map& map = result.GetMap();
  PoolScope pool(q);

  const AppKitPoint pointer = q.mouse_location(c);
  // With no screen the frame is all zeros.
  const AppKitRect screen = q.frame(c, q.first_object(c, q.screens(c)));
  const double top = screen.y + screen.height;

  // The pointer goes in as AppKit gave it: global coordinates, y up.
  const int64_t number = q.window_number_at_point(c, pointer, 0);
  const AppKitObject window = q.window_with_window_number(c, number);

  bool active = ActivityTests(q, window);

  // The hit test runs whatever the activity tests gave, so that "viewClass"
  // names the view under the pointer even when it is not active. hitTest:
  // takes its point in the coordinates of the receiver's superview (the
  // window's when it has none): those differ from the content view's own as
  // soon as it is flipped or away from its superview's origin.
  const AppKitObject content = q.content_view(c, window);
  const AppKitPoint in_window = q.convert_point_from_screen(c, window, pointer);
  const AppKitObject frame_view = q.superview(c, content);
  const AppKitPoint in_frame_view =
      frame_view != nullptr
          ? q.convert_point_from_view(c, frame_view, in_window, nullptr)
          : in_window;
  const AppKitObject hit = q.hit_test(c, content, in_frame_view);

  // A control or a web view anywhere from the hit view up vetoes. The walk
  // runs to the top and never sets the flag back.
  AppKitObject hit_name = nullptr;
  for (AppKitObject view = hit; view != nullptr; view = q.superview(c, view)) {
    const AppKitObject name = q.class_name(c, view);
    if (view == hit) hit_name = name;
    if (q.is_control(c, view)) {
      active = false;
    } else if (q.contains_web_view(c, name)) {
      active = false;
    }
  }

  map.emplace("x", pointer.x);
  map.emplace("y", top - pointer.y);
  map.emplace("scale", 1.0);
  map.emplace("active", active);
  // Copied before the pool scope ends the string it points into.
  const char* text = hit != nullptr ? q.utf8_string(c, hit_name) : nullptr;
  map.emplace("viewClass", std::string(text != nullptr ? text : ""));
  return result;
}

Value pointerState() { return PointerStateFrom(PlatformAppKitQueries()); }

}  // namespace zerlin::mac
