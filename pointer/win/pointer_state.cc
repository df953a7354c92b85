#include "pointer/win/pointer_state.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace zerlin::win {
namespace {

// Windows whose class says the pointer is over a control or a web view
// rather than over the host's own surface. Only the window directly under
// the pointer is judged, by its own class name, letter case exact.
bool IsVetoedClass(std::string_view name) {
  if (name == "ComboBox" || name == "Button" || name == "Edit") return true;
  // A plain scan, cheaper than find() for names this short (BENCHMARKS.md).
  constexpr std::string_view kWebView = "WebView";
  for (size_t at = 0; at + kWebView.size() <= name.size(); ++at) {
    if (name[at] == 'W' && name.substr(at, kWebView.size()) == kWebView) {
      return true;
    }
  }
  return false;
}

bool IsHeld(const WindowQueries& q, int32_t virtual_key) {
  // Bit 15 (the sign bit) is "down now"; bit 0 means "pressed since the
  // last call" and says nothing about the present.
  return (static_cast<uint16_t>(q.GetAsyncKeyState(q.context, virtual_key)) &
          0x8000u) != 0;
}

// The activity chain: the first test that fails ends it, so the later
// operations are not made.
bool PassesActivityChain(const WindowQueries& q, WindowHandle root,
                         bool cursor_ok, uint32_t pid) {
  // The style is read before root is tested, also for a null root.
  const intptr_t ex_style = q.GetWindowLongPtrA(q.context, root, kGwlExStyle);
  if (root == nullptr || !cursor_ok || (ex_style & kWsExToolWindow) != 0) {
    return false;
  }
  if (q.GetForegroundWindow(q.context) != root) return false;
  if (pid != q.GetCurrentProcessId(q.context)) return false;
  if (q.IsWindowEnabled(q.context, root) == 0) return false;
  if (IsHeld(q, kVkLButton)) return false;
  if (IsHeld(q, kVkRButton)) return false;
  return !IsHeld(q, kVkMButton);
}

double ScaleOf(const WindowQueries& q, WindowHandle root) {
  if (root == nullptr) return 1.0;
  const uint32_t dpi = q.GetDpiForWindow(q.context, root);
  return dpi == 0 ? 1.0 : dpi / 96.0;
}

}  // namespace

Value PointerStateFrom(const WindowQueries& q) {
  Value result(Value::Kind::Map);
  Value::Map& map = result.GetMap();

  // The cursor position; it stays (0, 0) when the read writes nothing.
  CursorPoint p{0, 0};
  const bool cursor_ok = q.GetCursorPos(q.context, &p) != 0;

  // The window under that position, whether or not the read succeeded, and
  // its top-level window.
  WindowHandle hit = q.WindowFromPoint(q.context, p);
  WindowHandle root = q.GetAncestor(q.context, hit, kGaRoot);

  // The process that owns the top-level window.
  uint32_t pid = 0;
  q.GetWindowThreadProcessId(q.context, root, &pid);

  // The class name of the window directly under the pointer, up to the
  // first zero byte and never past the buffer, whatever the provider wrote.
  // Zeroed 64 bytes at a time, cheaper than one fill (BENCHMARKS.md).
  alignas(64) std::array<char, kClassNameCapacity> buffer;
  static_assert(kClassNameCapacity % 64 == 0, "whole 64-byte blocks");
  for (size_t at = 0; at < buffer.size(); at += 64) {
    std::memset(buffer.data() + at, 0, 64);
  }
  q.GetClassNameA(q.context, hit, buffer.data(), kClassNameCapacity);
  const auto end = std::find(buffer.begin(), buffer.end(), '\0');
  const std::string_view name(buffer.data(),
                              static_cast<size_t>(end - buffer.begin()));

  // A control or web view under the pointer vetoes; otherwise the activity
  // chain decides.
  const bool active =
      !IsVetoedClass(name) && PassesActivityChain(q, root, cursor_ok, pid);

  // The result: position, scale (read only now, after every query of the
  // verdict) and verdict.
  map.emplace("x", static_cast<double>(p.x));
  map.emplace("y", static_cast<double>(p.y));
  map.emplace("scale", ScaleOf(q, root));
  map.emplace("active", active);
  return result;
}

Value pointerState() { return PointerStateFrom(PlatformWindowQueries()); }

}  // namespace zerlin::win
