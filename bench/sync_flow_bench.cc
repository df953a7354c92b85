// The Windows flow over scripted windows: getPointer beside a floor that
// makes the same host calls straight from four known values, and the
// window operations per probe path.
#include <benchmark/benchmark.h>

#include "addon/uxp_addon_interface.h"
#include "bench/per_call.h"
#include "bench/sink_host.h"
#include "pointer/win/pointer_state.h"
#include "tests/scripted_windows.h"

namespace zerlin::bench {
namespace {

void BM_GetPointerSync(benchmark::State& state) {
  win::ScriptedWindows scene;
  scene.record = false;
  SinkHost host;
  const addon_callback get_pointer = host.LoadAddon();
  PerCall per_call(state, host);
  for (auto _ : state) {
    benchmark::DoNotOptimize(get_pointer(host.Env(), nullptr));
    scene.ClearTrace();
  }
}
BENCHMARK(BM_GetPointerSync);

// The least this design can do: the same thirteen host calls, no probe and
// no Value.
void BM_GetPointerSyncFloor(benchmark::State& state) {
  SinkHost host;
  const addon_apis& apis = host.Table();
  PerCall per_call(state, host);
  addon_env__* env = host.Env();
  for (auto _ : state) {
    addon_value__ *object, *key, *value;
    Check(apis.create_object(env, &object));
    const struct {
      const char* key;
      size_t length;
    } keys[] = {{"active", 6}, {"scale", 5}, {"x", 1}, {"y", 1}};
    const double numbers[] = {0, 1.25, 640, 480};
    for (int i = 0; i < 4; ++i) {
      Check(apis.create_string(env, keys[i].key, keys[i].length, &key));
      if (i == 0) {
        Check(apis.get_boolean(env, true, &value));
      } else {
        Check(apis.create_double(env, numbers[i], &value));
      }
      Check(apis.set_property(env, object, key, value));
    }
    benchmark::DoNotOptimize(object);
  }
}
BENCHMARK(BM_GetPointerSyncFloor);

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
