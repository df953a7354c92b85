// Per-call counters for benchmarks over the sink host: host calls and
// allocations per iteration, reported beside the time.
#ifndef ZERLIN_BENCH_PER_CALL_H_
#define ZERLIN_BENCH_PER_CALL_H_

#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench/allocation_counter.h"
#include "bench/sink_host.h"

namespace zerlin::bench {

class PerCall {
 public:
  PerCall(benchmark::State& state, SinkHost& host)
      : state_(state),
        host_(host),
        start_(host.calls()),
        allocations_(AllocationsOnThisThread()) {}
  ~PerCall() {
    const auto allocations =
        static_cast<double>(AllocationsOnThisThread() - allocations_);
    const auto n = static_cast<double>(state_.iterations());
    state_.counters["host_calls"] =
        static_cast<double>(host_.calls() - start_) / n;
    state_.counters["allocations"] = allocations / n;
  }
  PerCall(const PerCall&) = delete;
  PerCall& operator=(const PerCall&) = delete;

 private:
  benchmark::State& state_;
  SinkHost& host_;
  uint64_t start_;
  uint64_t allocations_;
};

}  // namespace zerlin::bench

#endif  // ZERLIN_BENCH_PER_CALL_H_
