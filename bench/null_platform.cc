// A platform that costs nothing: every window and AppKit query answers a
// constant at once, as for a pointer resting on the host's own surface with
// every test passing (the longest path of each probe). Over it a benchmark
// times the addon's own work: probe logic, Value, conversion and Task.
#include <cstring>

#include "pointer/mac/appkit_queries.h"
#include "pointer/win/window_queries.h"

namespace zerlin {
namespace {

// Distinct addresses standing for the platform's objects.
char hit_window, root_window;
char content_view, view_class_name;
char screen_list, first_screen, main_window, pool_token;
constexpr uint32_t kHostProcess = 4242;

win::WindowQueries MakeWindowQueries() {
  win::WindowQueries q{};
  q.GetCursorPos = [](void*, win::CursorPoint* point) -> int32_t {
    *point = {640, 480};
    return 1;
  };
  q.WindowFromPoint = [](void*, win::CursorPoint) -> win::WindowHandle {
    return &hit_window;
  };
  q.GetAncestor = [](void*, win::WindowHandle, uint32_t) -> win::WindowHandle {
    return &root_window;
  };
  q.GetWindowThreadProcessId = [](void*, win::WindowHandle,
                                  uint32_t* process_id) -> uint32_t {
    *process_id = kHostProcess;
    return 1;
  };
  q.GetClassNameA = [](void*, win::WindowHandle, char* buffer,
                       int32_t) -> int32_t {
    std::memcpy(buffer, "HostCanvas", 11);
    return 10;
  };
  q.GetWindowLongPtrA = [](void*, win::WindowHandle, int32_t) -> intptr_t {
    return 0;
  };
  q.GetForegroundWindow = [](void*) -> win::WindowHandle {
    return &root_window;
  };
  q.GetCurrentProcessId = [](void*) { return kHostProcess; };
  q.IsWindowEnabled = [](void*, win::WindowHandle) -> int32_t { return 1; };
  q.GetAsyncKeyState = [](void*, int32_t) -> int16_t { return 0; };
  q.GetDpiForWindow = [](void*, win::WindowHandle) -> uint32_t { return 120; };
  return q;
}

mac::AppKitQueries MakeAppKitQueries() {
  mac::AppKitQueries q;
  q.mouse_location = [](void*) { return mac::AppKitPoint{100, 300}; };
  q.screens = [](void*) -> mac::AppKitObject { return &screen_list; };
  q.first_object = [](void*, mac::AppKitObject) -> mac::AppKitObject {
    return &first_screen;
  };
  q.frame = [](void*, mac::AppKitObject) {
    return mac::AppKitRect{0, 0, 1280, 800};
  };
  q.window_number_at_point = [](void*, mac::AppKitPoint, int64_t) -> int64_t {
    return 7;
  };
  q.window_with_window_number = [](void*, int64_t) -> mac::AppKitObject {
    return &main_window;
  };
  q.is_active = [](void*) { return true; };
  q.modal_window = [](void*) -> mac::AppKitObject { return nullptr; };
  q.main_window = [](void*) -> mac::AppKitObject { return &main_window; };
  q.is_panel = [](void*, mac::AppKitObject) { return false; };
  q.attached_sheet = [](void*, mac::AppKitObject) -> mac::AppKitObject {
    return nullptr;
  };
  q.pressed_mouse_buttons = [](void*) -> uint64_t { return 0; };
  q.content_view = [](void*, mac::AppKitObject) -> mac::AppKitObject {
    return &content_view;
  };
  q.convert_point_from_screen = [](void*, mac::AppKitObject,
                                   mac::AppKitPoint p) {
    return mac::AppKitPoint{p.x - 40, p.y - 100};
  };
  q.convert_point_from_view = [](void*, mac::AppKitObject, mac::AppKitPoint p,
                                 mac::AppKitObject) { return p; };
  q.hit_test = [](void*, mac::AppKitObject,
                  mac::AppKitPoint) -> mac::AppKitObject {
    return &content_view;
  };
  q.class_name = [](void*, mac::AppKitObject) -> mac::AppKitObject {
    return &view_class_name;
  };
  q.is_control = [](void*, mac::AppKitObject) { return false; };
  q.contains_web_view = [](void*, mac::AppKitObject) { return false; };
  q.superview = [](void*, mac::AppKitObject) -> mac::AppKitObject {
    return nullptr;
  };
  q.utf8_string = [](void*, mac::AppKitObject) -> const char* {
    return "NSView";
  };
  q.autorelease_pool_push = [](void*) -> void* { return &pool_token; };
  q.autorelease_pool_pop = [](void*, void*) {};
  return q;
}

const win::WindowQueries kWindowQueries = MakeWindowQueries();
const mac::AppKitQueries kAppKitQueries = MakeAppKitQueries();

}  // namespace

namespace win {
const WindowQueries& PlatformWindowQueries() { return kWindowQueries; }
}  // namespace win

namespace mac {
const AppKitQueries& PlatformAppKitQueries() { return kAppKitQueries; }
}  // namespace mac

}  // namespace zerlin
