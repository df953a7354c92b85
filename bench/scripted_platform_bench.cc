// The probes over scripted platforms: the platform operations each path
// makes, and the macOS round trip across the test host's two real threads.
#include <benchmark/benchmark.h>

#include "addon/addon_entry.h"
#include "pointer/mac/pointer_state.h"
#include "pointer/win/pointer_state.h"
#include "tests/fakes/fake_appkit.h"
#include "tests/fakes/scripted_windows.h"
#include "tests/host/test_host.h"

namespace zerlin::bench {
namespace {

using mac::FakeView;

// The pointer over the main window; `hit` decides what lies under it.
struct Scene : mac::MainWindowScene {
  FakeView button{"NSButton", true, &content};
  FakeView label{"NSButtonLabel", false, &button};
  Scene() { appkit.record = false; }
};

// AppKit queries per probe path.
void BM_MacProbePath(benchmark::State& state) {
  Scene scene;
  scene.appkit.record = true;  // to count the queries once
  switch (state.range(0)) {
    case 0:  // plain content: every test passes
      break;
    case 1:  // a label inside a button: the view chain vetoes
      scene.appkit.hit = &scene.label;
      break;
    case 2:  // another application's window
      scene.appkit.number_at_point = 99;
      break;
  }
  mac::PointerStateFrom(scene.appkit.Queries());
  state.counters["queries"] = static_cast<double>(scene.appkit.trace.size());
  scene.appkit.record = false;  // time the logic over the fake, not the log
  for (auto _ : state) {
    benchmark::DoNotOptimize(mac::PointerStateFrom(scene.appkit.Queries()));
  }
}
BENCHMARK(BM_MacProbePath)->ArgName("path")->DenseRange(0, 2);

// One call's round trip across the two-thread test host: the script's call
// on the scripting thread, the probe on the main thread, the settling back.
void BM_PromiseRoundTripTwoThreads(benchmark::State& state) {
  Scene scene;
  test_host::TestHost host;
  addon_value__* exports = host.Object();
  uxp_addon_init(host.Env(), exports, &host.Table());
  addon_value__* get_pointer = host.Property(exports, "getPointer");
  const auto mark = host.Mark();
  host.StartThreads();
  for (auto _ : state) {
    host.Post(test_host::TestHost::Queue::kScripting,
              [&] { host.CallFunction(get_pointer); });
    host.WaitIdle();
    state.PauseTiming();
    host.Rewind(mark);
    state.ResumeTiming();
  }
  host.StopThreads();
}
BENCHMARK(BM_PromiseRoundTripTwoThreads)->UseRealTime();

// Window operations per probe path, and the probe's time over the script.
void BM_WinProbePath(benchmark::State& state) {
  win::ScriptedWindows scene;
  switch (state.range(0)) {
    case 0:  // over the host's surface: every test passes
      break;
    case 1:  // over an edit control: vetoed by its class
      scene.Window("canvas").class_name = "Edit";
      break;
    case 2:  // over no window
      scene.under_cursor = "";
      break;
    case 3:  // another application in the foreground
      scene.foreground = "";
      break;
  }
  win::PointerStateFrom(scene.Table());
  state.counters["operations"] = static_cast<double>(scene.Trace().size());
  scene.record = false;  // time the logic over the script, not the log
  for (auto _ : state) {
    benchmark::DoNotOptimize(win::PointerStateFrom(scene.Table()));
    scene.ClearTrace();
  }
}
BENCHMARK(BM_WinProbePath)->ArgName("path")->DenseRange(0, 3);

}  // namespace
}  // namespace zerlin::bench
