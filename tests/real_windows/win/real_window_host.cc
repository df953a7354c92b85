// A Windows host process for the addon: loads zerlin-probe.uxpaddon by file,
// hands it the shared test host's table, shows real windows, moves the real
// cursor and checks each answer of getPointer. Per-monitor DPI aware, as
// plug-in hosts are. Built for Windows; run under Wine in the tests and in
// the main job.
//
// real_window_host ADDON MODE, where MODE is one of:
//   check            every case below; exits 0 when all hold, 77 when the
//                    session refused some on Windows itself and the rest
//                    held, 1 otherwise
//   demo DIR         a sample host window: live readings, each beside the
//                    verdict it should give and why, one at 144 dpi (under
//                    Wine), then a grid of samples written to DIR
//   dpi-child DPI [demo]   (internal) one reading in a new process
//   other-window X Y W H [topmost]   (internal) another process's window
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/real_windows/skip_line.h"
#include "tests/real_windows/win/loaded_addon.h"
#include "tests/real_windows/win/window_scene.h"

namespace zerlin::win_host {
namespace {

constexpr wchar_t kOtherClass[] = L"ZerlinOtherApp";
constexpr wchar_t kOtherReady[] = L"ZerlinOtherWindowReady";
// Asks the other process's window to take the foreground itself.
constexpr UINT kComeToFront = WM_APP + 1;

std::wstring Widen(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

POINT ClientPoint(HWND hwnd, int x, int y) {
  POINT point{x, y};
  ClientToScreen(hwnd, &point);
  return point;
}

// Starts this program again with `arguments`; the child shares our console.
HANDLE StartSelf(const std::string& arguments) {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(exe) + L"\" " + Widen(arguments);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(exe, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                      nullptr, &startup, &process)) {
    return nullptr;
  }
  CloseHandle(process.hThread);
  return process.hProcess;
}

// A top-level window owned by another process, for as long as this lives.
class OtherProcessWindow {
 public:
  OtherProcessWindow(const std::string& addon, RECT box, bool topmost) {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, kOtherReady);
    process_ = StartSelf(
        "\"" + addon + "\" other-window " + std::to_string(box.left) + " " +
        std::to_string(box.top) + " " + std::to_string(box.right - box.left) +
        " " + std::to_string(box.bottom - box.top) +
        (topmost ? " topmost" : ""));
    if (process_ != nullptr &&
        WaitForSingleObject(ready, 15000) == WAIT_OBJECT_0) {
      hwnd_ = FindWindowW(kOtherClass, nullptr);
    }
    CloseHandle(ready);
  }
  ~OtherProcessWindow() {
    if (hwnd_ != nullptr) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    if (process_ == nullptr) return;
    if (WaitForSingleObject(process_, 5000) != WAIT_OBJECT_0) {
      TerminateProcess(process_, 1);
    }
    CloseHandle(process_);
  }
  OtherProcessWindow(const OtherProcessWindow&) = delete;
  OtherProcessWindow& operator=(const OtherProcessWindow&) = delete;
  HWND hwnd() const { return hwnd_; }
  HWND ToFront() const {
    // Only asks when needed: a request left in the other process's queue
    // would take the foreground back later, in the middle of another case.
    // Windows lets that process take the foreground only when the process
    // in front, this one, allows it.
    if (GetForegroundWindow() != hwnd_) {
      AllowSetForegroundWindow(GetProcessId(process_));
      PostMessageW(hwnd_, kComeToFront, 0, 0);
    }
    WaitUntil([this] { return GetForegroundWindow() == hwnd_; });
    return hwnd_;
  }

 private:
  HANDLE process_ = nullptr;
  HWND hwnd_ = nullptr;
};

int RunOtherWindow(int x, int y, int width, int height, bool topmost) {
  HINSTANCE self = GetModuleHandleW(nullptr);
  RegisterLabelledClass(kOtherClass, self, RGB(255, 228, 225));
  HWND hwnd = CreateWindowExW(topmost ? WS_EX_TOPMOST : 0, kOtherClass,
                              L"Another application",
                              WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, x, y,
                              width, height, nullptr, nullptr, self, nullptr);
  BringToFront(hwnd);
  // Gives up on its own should the parent never close it.
  SetTimer(hwnd, 1, 120000,
           [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); });
  HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, kOtherReady);
  if (ready != nullptr) {
    SetEvent(ready);
    CloseHandle(ready);
  }
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == kComeToFront) BringToFront(hwnd);
    DispatchMessageW(&msg);
  }
  return 0;
}

