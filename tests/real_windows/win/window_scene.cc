#include "tests/real_windows/win/window_scene.h"

namespace zerlin::win_host {
namespace {

// Windows of the host's own process paint their class name, centred, so a
// screenshot says what each region is; the frame writes it at the bottom.
LRESULT CALLBACK LabelledProc(HWND hwnd, UINT message, WPARAM wparam,
                              LPARAM lparam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    RECT box{};
    GetClientRect(hwnd, &box);
    const bool top_level = (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) == 0;
    if (top_level) box.bottom -= 8;
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, name, -1, &box,
              DT_CENTER | DT_SINGLELINE | (top_level ? DT_BOTTOM : DT_VCENTER));
    EndPaint(hwnd, &paint);
    return 0;
  }
  if (message == WM_CLOSE) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

RECT Box(int x, int y, int width, int height) {
  return RECT{x, y, x + width, y + height};
}

}  // namespace

void RegisterLabelledClass(const wchar_t* class_name, HINSTANCE instance,
                           COLORREF colour) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &LabelledProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = CreateSolidBrush(colour);
  wc.lpszClassName = class_name;
  RegisterClassExW(&wc);
}

WindowScene::WindowScene(const Options& options) {
  HINSTANCE self = GetModuleHandleW(nullptr);
  // Look-alike names go under another instance handle: within one module
  // class names are matched without regard to letter case, so "EDIT" there
  // would be the system's edit control.
  HINSTANCE other = GetModuleHandleW(L"kernel32.dll");
  RegisterLabelledClass(L"ZerlinHostFrame", self, RGB(250, 250, 250));
  RegisterLabelledClass(L"ZerlinWebViewHost", self, RGB(200, 220, 250));
  RegisterLabelledClass(L"ZerlinWebContent", self, RGB(230, 240, 255));
  RegisterLabelledClass(L"ZerlinDocument", self, RGB(250, 250, 235));
  RegisterLabelledClass(L"ZerlinPalette", self, RGB(235, 235, 235));
  RegisterLabelledClass(L"ZerlinBlocked", self, RGB(220, 220, 220));
  if (options.near_misses) {
    RegisterLabelledClass(L"EDIT", other, RGB(240, 230, 250));
    RegisterLabelledClass(L"Editor", other, RGB(240, 230, 250));
    RegisterLabelledClass(L"button", other, RGB(240, 230, 250));
  }

  frame_ = Add("frame", 0, L"ZerlinHostFrame", L"Zerlin host",
               WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, Box(20, 20, 700, 480),
               nullptr, self, false);
  const DWORD control = WS_CHILD | WS_VISIBLE;
  Add("Edit", WS_EX_CLIENTEDGE, L"Edit", L"Layer 1", control | ES_AUTOHSCROLL,
      Box(16, 16, 200, 26), frame_, self, true);
  Add("Button", 0, L"Button", L"Apply", control | BS_PUSHBUTTON,
      Box(232, 14, 96, 30), frame_, self, true);
  HWND combo = Add("ComboBox", 0, L"ComboBox", L"", control | CBS_DROPDOWNLIST,
                   Box(344, 16, 160, 200), frame_, self, true);
  SendMessageW(combo, CB_ADDSTRING, 0,
               reinterpret_cast<LPARAM>(L"Normal blending"));
  SendMessageW(combo, CB_SETCURSEL, 0, 0);
  Add("check box", 0, L"Button", L"Snap to grid", control | BS_AUTOCHECKBOX,
      Box(16, 60, 140, 24), frame_, self, true);
  // SS_NOTIFY: without it a label is transparent to the hit test, and the
  // pointer would be over the frame instead.
  Add("Static", 0, L"Static", L"A label (Static)", control | SS_NOTIFY,
      Box(172, 64, 160, 20), frame_, self, true);
  HWND web =
      Add("web view", 0, L"ZerlinWebViewHost", L"", control | WS_CLIPCHILDREN,
          Box(360, 64, 300, 200), frame_, self, true);
  Add("web content", 0, L"ZerlinWebContent", L"", control,
      Box(16, 48, 268, 136), web, self, true);
  if (options.near_misses) {
    Add("EDIT", 0, L"EDIT", L"", control, Box(16, 300, 100, 40), frame_, other,
        true);
    Add("Editor", 0, L"Editor", L"", control, Box(132, 300, 100, 40), frame_,
        other, true);
    Add("button", 0, L"button", L"", control, Box(248, 300, 100, 40), frame_,
        other, true);
  }
  ShowWindow(frame_, SW_SHOWNORMAL);

  // Everything fits on the smallest screen in use, 1024 by 768, and leaves
  // the right edge free.
  if (options.extra_windows) {
    const DWORD top = WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE;
    Add("document", 0, L"ZerlinDocument", L"Second document", top,
        Box(740, 20, 260, 180), nullptr, self, false);
    Add("palette", WS_EX_TOOLWINDOW, L"ZerlinPalette", L"Palette", top,
        Box(740, 230, 220, 150), nullptr, self, false);
    HWND blocked = Add("disabled", 0, L"ZerlinBlocked", L"Disabled", top,
                       Box(740, 410, 220, 120), nullptr, self, false);
    EnableWindow(blocked, FALSE);
  }
  BringToFront(frame_);
  Pump();
}

WindowScene::~WindowScene() {
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    if (!it->child) DestroyWindow(it->hwnd);
  }
  Pump();
}

HWND WindowScene::Add(const std::string& name, DWORD ex_style,
                      const wchar_t* class_name, const wchar_t* text,
                      DWORD style, RECT box, HWND parent, HINSTANCE instance,
                      bool child) {
  HWND hwnd =
      CreateWindowExW(ex_style, class_name, text, style, box.left, box.top,
                      box.right - box.left, box.bottom - box.top, parent,
                      nullptr, instance, nullptr);
  windows_.push_back({name, hwnd, child});
  return hwnd;
}

HWND WindowScene::Find(const std::string& name) const {
  for (const SceneWindow& w : windows_) {
    if (w.name == name) return w.hwnd;
  }
  return nullptr;
}

POINT WindowScene::Centre(HWND hwnd) {
  RECT box{};
  GetWindowRect(hwnd, &box);
  return POINT{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
}

POINT WindowScene::Inside(HWND hwnd, int dx, int dy) {
  RECT box{};
  GetWindowRect(hwnd, &box);
  return POINT{box.left + dx, box.top + dy};
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Under Wine the X server may still deliver motion from an earlier position
// after SetCursorPos returns, moving the cursor back. A settled move sets it
// until it reads back where it was put twice, 5 ms apart.
void MoveCursor(POINT point, bool settle) {
  SetCursorPos(point.x, point.y);
  Pump();
  int steady = 0;
  for (int attempt = 0; settle && attempt < 200 && steady < 2; ++attempt) {
    Sleep(5);
    Pump();
    POINT now = {};
    if (GetCursorPos(&now) && now.x == point.x && now.y == point.y) {
      ++steady;
    } else {
      steady = 0;
      SetCursorPos(point.x, point.y);
    }
  }
}

void SendMouse(DWORD flags) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof input);
  Pump();
}

bool WaitUntil(const std::function<bool()>& holds, DWORD limit_ms) {
  const ULONGLONG end = GetTickCount64() + limit_ms;
  for (;;) {
    Pump();
    if (holds()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(10);
  }
}

bool AnyButtonHeld() {
  for (const int key : {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON}) {
    if ((static_cast<USHORT>(GetAsyncKeyState(key)) & 0x8000u) != 0) {
      return true;
    }
  }
  return false;
}

// Windows hands the foreground only to the process that is in front or had
// the last input event (Wine to anyone). Failing a plain request, an empty
// mouse input makes this process the one with the last input, and for the
// moment of the request it shares the input state of the thread in front.
bool BringToFront(HWND hwnd) {
  if (hwnd == nullptr) return false;
  if (GetForegroundWindow() != hwnd && !SetForegroundWindow(hwnd)) {
    INPUT nothing = {};
    nothing.type = INPUT_MOUSE;
    SendInput(1, &nothing, sizeof nothing);
    const DWORD self = GetCurrentThreadId();
    const DWORD front =
        GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    const bool joined =
        front != 0 && front != self && AttachThreadInput(self, front, TRUE);
    BringWindowToTop(hwnd);
    SetForegroundWindow(hwnd);
    if (joined) AttachThreadInput(self, front, FALSE);
  }
  return WaitUntil([hwnd] { return GetForegroundWindow() == hwnd; });
}

POINT FreeScreenSpot() {
  return POINT{GetSystemMetrics(SM_CXSCREEN) - 8,
               GetSystemMetrics(SM_CYSCREEN) / 2};
}

void DeclarePerMonitorDpiAwareness() {
  using SetContextFn = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
  const auto set =
      reinterpret_cast<SetContextFn>(reinterpret_cast<void*>(GetProcAddress(
          GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
  if (set != nullptr) set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}

double WindowScale(HWND hwnd) {
  using GetDpiFn = UINT(WINAPI*)(HWND);
  const auto get_dpi = reinterpret_cast<GetDpiFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  const UINT dpi = get_dpi != nullptr ? get_dpi(hwnd) : 0;
  return dpi == 0 ? 1.0 : dpi / 96.0;
}

bool RunningUnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") !=
         nullptr;
}

}  // namespace zerlin::win_host
