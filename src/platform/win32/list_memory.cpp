#include "platform/list_memory.h"

#include <malloc.h>

#include <new>

namespace plovane::platform {

// Ordinary memory: huge pages on Windows need a privilege that a user seldom holds.
void* allocateListBlock(std::size_t bytes) {
  void* const block = _aligned_malloc(bytes == 0 ? 1 : bytes, kHugePageBytes);
  if (!block) throw std::bad_alloc();
  return block;
}

void freeListBlock(void* block, std::size_t /*bytes*/) noexcept {
  _aligned_free(block);
}

void prepareAllocatorForLists() {}

}  // namespace plovane::platform
