// Measures getPointer in a real Windows process (under Wine here): the cost
// of one call beside the cost of making the same USER32 and KERNEL32 calls
// directly, the operations each path makes, and memory across a long run.
//
//   win_pointer_bench ADDON            the side-by-side figures
//   win_pointer_bench ADDON soak N     N calls; memory and handles before/after
//
// getPointer runs over the shared test host, loaded as the real-window host
// loads it; the host's own calls cost a few microseconds, lost beside the
// hundreds that the window calls take under Wine.
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "pointer/win/pointer_state.h"
#include "tests/real_windows/win/loaded_addon.h"
#include "tests/real_windows/win/window_scene.h"

// After windows.h, which it needs.
#include <psapi.h>

namespace zerlin::win_host {
namespace {

// --- Which operations a path makes, seen through the probe's own logic. ---
std::vector<int>* recording = nullptr;
win::WindowQueries Recording() {
  win::WindowQueries q = win::PlatformWindowQueries();
  static win::WindowQueries real;
  real = q;
  q.GetCursorPos = [](void* c, win::CursorPoint* p) {
    recording->push_back(1);
    return real.GetCursorPos(c, p);
  };
  q.WindowFromPoint = [](void* c, win::CursorPoint p) {
    recording->push_back(2);
    return real.WindowFromPoint(c, p);
  };
  q.GetAncestor = [](void* c, win::WindowHandle w, uint32_t f) {
    recording->push_back(3);
    return real.GetAncestor(c, w, f);
  };
  q.GetWindowThreadProcessId = [](void* c, win::WindowHandle w, uint32_t* p) {
    recording->push_back(4);
    return real.GetWindowThreadProcessId(c, w, p);
  };
  q.GetClassNameA = [](void* c, win::WindowHandle w, char* b, int32_t n) {
    recording->push_back(5);
    return real.GetClassNameA(c, w, b, n);
  };
  q.GetWindowLongPtrA = [](void* c, win::WindowHandle w, int32_t i) {
    recording->push_back(6);
    return real.GetWindowLongPtrA(c, w, i);
  };
  q.GetForegroundWindow = [](void* c) {
    recording->push_back(7);
    return real.GetForegroundWindow(c);
  };
  q.GetCurrentProcessId = [](void* c) {
    recording->push_back(8);
    return real.GetCurrentProcessId(c);
  };
  q.IsWindowEnabled = [](void* c, win::WindowHandle w) {
    recording->push_back(9);
    return real.IsWindowEnabled(c, w);
  };
  q.GetAsyncKeyState = [](void* c, int32_t k) {
    recording->push_back(10);
    return real.GetAsyncKeyState(c, k);
  };
  q.GetDpiForWindow = [](void* c, win::WindowHandle w) {
    recording->push_back(11);
    return real.GetDpiForWindow(c, w);
  };
  return q;
}

std::vector<int> OperationsOfPath() {
  std::vector<int> ops;
  recording = &ops;
  win::PointerStateFrom(Recording());
  recording = nullptr;
  return ops;
}

// The same operations made straight, one after another, with the arguments
// the probe would pass and none of its logic.
void MakeDirectly(const std::vector<int>& ops) {
  POINT p{};
  HWND hit = nullptr, root = nullptr;
  DWORD pid = 0;
  char name[256];
  int key = 0;
  static const auto get_dpi =
      reinterpret_cast<UINT(WINAPI*)(HWND)>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  volatile uintptr_t sink = 0;
  for (int op : ops) {
    switch (op) {
      case 1:
        sink = sink + GetCursorPos(&p);
        break;
      case 2:
        hit = WindowFromPoint(p);
        break;
      case 3:
        root = GetAncestor(hit, GA_ROOT);
        break;
      case 4:
        sink = sink + GetWindowThreadProcessId(root, &pid);
        break;
      case 5:
        sink = sink + GetClassNameA(hit, name, 256);
        break;
      case 6:
        sink = sink + GetWindowLongPtrA(root, GWL_EXSTYLE);
        break;
      case 7:
        sink = sink + (GetForegroundWindow() == root);
        break;
      case 8:
        sink = sink + GetCurrentProcessId();
        break;
      case 9:
        sink = sink + IsWindowEnabled(root);
        break;
      case 10: {
        static const int kKeys[] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
        sink = sink + static_cast<uint16_t>(GetAsyncKeyState(kKeys[key++ % 3]));
        break;
      }
      case 11:
        sink = sink + (get_dpi != nullptr ? get_dpi(root) : 0);
        break;
    }
  }
}

// Nanoseconds per call of `a` and of `b`: the medians of seven rounds of
// about 0.2 s each, the two taking turns so that drift hits both alike.
std::pair<double, double> CompareNanosPerCall(const std::function<void()>& a,
                                              const std::function<void()>& b) {
  using Clock = std::chrono::steady_clock;
  const auto time = [](const std::function<void()>& fn, long n) {
    const auto start = Clock::now();
    for (long i = 0; i < n; ++i) fn();
    return std::chrono::duration<double, std::nano>(Clock::now() - start)
               .count() /
           static_cast<double>(n);
  };
  const long n = std::max(50L, static_cast<long>(2e8 / time(a, 100)));
  std::vector<double> runs_a, runs_b;
  for (int i = 0; i < 7; ++i) {
    runs_a.push_back(time(a, n));
    runs_b.push_back(time(b, n));
  }
  std::sort(runs_a.begin(), runs_a.end());
  std::sort(runs_b.begin(), runs_b.end());
  return {runs_a[3], runs_b[3]};
}

struct Memory {
  size_t heap_bytes = 0;  // in use on the C runtime's heap
  size_t heap_blocks = 0;
  size_t private_bytes = 0;
  size_t working_set = 0;
  DWORD handles = 0;
  DWORD gdi = 0;
  DWORD user = 0;
};
Memory MeasureMemory() {
  Memory m;
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(),
                       reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                       sizeof counters);
  m.private_bytes = counters.PrivateUsage;
  m.working_set = counters.WorkingSetSize;
  GetProcessHandleCount(GetCurrentProcess(), &m.handles);
  m.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  _HEAPINFO entry = {};
  while (_heapwalk(&entry) == _HEAPOK) {
    if (entry._useflag == _USEDENTRY) {
      m.heap_bytes += entry._size;
      ++m.heap_blocks;
    }
  }
  m.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  return m;
}

}  // namespace
}  // namespace zerlin::win_host

