// A scripted stand-in for the Windows window queries: a small scene of
// windows, the cursor, the foreground window and the buttons, which answers
// the probe's operations and records each one it is asked, in order.
#ifndef ZERLIN_TESTS_FAKES_SCRIPTED_WINDOWS_H_
#define ZERLIN_TESTS_FAKES_SCRIPTED_WINDOWS_H_

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "pointer/win/window_queries.h"

namespace zerlin::win {

struct ScriptedWindow {
  std::string label;       // how the trace names it
  std::string class_name;  // what GetClassNameA answers
  std::string root;        // label of its top-level window; "" if top-level
  uint32_t process_id = 100;
  intptr_t ex_style = 0;
  bool enabled = true;
  uint32_t dpi = 96;
};

// While one exists, PlatformWindowQueries() answers from it. The default
// scene: the host's foreground top-level window "frame" (process 100) with a
// child "canvas" under the cursor at (10, 20), no button held, 96 dpi.
class ScriptedWindows {
 public:
  ScriptedWindows();
  ~ScriptedWindows();
  ScriptedWindows(const ScriptedWindows&) = delete;
  ScriptedWindows& operator=(const ScriptedWindows&) = delete;

  // Adds a window, or replaces the one with the same label.
  ScriptedWindow& Window(const std::string& label);
  ScriptedWindow& Add(ScriptedWindow window);

  bool cursor_ok = true;
  CursorPoint cursor{10, 20};
  std::string under_cursor = "canvas";  // "" for no window
  std::string foreground = "frame";     // "" for none
  uint32_t current_process_id = 100;
  // GetAsyncKeyState's answer per virtual key; absent keys answer 0.
  std::function<int16_t(int32_t)> key_state = [](int32_t) -> int16_t {
    return 0;
  };
  // When set, GetClassNameA fills the whole buffer with this byte and no
  // terminating zero, as a misbehaving provider might.
  char unterminated_class_name = 0;
  // Whether operations are recorded into Trace().
  bool record = true;
  // When set, runs before every operation (to make one throw, say).
  std::function<void(const std::string& operation)> before;

  const WindowQueries& Table() const { return table_; }
  // Every operation asked so far: "GetAncestor(canvas, GA_ROOT)", ...
  const std::vector<std::string>& Trace() const { return trace_; }
  void ClearTrace() { trace_.clear(); }

 private:
  static ScriptedWindows& Of(void* context);
  void Record(std::string operation);
  ScriptedWindow* Find(WindowHandle handle);
  WindowHandle HandleOf(const std::string& label);
  std::string LabelOf(WindowHandle handle);

  std::deque<ScriptedWindow> windows_;  // deque: handles stay valid
  std::vector<std::string> trace_;
  WindowQueries table_;
  ScriptedWindows* previous_;
};

}  // namespace zerlin::win

#endif  // ZERLIN_TESTS_FAKES_SCRIPTED_WINDOWS_H_
