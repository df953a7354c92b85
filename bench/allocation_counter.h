// Counts the allocations made on the calling thread, through a replaced
// operator new that does no more than that, so that the count costs the
// figures next to nothing. Link bench/allocation_counter.cc to install it.
#ifndef ZERLIN_BENCH_ALLOCATION_COUNTER_H_
#define ZERLIN_BENCH_ALLOCATION_COUNTER_H_

#include <cstdint>

namespace zerlin::bench {

// Allocations made on this thread since it started.
uint64_t AllocationsOnThisThread();

}  // namespace zerlin::bench

#endif  // ZERLIN_BENCH_ALLOCATION_COUNTER_H_
