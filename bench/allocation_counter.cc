#include "bench/allocation_counter.h"

#include <cstdlib>
#include <new>

namespace zerlin::bench {
namespace {

thread_local uint64_t allocations = 0;

void* Allocate(size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

}  // namespace

uint64_t AllocationsOnThisThread() { return allocations; }

}  // namespace zerlin::bench

void* operator new(size_t size) { return zerlin::bench::Allocate(size); }
void* operator new[](size_t size) { return zerlin::bench::Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