// The system dots per inch that new processes read at start.
class SystemDpi {
 public:
  SystemDpi() {
    DWORD size = sizeof saved_;
    had_ = RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_DWORD,
                        nullptr, &saved_, &size) == ERROR_SUCCESS;
  }
  ~SystemDpi() {
    if (had_) {
      Set(saved_);
    } else {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, kValue);
    }
  }
  SystemDpi(const SystemDpi&) = delete;
  SystemDpi& operator=(const SystemDpi&) = delete;
  static void Set(DWORD dpi) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, REG_DWORD, &dpi,
                    sizeof dpi);
  }

 private:
  static constexpr wchar_t kKey[] = L"Control Panel\\Desktop";
  static constexpr wchar_t kValue[] = L"LogPixels";
  DWORD saved_ = 96;
  bool had_ = false;
};

std::string Show(const POINT& p) {
  return "(" + std::to_string(p.x) + ", " + std::to_string(p.y) + ")";
}

std::string ClassOf(HWND hwnd) {
  char name[256] = {};
  if (hwnd == nullptr) return "(none)";
  return GetClassNameA(hwnd, name, sizeof name) > 0 ? name : "(gone)";
}

// What the system itself says about a point, for a failure's report.
std::string Explain(POINT point) {
  HWND hit = WindowFromPoint(point);
  HWND root = GetAncestor(hit, GA_ROOT);
  POINT cursor{};
  GetCursorPos(&cursor);
  return "cursor at " + Show(cursor) + ", under it: " + ClassOf(hit) +
         ", top-level: " + ClassOf(root) +
         ", foreground: " + ClassOf(GetForegroundWindow()) +
         (AnyButtonHeld() ? ", a button held" : ", no button held");
}

// Moves the cursor to `point`, holds `press` (a MOUSEEVENTF_*DOWN, or 0) and
// waits, bounded, until the platform shows all of it with `front` in front.
// Under load the foreground and the cursor arrive late; a reading taken
// before would test the timing, not the addon.
bool Arrange(HWND front, POINT point, DWORD press) {
  if (GetForegroundWindow() != front) BringToFront(front);
  MoveCursor(point);
  if (press != 0) SendMouse(press);
  return WaitUntil([&] {
    POINT now{};
    return GetForegroundWindow() == front && GetCursorPos(&now) &&
           now.x == point.x && now.y == point.y &&
           AnyButtonHeld() == (press != 0);
  });
}

// What of an arranged state the session did not show: the foreground, the
// cursor's position or the button, in that order.
std::string Refusal(HWND front, POINT point, DWORD press) {
  POINT now{};
  if (GetForegroundWindow() != front) {
    return "the session kept the foreground with a window of class " +
           ClassOf(GetForegroundWindow()) + " and refused it to " +
           ClassOf(front);
  }
  if (!GetCursorPos(&now) || now.x != point.x || now.y != point.y) {
    return "the session did not move the cursor to " + Show(point) +
           " (it reads " + Show(now) + ")";
  }
  if (AnyButtonHeld() != (press != 0)) {
    return press != 0 ? "the session did not deliver the synthetic button press"
                      : "a button stayed held";
  }
  return "the arranged state showed only after 5 s";
}

// The outcome of the cases. On Windows itself the session may refuse what a
// case arranges (the foreground, synthetic input, a window that never
// shows): such a case is skipped, out loud, and in CI also on the run's
// page. Under Wine nothing refuses, so there the same case fails.
class Tally {
 public:
  void Pass() { ++passed_; }
  void Fail() { ++failed_; }
  void Skip(const std::string& what, const std::string& why) {
    ++skipped_;
    test_host::PrintSkipLine("real_windows", what, why);
  }
  // 0 when every case passed; 77 when none failed and some were skipped;
  // 1 when a case failed, or when none passed: a run that only skipped
  // proves nothing.
  int ExitCode() const {
    std::printf("real windows: %d passed, %d failed, %d skipped\n", passed_,
                failed_, skipped_);
    if (failed_ > 0) return 1;
    if (passed_ == 0) {
      std::printf("this runner gave no usable desktop\n");
      return 1;
    }
    return skipped_ > 0 ? 77 : 0;
  }

 private:
  int passed_ = 0;
  int failed_ = 0;
  int skipped_ = 0;
};

// One reading with the cursor at `where`, checked against what must hold.
struct Case {
  std::string what;
  std::function<POINT()> where;
  std::function<HWND()> front;  // the window brought to the front first
  bool active;
  DWORD press = 0;  // a button held during the reading
  DWORD release = 0;
};

int RunChecks(const std::string& addon_path) {
  WindowScene scene({/*near_misses=*/true, /*extra_windows=*/true});
  LoadedAddon addon(addon_path);
  if (!addon.Error().empty()) {
    std::printf("FAIL %s\n", addon.Error().c_str());
    return 1;
  }
  OtherProcessWindow other(addon_path, RECT{20, 540, 340, 740}, false);
  HWND frame = scene.Frame();
  // Every window here lies on one display: the scale is the frame's.
  const double scale = WindowScale(frame);
  const auto window = [&](const char* name) {
    return [&scene, name] { return scene.Find(name); };
  };
  const auto centre = [&](const char* name) {
    return [&scene, name] { return WindowScene::Centre(scene.Find(name)); };
  };
  const auto front_frame = [frame] { return frame; };
  const auto surface = [frame] { return ClientPoint(frame, 120, 200); };

  const std::vector<Case> cases = {
      {"the frame's own surface", surface, front_frame, true},
      {"an Edit control", centre("Edit"), front_frame, false},
      {"a Button", centre("Button"), front_frame, false},
      {"a ComboBox", centre("ComboBox"), front_frame, false},
      {"a check box (class Button)", centre("check box"), front_frame, false},
      {"a label (class Static)", centre("Static"), front_frame, true},
      {"a web view (class ZerlinWebViewHost)",
       [&scene] { return WindowScene::Inside(scene.Find("web view"), 8, 8); },
       front_frame, false},
      {"a child inside the web view (class ZerlinWebContent)",
       centre("web content"), front_frame, true},
      {"a child of class EDIT", centre("EDIT"), front_frame, true},
      {"a child of class Editor", centre("Editor"), front_frame, true},
      {"a child of class button", centre("button"), front_frame, true},
      {"the host's second window, behind the frame", centre("document"),
       front_frame, false},
      {"the host's second window, in front", centre("document"),
       window("document"), true},
      {"the host's tool window, in front", centre("palette"), window("palette"),
       false},
      {"the host's disabled window", centre("disabled"), window("disabled"),
       false},
      {"another process's window, in front",
       [&other] { return WindowScene::Centre(other.hwnd()); },
       [&other] { return other.ToFront(); }, false},
      {"the frame while another process is in front", surface,
       [&other] { return other.ToFront(); }, false},
      {"an empty spot of the desktop", FreeScreenSpot, front_frame, false},
      {"the frame with the left button held", surface, front_frame, false,
       MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP},
      {"the frame with the right button held", surface, front_frame, false,
       MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP},
      {"the frame with the middle button held", surface, front_frame, false,
       MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP},
      {"the frame after the buttons were released", surface, front_frame, true},
  };

  Tally tally;
  const bool session_may_refuse = !RunningUnderWine();
  if (other.hwnd() == nullptr) {
    std::printf("FAIL the other process's window did not appear\n");
    tally.Fail();
  }
  for (const Case& c : cases) {
    const POINT point = c.where();
    const HWND front = c.front();
    const bool arranged = Arrange(front, point, c.press);
    if (!arranged && session_may_refuse) {
      const std::string why = Refusal(front, point, c.press);
      if (c.release != 0) SendMouse(c.release);
      tally.Skip(c.what, why);
      continue;
    }
    const std::string state = arranged ? "" : Explain(point);
    const Reading r = addon.Read();
    if (c.release != 0) SendMouse(c.release);
    const bool pass = arranged && r.ok && r.active == c.active &&
                      r.scale == scale && r.x == point.x && r.y == point.y;
    if (pass) {
      tally.Pass();
    } else {
      tally.Fail();
    }
    std::printf("%s %s at %s: %s\n", pass ? "ok  " : "FAIL", c.what.c_str(),
                Show(point).c_str(), r.text.c_str());
    if (!arranged) {
      std::printf("     the arranged state did not show within 5 s: %s\n",
                  state.c_str());
    } else if (!pass) {
      std::printf("     expected active=%s scale=%g x=%ld y=%ld; %s\n",
                  c.active ? "true" : "false", scale, point.x, point.y,
                  Explain(point).c_str());
    }
  }

  // The scale follows the system DPI, which a process reads once at start:
  // each value is checked in a new process. Wine applies the setting to new
  // processes at once; Windows only at the next sign-in.
  if (RunningUnderWine()) {
    SystemDpi restore;
    for (const DWORD dpi : {120u, 144u}) {
      SystemDpi::Set(dpi);
      HANDLE child =
          StartSelf("\"" + addon_path + "\" dpi-child " + std::to_string(dpi));
      DWORD code = 1;
      if (child != nullptr) {
        if (WaitForSingleObject(child, 30000) != WAIT_OBJECT_0) {
          TerminateProcess(child, 1);
        }
        GetExitCodeProcess(child, &code);
        CloseHandle(child);
      }
      if (code == 0) {
        tally.Pass();
      } else {
        tally.Fail();
      }
    }
  } else {
    std::printf(
        "skip the frame's surface at 120 and 144 dpi: Windows applies a new "
        "DPI setting only at the next sign-in (these run under Wine)\n");
  }
  return tally.ExitCode();
}

