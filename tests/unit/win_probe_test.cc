// The Windows probe's decision logic over a scripted set of windows: what it
// answers and exactly which operations each path makes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pointer/win/pointer_state.h"
#include "tests/fakes/scripted_windows.h"

namespace zerlin::win {
namespace {

using ::testing::ElementsAre;
using Ops = std::vector<std::string>;

// The five operations every call makes, for the default scene.
const Ops kSampling = {
    "GetCursorPos",
    "WindowFromPoint(10, 20)",
    "GetAncestor(canvas, GA_ROOT)",
    "GetWindowThreadProcessId(frame)",
    "GetClassNameA(canvas, 256)",
};
const Ops kWholeChain = {
    "GetWindowLongPtrA(frame, GWL_EXSTYLE)",
    "GetForegroundWindow",
    "GetCurrentProcessId",
    "IsWindowEnabled(frame)",
    "GetAsyncKeyState(VK_LBUTTON)",
    "GetAsyncKeyState(VK_RBUTTON)",
    "GetAsyncKeyState(VK_MBUTTON)",
};

Ops Concat(std::initializer_list<Ops> parts) {
  Ops all;
  for (const Ops& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}
Ops ChainUpTo(size_t n) {
  return Ops(kWholeChain.begin(), kWholeChain.begin() + n);
}

// The map as one line: active=1 scale=1.25 x=10 y=20.
std::string Render(const Value& state) {
  const Value::Map& map = state.GetMap();
  std::string out;
  for (const auto& [key, value] : map) {
    if (!out.empty()) out += ' ';
    out += key + '=';
    if (value.GetKind() == Value::Kind::Boolean) {
      out += value.GetBoolean() ? "1" : "0";
    } else {
      std::string number = std::to_string(value.GetNumber());
      number.erase(number.find_last_not_of('0') + 1);
      if (number.back() == '.') number.pop_back();
      out += number;
    }
  }
  return out;
}

// GetAsyncKeyState's answer with bit 15, "down now", set: the sign bit.
constexpr int16_t kDownNow = INT16_MIN;

// GetAsyncKeyState answering "down now" for `held` alone.
std::function<int16_t(int32_t)> HeldOnly(int32_t held) {
  return [held](int32_t key) { return key == held ? kDownNow : int16_t{0}; };
}

TEST(WinProbe, EverythingPassingMakesEveryOperationOnce) {
  ScriptedWindows scene;
  EXPECT_EQ(Render(pointerState()), "active=1 scale=1 x=10 y=20");
  EXPECT_EQ(scene.Trace(),
            Concat({kSampling, kWholeChain, {"GetDpiForWindow(frame)"}}));
}

TEST(WinProbe, ControlsAndWebViewsVetoWithoutTheChain) {
  for (const char* name : {"Edit", "Button", "ComboBox", "WebView",
                           "Chrome_WebView_Host", "WebView2Host", "xWebView"}) {
    SCOPED_TRACE(name);
    ScriptedWindows scene;
    scene.Window("canvas").class_name = name;
    scene.Window("frame").dpi = 144;
    EXPECT_EQ(Render(pointerState()), "active=0 scale=1.5 x=10 y=20");
    EXPECT_EQ(scene.Trace(), Concat({kSampling, {"GetDpiForWindow(frame)"}}));
  }
}

TEST(WinProbe, NearMissClassNamesLeaveTheVerdictToTheChain) {
  // Only the exact names veto; letter case counts; a web view's own child
  // windows are judged by their own class name.
  for (const std::string& name : std::vector<std::string>{
           "EDIT", "Editor", "MyEdit", "button", "Buttons", "ComboBoxEx32",
           "combobox", "Webview", "WebVie", "Chrome_RenderWidgetHostHWND", "",
           std::string(300, 'E')}) {
    SCOPED_TRACE(name);
    ScriptedWindows scene;
    scene.Window("canvas").class_name = name;
    EXPECT_EQ(Render(pointerState()), "active=1 scale=1 x=10 y=20");
    EXPECT_EQ(scene.Trace().size(), kSampling.size() + kWholeChain.size() + 1);
  }
}

TEST(WinProbe, AClassNameWithoutATerminatorIsReadWithinTheBuffer) {
  ScriptedWindows scene;
  scene.unterminated_class_name = 'E';
  EXPECT_EQ(Render(pointerState()), "active=1 scale=1 x=10 y=20");
}

TEST(WinProbe, EachFailingTestEndsTheChainThere) {
  struct Case {
    const char* what;
    std::function<void(ScriptedWindows&)> arrange;
    size_t chain_ops;  // how much of the chain is made
  };
  const Case cases[] = {
      {"tool window", [](auto& s) { s.Window("frame").ex_style = 0x80; }, 1},
      {"tool window among other styles",
       [](auto& s) { s.Window("frame").ex_style = 0x80 | 0x100 | 0x8; }, 1},
      {"another window in the foreground",
       [](auto& s) { s.foreground = "other"; }, 2},
      {"no foreground window", [](auto& s) { s.foreground = ""; }, 2},
      {"another process's window",
       [](auto& s) { s.Window("frame").process_id = 200; }, 3},
      {"disabled", [](auto& s) { s.Window("frame").enabled = false; }, 4},
      {"left button held", [](auto& s) { s.key_state = HeldOnly(kVkLButton); },
       5},
      {"right button held", [](auto& s) { s.key_state = HeldOnly(kVkRButton); },
       6},
      {"middle button held",
       [](auto& s) { s.key_state = HeldOnly(kVkMButton); }, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedWindows scene;
    scene.Add({"other", "OtherFrame", ""});
    c.arrange(scene);
    EXPECT_EQ(Render(pointerState()), "active=0 scale=1 x=10 y=20");
    EXPECT_EQ(scene.Trace(), Concat({kSampling,
                                     ChainUpTo(c.chain_ops),
                                     {"GetDpiForWindow(frame)"}}));
  }
}

TEST(WinProbe, OnlyTheDownBitOfTheThreeButtonsCounts) {
  // 0x0001 ("pressed since the last call") and the other low bits are not
  // "held now"; a side button (VK_XBUTTON1) held down is never read.
  ScriptedWindows scene;
  scene.key_state = [](int32_t key) -> int16_t {
    return key == 0x05 ? kDownNow : int16_t{0x7fff};
  };
  EXPECT_EQ(Render(pointerState()), "active=1 scale=1 x=10 y=20");
}

TEST(WinProbe, AFailedCursorReadGivesOriginAndInactive) {
  ScriptedWindows scene;
  scene.cursor_ok = false;
  EXPECT_EQ(Render(pointerState()), "active=0 scale=1 x=0 y=0");
  // The window at (0, 0) is still looked up; the chain stops at its first
  // test, after reading the style.
  EXPECT_EQ(scene.Trace(), Concat({{"GetCursorPos", "WindowFromPoint(0, 0)"},
                                   Ops(kSampling.begin() + 2, kSampling.end()),
                                   ChainUpTo(1),
                                   {"GetDpiForWindow(frame)"}}));
}

TEST(WinProbe, NoWindowUnderTheCursor) {
  ScriptedWindows scene;
  scene.under_cursor = "";
  EXPECT_EQ(Render(pointerState()), "active=0 scale=1 x=10 y=20");
  EXPECT_THAT(
      scene.Trace(),
      ElementsAre("GetCursorPos", "WindowFromPoint(10, 20)",
                  "GetAncestor(null, GA_ROOT)",
                  "GetWindowThreadProcessId(null)", "GetClassNameA(null, 256)",
                  "GetWindowLongPtrA(null, GWL_EXSTYLE)"));
}

TEST(WinProbe, ScaleIsTheTopLevelWindowsDpiOver96) {
  const std::pair<uint32_t, const char*> cases[] = {
      {0, "1"},     {96, "1"},  {120, "1.25"},
      {144, "1.5"}, {192, "2"}, {72, "0.75"}};
  for (const auto& [dpi, scale] : cases) {
    ScriptedWindows scene;
    scene.Window("frame").dpi = dpi;
    scene.Window("canvas").dpi = 999;  // a child's own value is never read
    EXPECT_EQ(Render(pointerState()),
              std::string("active=1 scale=") + scale + " x=10 y=20");
  }
}

TEST(WinProbe, CoordinatesPassThroughUnscaled) {
  for (const CursorPoint point :
       {CursorPoint{-1920, -5}, CursorPoint{3000, 2000},
        CursorPoint{INT32_MIN, INT32_MAX}}) {
    ScriptedWindows scene;
    scene.cursor = point;
    scene.Window("frame").dpi = 192;
    const Value state = pointerState();
    EXPECT_EQ(state.GetMap().at("x").GetNumber(), point.x);
    EXPECT_EQ(state.GetMap().at("y").GetNumber(), point.y);
    EXPECT_EQ(scene.Trace()[1], "WindowFromPoint(" + std::to_string(point.x) +
                                    ", " + std::to_string(point.y) + ")");
  }
}

TEST(WinProbe, AnotherProcessInTheForegroundStillReportsItsScale) {
  ScriptedWindows scene;
  scene.Add({"browser", "BrowserFrame", "", 200, 0, true, 120});
  scene.under_cursor = "browser";
  scene.foreground = "browser";
  EXPECT_EQ(Render(pointerState()), "active=0 scale=1.25 x=10 y=20");
  EXPECT_EQ(scene.Trace().back(), "GetDpiForWindow(browser)");
}

TEST(WinProbe, AnyOtherTopLevelWindowOfTheHostCounts) {
  // A dialog of the host, itself top-level and in the foreground.
  ScriptedWindows scene;
  scene.Add({"dialog", "#32770", ""});
  scene.under_cursor = "dialog";
  scene.foreground = "dialog";
  EXPECT_EQ(Render(pointerState()), "active=1 scale=1 x=10 y=20");
}

TEST(WinProbe, EachCallSamplesAfresh) {
  ScriptedWindows scene;
  EXPECT_EQ(Render(pointerState()), "active=1 scale=1 x=10 y=20");
  scene.cursor = {11, 21};
  scene.Window("canvas").class_name = "Edit";
  EXPECT_EQ(Render(pointerState()), "active=0 scale=1 x=11 y=21");
}

}  // namespace
}  // namespace zerlin::win
