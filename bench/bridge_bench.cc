// What the bridge costs: a pointer reading converted through Value, beside a
// floor that makes the same host calls straight from four known values.
#include <benchmark/benchmark.h>

#include "addon/uxp_addon_interface.h"
#include "addon/value/value.h"
#include "bench/per_call.h"
#include "bench/sink_host.h"

namespace zerlin::bench {
namespace {

Value Reading(double x, double y, double scale, bool active) {
  Value result(Value::Kind::Map);
  auto& map = result.GetMap();
  map.emplace("x", Value(x));
  map.emplace("y", Value(y));
  map.emplace("scale", Value(scale));
  map.emplace("active", Value(active));
  return result;
}

void BM_ReadingThroughValue(benchmark::State& state) {
  SinkHost host;
  UxpAddonInterface::instance().setAddonAPIs(host.Table());
  PerCall per_call(state, host);
  for (auto _ : state) {
    benchmark::DoNotOptimize(Reading(640, 480, 1.25, true).Convert(host.Env()));
  }
}
BENCHMARK(BM_ReadingThroughValue);

// The least this design can do: the same thirteen host calls, no Value.
void BM_ReadingFloor(benchmark::State& state) {
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
BENCHMARK(BM_ReadingFloor);

}  // namespace
}  // namespace zerlin::bench