// A live reading of the demo beside the verdict it should give and why.
void PrintSpot(const std::string& name, POINT point, const Reading& r,
               bool as_expected, bool active, const std::string& why) {
  std::printf("  %-30s %-12s %s\n    %s %s: %s\n", name.c_str(),
              Show(point).c_str(), r.text.c_str(),
              as_expected ? "as expected," : "UNEXPECTED:",
              active ? "active" : "not active", why.c_str());
}

// One reading of the frame's surface in this process, which started while
// the system DPI read `dpi`; `demo` prints it as the demo's readings are.
int RunDpiChild(const std::string& addon_path, int dpi, bool demo) {
  WindowScene scene({false, false});
  LoadedAddon addon(addon_path);
  const POINT point = ClientPoint(scene.Frame(), 120, 200);
  const bool arranged = Arrange(scene.Frame(), point, 0);
  const Reading r = addon.Read();
  const bool pass = arranged && r.ok && r.active && r.scale == dpi / 96.0 &&
                    r.x == point.x && r.y == point.y;
  if (demo) {
    PrintSpot(
        "the surface, at " + std::to_string(dpi) + " dpi", point, r, pass, true,
        "a new process, started while the system read " + std::to_string(dpi) +
            " dpi: scale " + std::to_string(dpi) + " / 96");
    return pass ? 0 : 1;
  }
  std::printf("%s the frame's surface at %d dpi, in a new process: %s\n",
              pass ? "ok  " : "FAIL", dpi, r.text.c_str());
  if (!arranged) {
    std::printf("     the arranged state did not show within 5 s: %s\n",
                Explain(point).c_str());
  }
  return pass ? 0 : 1;
}

// What a sampled point shows on the activity map.
char Classify(const Reading& r, POINT point) {
  if (r.active) return 'A';
  char name[256] = {};
  GetClassNameA(WindowFromPoint(point), name, sizeof name);
  const std::string cls = name;
  if (cls.find("WebView") != std::string::npos) return 'W';
  if (cls == "Edit" || cls == "Button" || cls == "ComboBox") return 'C';
  return 'O';
}

bool At(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

// One sample of the activity map. It counts only when the arranged state
// held around the reading: the cursor read back at `point` before and after
// it, the reading's own position is `point` (the probe judged the window at
// that position), the frame stayed in front and no button was held. Under
// load Wine may still deliver motion from an earlier position after the
// cursor was put, so a sample that misses is taken again after a settled
// move, a bounded number of times; false when it never held.
bool SampleAt(LoadedAddon& addon, HWND frame, POINT point, Reading& r) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    // The first try skips the settling wait, which most points do not need.
    MoveCursor(point, /*settle=*/attempt > 0);
    if (GetForegroundWindow() != frame) BringToFront(frame);
    POINT before{};
    if (!GetCursorPos(&before) || !At(before, point)) continue;
    r = addon.Read();
    POINT after{};
    if (r.ok && r.x == point.x && r.y == point.y && GetCursorPos(&after) &&
        At(after, point) && GetForegroundWindow() == frame &&
        !AnyButtonHeld()) {
      return true;
    }
  }
  return false;
}

// One live reading of the demo: where, the verdict it should give and why.
struct Spot {
  std::string name;
  POINT point;
  bool active;
  std::string why;
  DWORD press = 0;
  DWORD release = 0;
};

