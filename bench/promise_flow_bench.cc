// The macOS flow over a scripted AppKit: getPointer's whole round trip
// beside a floor that makes the same host calls straight from five known
// values; the probe's queries per path; and the round trip across the test
// host's two real threads.
#include <benchmark/benchmark.h>

#include <cstring>

#include "addon/addon_entry.h"
#include "addon/uxp_addon_interface.h"
#include "bench/per_call.h"
#include "bench/sink_host.h"
#include "pointer/mac/pointer_state.h"
#include "tests/host/test_host.h"
#include "tests/fake_appkit.h"

namespace zerlin::bench {
namespace {

using test_host::FakeView;

// The pointer over the main window; `hit` decides what lies under it.
struct Scene : test_host::MainWindowScene {
  FakeView button{"NSButton", true, &content};
  FakeView label{"NSButtonLabel", false, &button};
  Scene() { appkit.record = false; }
};

void BM_GetPointerPromise(benchmark::State& state) {
  Scene scene;
  SinkHost host;
  const addon_callback get_pointer = host.LoadAddon();
  PerCall per_call(state, host);
  for (auto _ : state) {
    benchmark::DoNotOptimize(get_pointer(host.Env(), nullptr));
    host.Drain();
  }
}
BENCHMARK(BM_GetPointerPromise);

// The least the promise design can do: the same host calls, with the five
// values known up front and no task, probe or Value.
void BM_GetPointerPromiseFloor(benchmark::State& state) {
  SinkHost host;
  const addon_apis& apis = host.Table();
  addon_env__* env = host.Env();
  struct Call {
    SinkHost* host;
    addon_deferred__* deferred;
  } call{&host, nullptr};
  static const addon_thread_callback settle = [](void* data) {
    auto* c = static_cast<Call*>(data);
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
  };
  static const addon_thread_callback sample = [](void* data) {
    auto* c = static_cast<Call*>(data);
    c->host->Table().run_on_scripting_thread(c->host->Env(), settle, data,
                                             nullptr);
  };
  PerCall per_call(state, host);
  for (auto _ : state) {
    addon_value__* promise;
    Check(apis.create_promise(env, &call.deferred, &promise));
    apis.run_on_main_thread(env, sample, &call, nullptr);
    host.Drain();
    benchmark::DoNotOptimize(promise);
  }
}
BENCHMARK(BM_GetPointerPromiseFloor);

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
  ReadPointerState(scene.appkit.Queries());
  state.counters["queries"] = static_cast<double>(scene.appkit.trace.size());
  scene.appkit.record = false;  // time the logic over the fake, not the log
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReadPointerState(scene.appkit.Queries()));
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

}  // namespace
}  // namespace zerlin::bench
