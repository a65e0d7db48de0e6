#pragma once

#include <cstddef>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "platform/list_memory.h"

namespace plovane::platform {

// The allocator of an array that can grow to millions of entries: an allocation of a huge
// page or more is a list block, a smaller one ordinary memory, so that the many short
// lists cost no more than before.
template <class T>
class ListAllocator {
 public:
  using value_type = T;

  ListAllocator() noexcept = default;
  template <class U>
  ListAllocator(const ListAllocator<U>& /*other*/) noexcept {}

  T* allocate(std::size_t count) {
    if (count > kMaxCount) throw std::bad_array_new_length();
    const std::size_t bytes = count * sizeof(T);
    if (!isListBlock(bytes)) return std::allocator<T>().allocate(count);
    return static_cast<T*>(allocateListBlock(bytes));
  }

  void deallocate(T* array, std::size_t count) noexcept {
    const std::size_t bytes = count * sizeof(T);
    if (isListBlock(bytes)) {
      freeListBlock(array, bytes);
    } else {
      std::allocator<T>().deallocate(array, count);
    }
  }

  friend bool operator==(const ListAllocator& /*a*/, const ListAllocator& /*b*/) noexcept {
    return true;
  }

 private:
  static constexpr std::size_t kMaxCount = std::numeric_limits<std::size_t>::max() / 2 / sizeof(T);

  static bool isListBlock(std::size_t bytes) noexcept { return bytes >= kHugePageBytes; }
};

// A vector whose array is a list block once it is large.
template <class T>
using ListVector = std::vector<T, ListAllocator<T>>;

}  // namespace plovane::platform