int RunDemo(const std::string& addon_path, const std::string& dir) {
  WindowScene scene({/*near_misses=*/false, /*extra_windows=*/false});
  LoadedAddon addon(addon_path);
  if (!addon.Error().empty()) {
    std::printf("%s\n", addon.Error().c_str());
    return 1;
  }
  HWND frame = scene.Frame();
  OtherProcessWindow other(addon_path, RECT{560, 380, 800, 560}, true);
  BringToFront(frame);

  const POINT surface = ClientPoint(frame, 120, 200);
  const std::vector<Spot> spots = {
      {"the host window's surface", surface, true,
       "the host's own window, in front, no control under the pointer"},
      {"the Edit control", WindowScene::Centre(scene.Find("Edit")), false,
       "vetoed by its class, \"Edit\""},
      {"the Apply button", WindowScene::Centre(scene.Find("Button")), false,
       "vetoed by its class, \"Button\""},
      {"the label", WindowScene::Centre(scene.Find("Static")), true,
       "its class, \"Static\", is not one that vetoes"},
      {"the web view", WindowScene::Inside(scene.Find("web view"), 8, 8), false,
       "vetoed by its class, which contains \"WebView\""},
      {"the web view's child", WindowScene::Centre(scene.Find("web content")),
       true,
       "a child whose class lacks \"WebView\" is not vetoed on Windows: "
       "only the window directly under the pointer is judged"},
      {"another application", WindowScene::Centre(other.hwnd()), false,
       "not the host's window"},
      {"the surface, left button held", surface, false, "a button is held",
       MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP},
  };
  std::printf(
      "Live readings of getPointer, each with the verdict it should "
      "give:\n");
  for (const Spot& spot : spots) {
    Arrange(frame, spot.point, spot.press);
    const Reading r = addon.Read();
    if (spot.release != 0) SendMouse(spot.release);
    PrintSpot(spot.name, spot.point, r, r.ok && r.active == spot.active,
              spot.active, spot.why);
  }
  // A reading at a scale other than 1: a new process, started while the
  // system DPI reads 144 (Wine applies it to new processes at once).
  if (RunningUnderWine()) {
    SystemDpi restore;
    SystemDpi::Set(144);
    HANDLE child = StartSelf("\"" + addon_path + "\" dpi-child 144 demo");
    if (child != nullptr) {
      if (WaitForSingleObject(child, 30000) != WAIT_OBJECT_0) {
        TerminateProcess(child, 1);
      }
      CloseHandle(child);
    }
    BringToFront(frame);
  }

  // Samples the frame and a margin around it on a grid.
  RECT area{};
  GetWindowRect(frame, &area);
  InflateRect(&area, 20, 20);
  area.left = std::max(area.left, 0L);
  area.top = std::max(area.top, 0L);
  const int step = 8;
  std::ofstream samples(dir + "/samples.txt", std::ios::binary);
  samples << "area " << area.left << ' ' << area.top << ' ' << area.right << ' '
          << area.bottom << ' ' << step << '\n';
  std::map<char, int> counts;
  int missed = 0;
  for (LONG y = area.top + step / 2; y < area.bottom; y += step) {
    for (LONG x = area.left + step / 2; x < area.right; x += step) {
      const POINT point{x, y};
      Reading r;
      // A point whose arranged state never held is left off the map rather
      // than drawn with a verdict that belongs elsewhere.
      if (!SampleAt(addon, frame, point, r)) {
        ++missed;
        continue;
      }
      const char kind = Classify(r, point);
      ++counts[kind];
      samples << x << ' ' << y << ' ' << kind << '\n';
    }
  }
  samples.close();
  std::printf(
      "Sampled %d points: %d active, %d over a control, %d over a web view, "
      "%d not over the host's window; %d left off (the cursor did not hold "
      "there)\n",
      counts['A'] + counts['C'] + counts['W'] + counts['O'], counts['A'],
      counts['C'], counts['W'], counts['O'], missed);

  // Hands over to the screenshot and waits until it is taken.
  MoveCursor(POINT{GetSystemMetrics(SM_CXSCREEN) - 10,
                   GetSystemMetrics(SM_CYSCREEN) - 10});
  Pump();
  std::ofstream(dir + "/ready") << "ready\n";
  const std::string captured = dir + "/captured";
  for (int i = 0; i < 300; ++i) {
    if (GetFileAttributesA(captured.c_str()) != INVALID_FILE_ATTRIBUTES) break;
    Pump();
    Sleep(50);
  }
  return 0;
}

}  // namespace
}  // namespace zerlin::win_host

int main(int argc, char** argv) {
  using namespace zerlin::win_host;
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s ADDON [check|demo DIR]\n", argv[0]);
    return 2;
  }
  const std::string addon = argv[1];
  const std::string mode = argc > 2 ? argv[2] : "check";
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  DeclarePerMonitorDpiAwareness();
  if (mode == "check") return RunChecks(addon);
  if (mode == "demo" && argc > 3) return RunDemo(addon, argv[3]);
  if (mode == "dpi-child" && argc > 3) {
    return RunDpiChild(addon, std::atoi(argv[3]),
                       argc > 4 && std::string(argv[4]) == "demo");
  }
  if (mode == "other-window" && argc > 6) {
    return RunOtherWindow(std::atoi(argv[3]), std::atoi(argv[4]),
                          std::atoi(argv[5]), std::atoi(argv[6]),
                          argc > 7 && std::string(argv[7]) == "topmost");
  }
  std::fprintf(stderr, "unknown mode: %s\n", mode.c_str());
  return 2;
}
