#include "tests/host/allocation_hook.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace zerlin::test_host {
namespace {

std::atomic<AllocationHook> installed{nullptr};

void* Allocate(size_t size) {
  if (AllocationHook hook = installed.load(std::memory_order_relaxed)) hook();
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

}  // namespace

void SetAllocationHook(AllocationHook hook) { installed.store(hook); }

}  // namespace zerlin::test_host

void* operator new(size_t size) { return zerlin::test_host::Allocate(size); }
void* operator new[](size_t size) { return zerlin::test_host::Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
