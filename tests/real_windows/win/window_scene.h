// Real windows for the Windows host programs: the host's own top-level
// window with typical controls, its other top-level windows, and helpers
// that move the real cursor and hold real buttons.
#ifndef ZERLIN_TESTS_REAL_WINDOWS_WIN_WINDOW_SCENE_H_
#define ZERLIN_TESTS_REAL_WINDOWS_WIN_WINDOW_SCENE_H_

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace zerlin::win_host {

// One window of the scene and where to aim at it.
struct SceneWindow {
  std::string name;  // what reports call it
  HWND hwnd = nullptr;
  // True for the host's own controls and panels, whose class decides.
  bool child = false;
};

class WindowScene {
 public:
  struct Options {
    bool near_misses = true;    // children with look-alike class names
    bool extra_windows = true;  // second document, palette, disabled window
  };
  explicit WindowScene(const Options& options);
  ~WindowScene();
  WindowScene(const WindowScene&) = delete;
  WindowScene& operator=(const WindowScene&) = delete;

  HWND Frame() const { return frame_; }
  HWND Find(const std::string& name) const;
  const std::vector<SceneWindow>& Windows() const { return windows_; }

  // The screen point at the centre of a window, or at an offset into it.
  static POINT Centre(HWND hwnd);
  static POINT Inside(HWND hwnd, int dx, int dy);

 private:
  HWND Add(const std::string& name, DWORD ex_style, const wchar_t* class_name,
           const wchar_t* text, DWORD style, RECT box, HWND parent,
           HINSTANCE instance, bool child);

  HWND frame_ = nullptr;
  std::vector<SceneWindow> windows_;
};

// Runs every pending message of this thread.
void Pump();
// Moves the real cursor; with `settle`, until it reads back there steadily.
void MoveCursor(POINT point, bool settle = true);
// Presses or releases a real mouse button: MOUSEEVENTF_LEFTDOWN and so on.
void SendMouse(DWORD flags);
// Pumps messages until `holds` answers true or `limit_ms` has passed;
// answers whether it held.
bool WaitUntil(const std::function<bool()>& holds, DWORD limit_ms = 5000);
// Whether the left, right or middle button is down now.
bool AnyButtonHeld();
// Makes `hwnd` the foreground window, in a way that Windows allows a
// process that is not in front, and waits (bounded) until it is; true when
// it is.
bool BringToFront(HWND hwnd);
// A point at the right edge of the screen that no window of the scene
// covers, whatever the screen's size.
POINT FreeScreenSpot();

// Makes this process per-monitor DPI aware (v2), as plug-in hosts are, so
// that the system reports each window's own DPI. Where the call does not
// exist (before Windows 10 1703) nothing changes.
void DeclarePerMonitorDpiAwareness();
// The DPI of `hwnd` / 96 as the system reports it; 1.0 without a value.
double WindowScale(HWND hwnd);
bool RunningUnderWine();

// Registers a plain window class whose windows paint their own class name
// on `colour`, so that a screenshot shows what each region is.
void RegisterLabelledClass(const wchar_t* class_name, HINSTANCE instance,
                           COLORREF colour);

}  // namespace zerlin::win_host

#endif  // ZERLIN_TESTS_REAL_WINDOWS_WIN_WINDOW_SCENE_H_
