// The Windows flow over the null platform (bench/null_platform.cc):
// getPointer beside a floor that makes the same host calls straight from
// four known values, and the probe alone.
#include <benchmark/benchmark.h>

#include "addon/uxp_addon_interface.h"
#include "bench/per_call.h"
#include "bench/sink_host.h"
#include "pointer/win/pointer_state.h"

namespace zerlin::bench {
namespace {

void BM_GetPointerSync(benchmark::State& state) {
  SinkHost host;
  const addon_callback get_pointer = host.LoadAddon();
  PerCall per_call(state, host);
  for (auto _ : state) {
    benchmark::DoNotOptimize(get_pointer(host.Env(), nullptr));
  }
}
BENCHMARK(BM_GetPointerSync);

// The least this design can do: the same thirteen host calls, no probe and
// no Value. Not inlined, so that a profile counts it per call.
[[gnu::noinline]] addon_value__* SyncFloor(const addon_apis& apis,
                                           addon_env__* env) {
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
  return object;
}

void BM_GetPointerSyncFloor(benchmark::State& state) {
  SinkHost host;
  PerCall per_call(state, host);
  for (auto _ : state) {
    benchmark::DoNotOptimize(SyncFloor(host.Table(), host.Env()));
  }
}
BENCHMARK(BM_GetPointerSyncFloor);

// The probe alone over the null platform: its logic and its Value.
void BM_WinProbe(benchmark::State& state) {
  SinkHost host;
  PerCall per_call(state, host);
  for (auto _ : state) benchmark::DoNotOptimize(win::pointerState());
}
BENCHMARK(BM_WinProbe);

}  // namespace
}  // namespace zerlin::bench