int main(int argc, char** argv) {
  using namespace zerlin::win_host;
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s ADDON [soak N]\n", argv[0]);
    return 2;
  }
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  LoadedAddon addon(argv[1]);
  if (!addon.Error().empty()) {
    std::printf("%s\n", addon.Error().c_str());
    return 1;
  }
  // Each call's values are forgotten after it, so that the host's own
  // memory stays flat.
  const auto mark = addon.host().Mark();
  const auto get_pointer = [&addon, mark] {
    addon.Call();
    addon.host().Rewind(mark);
  };

  WindowScene scene({/*near_misses=*/false, /*extra_windows=*/false});
  HWND frame = scene.Frame();
  BringToFront(frame);
  POINT surface{120, 200};
  ClientToScreen(frame, &surface);

  if (argc > 3 && std::string(argv[2]) == "soak") {
    const long n = std::atol(argv[3]);
    MoveCursor(surface);
    for (int i = 0; i < 1000; ++i) get_pointer();
    const Memory before = MeasureMemory();
    for (long i = 0; i < n; ++i) get_pointer();
    const Memory after = MeasureMemory();
    const auto kib = [](size_t bytes) {
      return static_cast<long>(bytes / 1024);
    };
    std::printf(
        "soak: %ld calls of getPointer over the host's surface\n"
        "  C runtime heap %8ld KiB -> %8ld KiB in %zu -> %zu blocks\n"
        "  private bytes  %8ld KiB -> %8ld KiB (%+ld KiB)\n"
        "  working set    %8ld KiB -> %8ld KiB (%+ld KiB)\n"
        "  handles %lu -> %lu, GDI objects %lu -> %lu, USER objects %lu -> "
        "%lu\n",
        n, kib(before.heap_bytes), kib(after.heap_bytes), before.heap_blocks,
        after.heap_blocks, kib(before.private_bytes), kib(after.private_bytes),
        kib(after.private_bytes) - kib(before.private_bytes),
        kib(before.working_set), kib(after.working_set),
        kib(after.working_set) - kib(before.working_set), before.handles,
        after.handles, before.gdi, after.gdi, before.user, after.user);
    return 0;
  }

  struct Path {
    const char* name;
    POINT point;
  };
  const Path paths[] = {
      {"over the host's surface (active)", surface},
      {"over an Edit control (veto)", WindowScene::Centre(scene.Find("Edit"))},
      {"over the web view (veto)",
       WindowScene::Inside(scene.Find("web view"), 8, 8)},
      {"over no window (desktop)", FreeScreenSpot()},
  };
  std::printf(
      "getPointer in one process under Wine, median of 7 alternating rounds\n");
  std::printf("%-34s %4s %13s %13s %7s\n", "path", "ops", "getPointer",
              "direct calls", "ratio");
  for (const Path& path : paths) {
    MoveCursor(path.point);
    const std::vector<int> ops = OperationsOfPath();
    const auto [through_addon, direct] =
        CompareNanosPerCall(get_pointer, [&ops] { MakeDirectly(ops); });
    std::printf("%-34s %4zu %10.2f us %10.2f us %7.3f\n", path.name, ops.size(),
                through_addon / 1000, direct / 1000, through_addon / direct);
  }
  addon.Call();
  std::printf("host calls per getPointer: %zu\n",
              addon.host().CallCount() - mark.calls);
  return 0;
}
