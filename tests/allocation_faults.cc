#include "tests/allocation_faults.h"

#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/host/test_host.h"

namespace zerlin::test_host {
namespace {

std::atomic<bool> armed{false};
std::atomic<size_t> counted{0};
std::atomic<size_t> fail_at{0};

void* Allocate(size_t size) {
  if (armed.load(std::memory_order_relaxed) && !TestHost::InHostCall()) {
    const size_t n = counted.fetch_add(1) + 1;
    if (n == fail_at.load()) throw std::bad_alloc();
  }
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

}  // namespace

void AllocationFaults::Arm(size_t n) {
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

void* operator new(size_t size) { return zerlin::test_host::Allocate(size); }
void* operator new[](size_t size) { return zerlin::test_host::Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
