// The Windows operations that the pointer probe needs, as a table that a
// provider fills: the real one calls USER32 and KERNEL32, a test's fake
// answers from a script. The decision logic sees only this table.
#ifndef ZERLIN_POINTER_WIN_WINDOW_QUERIES_H_
#define ZERLIN_POINTER_WIN_WINDOW_QUERIES_H_

#include <cstdint>

namespace zerlin::win {

// A window handle, opaque to the logic; null means no window.
using WindowHandle = void*;

// A screen position in the layout of the platform's POINT.
struct CursorPoint {
  int32_t x;
  int32_t y;
};

// Arguments the logic passes, named as the platform names them.
inline constexpr uint32_t kGaRoot = 2;             // GA_ROOT
inline constexpr int32_t kGwlExStyle = -20;        // GWL_EXSTYLE
inline constexpr intptr_t kWsExToolWindow = 0x80;  // WS_EX_TOOLWINDOW
inline constexpr int32_t kVkLButton = 0x01;        // VK_LBUTTON
inline constexpr int32_t kVkRButton = 0x02;        // VK_RBUTTON
inline constexpr int32_t kVkMButton = 0x04;        // VK_MBUTTON
inline constexpr int kClassNameCapacity = 256;

// Each entry behaves as the platform function of the same name. Given a null
// window handle, every entry answers null, zero or failure and writes
// nothing. `context` is handed back to every entry unchanged.
struct WindowQueries {
  void* context;
  int32_t (*GetCursorPos)(void* context, CursorPoint* point);
  WindowHandle (*WindowFromPoint)(void* context, CursorPoint point);
  WindowHandle (*GetAncestor)(void* context, WindowHandle window,
                              uint32_t flags);
  uint32_t (*GetWindowThreadProcessId)(void* context, WindowHandle window,
                                       uint32_t* process_id);
  int32_t (*GetClassNameA)(void* context, WindowHandle window, char* buffer,
                           int32_t capacity);
  intptr_t (*GetWindowLongPtrA)(void* context, WindowHandle window,
                                int32_t index);
  WindowHandle (*GetForegroundWindow)(void* context);
  uint32_t (*GetCurrentProcessId)(void* context);
  int32_t (*IsWindowEnabled)(void* context, WindowHandle window);
  int16_t (*GetAsyncKeyState)(void* context, int32_t virtual_key);
  uint32_t (*GetDpiForWindow)(void* context, WindowHandle window);
};

// The table of the platform this build runs on. Defined by exactly one
// provider linked into the program: the real one in the deliverable, a
// scripted one in tests.
const WindowQueries& PlatformWindowQueries();

}  // namespace zerlin::win

#endif  // ZERLIN_POINTER_WIN_WINDOW_QUERIES_H_
