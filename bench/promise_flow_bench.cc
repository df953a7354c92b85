// The macOS flow over the null platform (bench/null_platform.cc):
// getPointer's whole round trip over the sink host beside a floor that makes
// the same host calls straight from five known values, and the probe alone.
#include <benchmark/benchmark.h>

#include <cstring>

#include "addon/uxp_addon_interface.h"
#include "bench/per_call.h"
#include "bench/sink_host.h"
#include "pointer/mac/pointer_state.h"

namespace zerlin::bench {
namespace {

// The call and both steps, run by draining the sink host's queue. Not
// inlined, so that a profile counts it per call.
[[gnu::noinline]] addon_value__* PromiseCall(SinkHost& host,
                                             addon_callback get_pointer) {
  addon_value__* promise = get_pointer(host.Env(), nullptr);
  host.Drain();
  return promise;
}

void BM_GetPointerPromise(benchmark::State& state) {
  SinkHost host;
  const addon_callback get_pointer = host.LoadAddon();
  PerCall per_call(state, host);
  for (auto _ : state) {
    benchmark::DoNotOptimize(PromiseCall(host, get_pointer));
  }
}
BENCHMARK(BM_GetPointerPromise);

// The least the promise design can do: the same host calls, with the five
// values known up front and no task, probe or Value.
struct FloorCall {
  SinkHost* host;
  addon_deferred__* deferred;
};

void FloorSettle(void* data) {
  auto* c = static_cast<FloorCall*>(data);
  const addon_apis& t = c->host->Table();
  addon_env__* e = c->host->Env();
  addon_handle_scope__* scope;
  Check(t.open_handle_scope(e, &scope));
  addon_value__ *object, *key, *value;
  Check(t.create_object(e, &object));
  const char* keys[] = {"active", "scale", "viewClass", "x", "y"};
  for (int i = 0; i < 5; ++i) {
    Check(t.create_string(e, keys[i], std::strlen(keys[i]), &key));
    if (i == 0) {
      Check(t.get_boolean(e, true, &value));
    } else if (i == 2) {
      Check(t.create_string(e, "NSView", 6, &value));
    } else {
      Check(t.create_double(e, 100.0 * i, &value));
    }
    Check(t.set_property(e, object, key, value));
  }
  Check(t.resolve_deferred(e, c->deferred, object));
  t.close_handle_scope(e, scope);
}

void FloorSample(void* data) {
  auto* c = static_cast<FloorCall*>(data);
  c->host->Table().run_on_scripting_thread(c->host->Env(), &FloorSettle, data,
                                           nullptr);
}

[[gnu::noinline]] addon_value__* PromiseFloor(FloorCall& call) {
  SinkHost& host = *call.host;
  addon_value__* promise;
  Check(host.Table().create_promise(host.Env(), &call.deferred, &promise));
  host.Table().run_on_main_thread(host.Env(), &FloorSample, &call, nullptr);
  host.Drain();
  return promise;
}

void BM_GetPointerPromiseFloor(benchmark::State& state) {
  SinkHost host;
  FloorCall call{&host, nullptr};
  PerCall per_call(state, host);
  for (auto _ : state) benchmark::DoNotOptimize(PromiseFloor(call));
}
BENCHMARK(BM_GetPointerPromiseFloor);

// The probe alone over the null platform: its logic and its Value.
void BM_MacProbe(benchmark::State& state) {
  SinkHost host;
  PerCall per_call(state, host);
  for (auto _ : state) {
    benchmark::DoNotOptimize(mac::pointerState());
  }
}
BENCHMARK(BM_MacProbe);

}  // namespace
}  // namespace zerlin::bench
