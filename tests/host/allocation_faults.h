// A process-wide hook on operator new for tests: counts the allocations that
// the addon makes (not the test host's own) while armed, and can make the
// nth of them throw std::bad_alloc. Link tests/host/allocation_faults.cc and
// zerlin_allocation_hook into a test executable to install it.
#ifndef ZERLIN_TESTS_HOST_ALLOCATION_FAULTS_H_
#define ZERLIN_TESTS_HOST_ALLOCATION_FAULTS_H_

#include <cstddef>
#include <functional>

namespace zerlin::test_host {

class AllocationFaults {
 public:
  // Counts from now; the `fail_at`th counted allocation throws (0: none).
  static void Arm(size_t fail_at);
  // Stops counting and answers how many allocations were counted.
  static size_t Disarm();
  // Runs `action` once unarmed to warm up, then armed: once without a
  // failure to count its allocations,
  // then once per allocation with that allocation failing; `check` is given
  // the failing allocation's number (0 for the counting run).
  static size_t Sweep(const std::function<void()>& action,
                      const std::function<void(size_t)>& check);
};

}  // namespace zerlin::test_host

#endif  // ZERLIN_TESTS_HOST_ALLOCATION_FAULTS_H_
