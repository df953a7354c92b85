#include "tests/fakes/scripted_windows.h"

#include <algorithm>
#include <cstring>
#include <utility>

// Builds an operation's trace line only when the scene records (or a test
// watches each operation), so that a scene that does not record costs the
// probe next to nothing (benchmarks).
#define ZERLIN_RECORD(scene, line)                              \
  do {                                                          \
    if ((scene).record || (scene).before) (scene).Record(line); \
  } while (false)

namespace zerlin::win {
namespace {

ScriptedWindows* current = nullptr;

// Answered when no scene exists: a test that forgot its scene stops at once.
const WindowQueries kNoScene{};

std::string KeyName(int32_t key) {
  switch (key) {
    case kVkLButton:
      return "VK_LBUTTON";
    case kVkRButton:
      return "VK_RBUTTON";
    case kVkMButton:
      return "VK_MBUTTON";
    default:
      return std::to_string(key);
  }
}

}  // namespace

const WindowQueries& PlatformWindowQueries() {
  return current != nullptr ? current->Table() : kNoScene;
}

ScriptedWindows::ScriptedWindows() : previous_(current) {
  Add({"frame", "HostFrame", ""});
  Add({"canvas", "HostCanvas", "frame"});
  table_.context = this;
  table_.GetCursorPos = [](void* c, CursorPoint* point) -> int32_t {
    ScriptedWindows& s = Of(c);
    ZERLIN_RECORD(s, "GetCursorPos");
    if (!s.cursor_ok) return 0;
    *point = s.cursor;
    return 1;
  };
  table_.WindowFromPoint = [](void* c, CursorPoint point) -> WindowHandle {
    ScriptedWindows& s = Of(c);
    ZERLIN_RECORD(s, "WindowFromPoint(" + std::to_string(point.x) + ", " +
                         std::to_string(point.y) + ")");
    return s.HandleOf(s.under_cursor);
  };
  table_.GetAncestor = [](void* c, WindowHandle window,
                          uint32_t flags) -> WindowHandle {
    ScriptedWindows& s = Of(c);
    ZERLIN_RECORD(
        s, "GetAncestor(" + s.LabelOf(window) + ", " +
               (flags == kGaRoot ? "GA_ROOT" : std::to_string(flags)) + ")");
    const ScriptedWindow* w = s.Find(window);
    if (w == nullptr || flags != kGaRoot) return nullptr;
    return w->root.empty() ? window : s.HandleOf(w->root);
  };
  table_.GetWindowThreadProcessId = [](void* c, WindowHandle window,
                                       uint32_t* process_id) -> uint32_t {
    ScriptedWindows& s = Of(c);
    ZERLIN_RECORD(s, "GetWindowThreadProcessId(" + s.LabelOf(window) + ")");
    const ScriptedWindow* w = s.Find(window);
    if (w == nullptr) return 0;
    *process_id = w->process_id;
    return 7;
  };
  table_.GetClassNameA = [](void* c, WindowHandle window, char* buffer,
                            int32_t capacity) -> int32_t {
    ScriptedWindows& s = Of(c);
    ZERLIN_RECORD(s, "GetClassNameA(" + s.LabelOf(window) + ", " +
                         std::to_string(capacity) + ")");
    const ScriptedWindow* w = s.Find(window);
    if (w == nullptr || capacity <= 0) return 0;
    if (s.unterminated_class_name != 0) {
      std::memset(buffer, s.unterminated_class_name, capacity);
      return capacity;
    }
    // Like the platform: truncates to fit and always ends with a zero.
    const size_t n = std::min(w->class_name.size(), size_t(capacity) - 1);
    std::memcpy(buffer, w->class_name.data(), n);
    buffer[n] = '\0';
    return static_cast<int32_t>(n);
  };
  table_.GetWindowLongPtrA = [](void* c, WindowHandle window,
                                int32_t index) -> intptr_t {
    ScriptedWindows& s = Of(c);
    ZERLIN_RECORD(
        s, "GetWindowLongPtrA(" + s.LabelOf(window) + ", " +
               (index == kGwlExStyle ? "GWL_EXSTYLE" : std::to_string(index)) +
               ")");
    const ScriptedWindow* w = s.Find(window);
    return w != nullptr && index == kGwlExStyle ? w->ex_style : 0;
  };
  table_.GetForegroundWindow = [](void* c) -> WindowHandle {
    ScriptedWindows& s = Of(c);
    ZERLIN_RECORD(s, "GetForegroundWindow");
    return s.HandleOf(s.foreground);
  };
  table_.GetCurrentProcessId = [](void* c) -> uint32_t {
    ScriptedWindows& s = Of(c);
    ZERLIN_RECORD(s, "GetCurrentProcessId");
    return s.current_process_id;
  };
  table_.IsWindowEnabled = [](void* c, WindowHandle window) -> int32_t {
    ScriptedWindows& s = Of(c);
    ZERLIN_RECORD(s, "IsWindowEnabled(" + s.LabelOf(window) + ")");
    const ScriptedWindow* w = s.Find(window);
    return w != nullptr && w->enabled ? 1 : 0;
  };
  table_.GetAsyncKeyState = [](void* c, int32_t key) -> int16_t {
    ScriptedWindows& s = Of(c);
    ZERLIN_RECORD(s, "GetAsyncKeyState(" + KeyName(key) + ")");
    return s.key_state(key);
  };
  table_.GetDpiForWindow = [](void* c, WindowHandle window) -> uint32_t {
    ScriptedWindows& s = Of(c);
    ZERLIN_RECORD(s, "GetDpiForWindow(" + s.LabelOf(window) + ")");
    const ScriptedWindow* w = s.Find(window);
    return w != nullptr ? w->dpi : 0;
  };
  current = this;
}

ScriptedWindows::~ScriptedWindows() { current = previous_; }

ScriptedWindow& ScriptedWindows::Window(const std::string& label) {
  for (ScriptedWindow& w : windows_) {
    if (w.label == label) return w;
  }
  return Add({label, "", ""});
}

ScriptedWindow& ScriptedWindows::Add(ScriptedWindow window) {
  for (ScriptedWindow& w : windows_) {
    if (w.label == window.label) return w = std::move(window);
  }
  return windows_.emplace_back(std::move(window));
}

ScriptedWindows& ScriptedWindows::Of(void* context) {
  return *static_cast<ScriptedWindows*>(context);
}

void ScriptedWindows::Record(std::string operation) {
  if (before) before(operation);
  if (record) trace_.push_back(std::move(operation));
}

ScriptedWindow* ScriptedWindows::Find(WindowHandle handle) {
  for (ScriptedWindow& w : windows_) {
    if (&w == handle) return &w;
  }
  return nullptr;
}

WindowHandle ScriptedWindows::HandleOf(const std::string& label) {
  for (ScriptedWindow& w : windows_) {
    if (w.label == label) return &w;
  }
  return nullptr;
}

std::string ScriptedWindows::LabelOf(WindowHandle handle) {
  const ScriptedWindow* w = Find(handle);
  return w != nullptr ? w->label : handle == nullptr ? "null" : "unknown";
}

}  // namespace zerlin::win
