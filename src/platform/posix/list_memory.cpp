#include "platform/list_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <limits>
#include <new>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace plovane::platform {

namespace {

// Whole pages, not whole huge pages: the part of a block past its last whole huge page gets
// ordinary pages, so that an array a little over a huge page does not keep two resident.
std::size_t mappedLength(std::size_t bytes) noexcept {
  static const auto pageBytes = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  return (bytes == 0 ? pageBytes : bytes + pageBytes - 1) / pageBytes * pageBytes;
}

// The system promises page alignment only: a huge page more is mapped, and what lies
// before the first aligned address and after the block is given back at once.
char* mapAligned(std::size_t length) {
  void* const mapped = mmap(nullptr, length + kHugePageBytes, PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<std::uintptr_t>(mapped);
  const std::size_t head = (kHugePageBytes - start % kHugePageBytes) % kHugePageBytes;
  char* const block = static_cast<char*>(mapped) + head;
  if (head > 0) munmap(mapped, head);
  if (head < kHugePageBytes) munmap(block + length, kHugePageBytes - head);
  return block;
}

}  // namespace

void* allocateListBlock(std::size_t bytes) {
  if (bytes > std::numeric_limits<std::size_t>::max() / 2) throw std::bad_alloc();
  const std::size_t length = mappedLength(bytes);
  char* const block = mapAligned(length);
#ifdef MADV_HUGEPAGE
  // Refused by a kernel without transparent huge pages, and without effect where they are
  // switched off: the block then has ordinary pages.
  madvise(block, length, MADV_HUGEPAGE);
#endif
  return block;
}

void freeListBlock(void* block, std::size_t bytes) noexcept {
  if (block) munmap(block, mappedLength(bytes));
}

void prepareAllocatorForLists() {
#ifdef __GLIBC__
  mallopt(M_TOP_PAD, 16 << 20);
#endif
}

}  // namespace plovane::platform
