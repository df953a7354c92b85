// Counts the allocations made on each thread, through the allocation hook
// that the tests use too (tests/host/allocation_hook.h); the count costs
// the figures next to nothing. Link bench/allocation_counter.cc and
// zerlin_allocation_hook to install it.
#ifndef ZERLIN_BENCH_ALLOCATION_COUNTER_H_
#define ZERLIN_BENCH_ALLOCATION_COUNTER_H_

#include <cstdint>

namespace zerlin::bench {

// Allocations made on this thread since it started.
uint64_t AllocationsOnThisThread();

}  // namespace zerlin::bench

#endif  // ZERLIN_BENCH_ALLOCATION_COUNTER_H_
