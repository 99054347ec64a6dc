// A limit on the heap, linked into a test build of the publisher's tool
// (quorril-pack-limited) so that its tests reach every allocation failure
// without exhausting the machine. Two limits, both read from the
// environment at the first allocation:
//
//   QUORRIL_FAIL_ALLOCATION=N   the Nth allocation (counted from 1) and
//                               every later one fail
//   QUORRIL_HEAP_LIMIT=BYTES    an allocation fails when the bytes in use
//                               would grow past BYTES
//
// Only allocations made once main has begun count, so that the first
// failure lands in the tool's own code (the executable is linked with
// --wrap=main). Every form of operator new and delete is replaced; a
// failure throws std::bad_alloc (or returns null for the nothrow forms) as
// a real shortage would.
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

// Each block carries its size in front, so that delete can count it.
constexpr std::size_t kPrefix = alignof(std::max_align_t);

struct Limits {
  bool armed = false;  // main has begun
  bool read = false;
  unsigned long long failFrom = 0;  // 0: no count limit
  unsigned long long heapLimit = 0;  // 0: no size limit
  unsigned long long count = 0;
  unsigned long long inUse = 0;
};

Limits& TheLimits() {
  static Limits limits;  // constant-initialised: safe before main
  if (limits.armed && !limits.read) {
    limits.read = true;
    if (const char* n = std::getenv("QUORRIL_FAIL_ALLOCATION")) limits.failFrom = std::strtoull(n, nullptr, 10);
    if (const char* n = std::getenv("QUORRIL_HEAP_LIMIT")) limits.heapLimit = std::strtoull(n, nullptr, 10);
  }
  return limits;
}

void* Allocate(std::size_t size) noexcept {
  Limits& limits = TheLimits();
  if (limits.armed) ++limits.count;
  if (limits.failFrom != 0 && limits.count >= limits.failFrom) return nullptr;
  if (limits.heapLimit != 0 && (size > limits.heapLimit || limits.inUse > limits.heapLimit - size)) return nullptr;
  char* block = static_cast<char*>(std::malloc(size + kPrefix));
  if (!block) return nullptr;
  *reinterpret_cast<std::size_t*>(block) = size;
  limits.inUse += size;
  return block + kPrefix;
}

void Release(void* p) noexcept {
  if (!p) return;
  char* block = static_cast<char*>(p) - kPrefix;
  TheLimits().inUse -= *reinterpret_cast<std::size_t*>(block);
  std::free(block);
}

}  // namespace

extern "C" int __real_main(int argc, char** argv);
extern "C" int __wrap_main(int argc, char** argv) {
  TheLimits().armed = true;
  return __real_main(argc, argv);
}

void* operator new(std::size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }
