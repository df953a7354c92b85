#include "bench/allocation_counter.h"

#include "tests/host/allocation_hook.h"

namespace zerlin::bench {
namespace {

thread_local uint64_t allocations = 0;

void Count() { ++allocations; }

// Installed before main, so that every benchmark's allocations count.
struct Install {
  Install() { test_host::SetAllocationHook(&Count); }
} install;

}  // namespace

uint64_t AllocationsOnThisThread() { return allocations; }

}  // namespace zerlin::bench
