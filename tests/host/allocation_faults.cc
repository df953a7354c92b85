#include "tests/host/allocation_faults.h"

#include <atomic>
#include <new>

#include "tests/host/allocation_hook.h"
#include "tests/host/test_host.h"

namespace zerlin::test_host {
namespace {

std::atomic<bool> armed{false};
std::atomic<size_t> counted{0};
std::atomic<size_t> fail_at{0};

void CountOrFail() {
  if (armed.load(std::memory_order_relaxed) && !TestHost::InHostCall()) {
    const size_t n = counted.fetch_add(1) + 1;
    if (n == fail_at.load()) throw std::bad_alloc();
  }
}

}  // namespace

void AllocationFaults::Arm(size_t n) {
  SetAllocationHook(&CountOrFail);
  counted = 0;
  fail_at = n;
  armed = true;
}

size_t AllocationFaults::Disarm() {
  armed = false;
  return counted.load();
}

size_t AllocationFaults::Sweep(const std::function<void()>& action,
                               const std::function<void(size_t)>& check) {
  action();  // warms what test doubles keep between calls (their logs)
  Arm(0);
  action();
  const size_t total = Disarm();
  check(0);
  for (size_t k = 1; k <= total; ++k) {
    Arm(k);
    action();
    Disarm();
    check(k);
  }
  return total;
}

}  // namespace zerlin::test_host
