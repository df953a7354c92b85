// The real provider: each entry calls the USER32 or KERNEL32 function of the
// same name and does nothing else.
#include <windows.h>

#include <cstddef>

#include "pointer/win/window_queries.h"

namespace zerlin::win {
namespace {

static_assert(sizeof(POINT) == sizeof(CursorPoint) &&
                  offsetof(POINT, x) == offsetof(CursorPoint, x) &&
                  offsetof(POINT, y) == offsetof(CursorPoint, y),
              "CursorPoint has the layout of POINT");
static_assert(GA_ROOT == kGaRoot && GWL_EXSTYLE == kGwlExStyle &&
                  WS_EX_TOOLWINDOW == kWsExToolWindow &&
                  VK_LBUTTON == kVkLButton && VK_RBUTTON == kVkRButton &&
                  VK_MBUTTON == kVkMButton,
              "the logic passes the platform's own constants");

HWND Hwnd(WindowHandle window) { return static_cast<HWND>(window); }

// GetDpiForWindow exists from Windows 10 (1607) on. It is looked up once
// rather than imported, so that the library still loads where it is missing;
// there the probe reads "no value" (0), which it takes as scale 1.0.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
GetDpiForWindowFn LookUpGetDpiForWindow() {
  HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) return nullptr;
  return reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(::GetProcAddress(user32, "GetDpiForWindow")));
}

const WindowQueries kQueries = {
    nullptr,
    [](void*, CursorPoint* point) -> int32_t {
      return ::GetCursorPos(reinterpret_cast<POINT*>(point));
    },
    [](void*, CursorPoint point) -> WindowHandle {
      return ::WindowFromPoint(POINT{point.x, point.y});
    },
    [](void*, WindowHandle window, uint32_t flags) -> WindowHandle {
      return ::GetAncestor(Hwnd(window), flags);
    },
    [](void*, WindowHandle window, uint32_t* process_id) -> uint32_t {
      DWORD pid = *process_id;
      const DWORD thread = ::GetWindowThreadProcessId(Hwnd(window), &pid);
      *process_id = pid;
      return thread;
    },
    [](void*, WindowHandle window, char* buffer, int32_t capacity) -> int32_t {
      return ::GetClassNameA(Hwnd(window), buffer, capacity);
    },
    [](void*, WindowHandle window, int32_t index) -> intptr_t {
      return ::GetWindowLongPtrA(Hwnd(window), index);
    },
    [](void*) -> WindowHandle { return ::GetForegroundWindow(); },
    [](void*) -> uint32_t { return ::GetCurrentProcessId(); },
    [](void*, WindowHandle window) -> int32_t {
      return ::IsWindowEnabled(Hwnd(window));
    },
    [](void*, int32_t virtual_key) -> int16_t {
      return ::GetAsyncKeyState(virtual_key);
    },
    [](void*, WindowHandle window) -> uint32_t {
      static const GetDpiForWindowFn get_dpi = LookUpGetDpiForWindow();
      return get_dpi != nullptr ? get_dpi(Hwnd(window)) : 0;
    },
};

}  // namespace

const WindowQueries& PlatformWindowQueries() { return kQueries; }

}  // namespace zerlin::win
