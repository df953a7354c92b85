// A replaced operator new for the whole executable that links
// zerlin_allocation_hook: each allocation is first shown to one hook, which
// may count it, or fail it by throwing std::bad_alloc, and then comes from
// malloc. The tests' allocation faults and the benchmarks' allocation
// counter are both such hooks.
#ifndef ZERLIN_TESTS_HOST_ALLOCATION_HOOK_H_
#define ZERLIN_TESTS_HOST_ALLOCATION_HOOK_H_

namespace zerlin::test_host {

using AllocationHook = void (*)();

// Shows every later allocation, on any thread, to `hook`; null shows them
// to none.
void SetAllocationHook(AllocationHook hook);

}  // namespace zerlin::test_host

#endif  // ZERLIN_TESTS_HOST_ALLOCATION_HOOK_H_
