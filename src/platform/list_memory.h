#pragma once

#include <cstddef>

// Memory for the few large arrays that a comparison keeps for the whole run: the entries and
// names of the file lists, the name index. Filled fresh on every run, such an array costs a
// page fault for each page it touches; where the system has transparent huge pages (Linux),
// its blocks are asked for on them, a fault per 2 MiB instead of one per 4 KiB, and fewer
// address translations afterwards. Where the system refuses, or has none (Windows), a block
// is ordinary memory and works all the same.
namespace plovane::platform {

// A huge page's size. Blocks start at a multiple of it, and an array smaller than it gains
// nothing from a block of its own.
inline constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;

// A block of at least bytes bytes, aligned to kHugePageBytes, its contents unspecified.
// Throws std::bad_alloc when the memory cannot be had.
void* allocateListBlock(std::size_t bytes);

// Gives back a block from allocateListBlock; bytes as it was asked for. A null block is
// ignored.
void freeListBlock(void* block, std::size_t bytes) noexcept;

// Sets the C library's allocator up for lists of millions of small entries, where it can be
// set (the GNU C library): its heaps grow in steps of 16 MiB and keep that much when they
// shrink, rather than asking the system for every few pages and giving them back between
// runs. Call it first thing in main.
void prepareAllocatorForLists();

}  // namespace plovane::platform
