// List blocks: aligned, usable to their last byte, apart from one another, asked for on huge
// pages, given back when freed, and the same where huge pages are refused; vectors keep their
// contents as they grow from ordinary memory into blocks.

#include "platform/list_memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/list_allocator.h"

#ifdef __linux__
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/syscall.h>

#include <cerrno>
#include <cstddef>
#endif

namespace plovane::test {
namespace {

using platform::kHugePageBytes;

bool isAligned(const void* block) {
  return reinterpret_cast<std::uintptr_t>(block) % kHugePageBytes == 0;
}

// Blocks of sizes around a huge page, held at once, each written with its own byte every
// 4 KiB and at its end; then a vector grown an entry at a time to three huge pages, and a
// copy of it. True when all are aligned and read back what was written.
bool blocksHoldWhatIsWritten() {
  const std::vector<std::size_t> sizes = {1, kHugePageBytes, kHugePageBytes + 1,
                                          5 * kHugePageBytes / 2};
  const auto mark = [](std::size_t bytes) { return char('0' + bytes % 9); };  // one per size
  std::vector<char*> blocks;
  for (const std::size_t bytes : sizes) {
    blocks.push_back(static_cast<char*>(platform::allocateListBlock(bytes)));
    for (std::size_t at = 0; at < bytes; at += 4096) blocks.back()[at] = mark(bytes);
    blocks.back()[bytes - 1] = mark(bytes);
  }
  bool held = true;
  for (std::size_t k = 0; k < blocks.size(); ++k) {
    held = held && isAligned(blocks[k]) && blocks[k][sizes[k] - 1] == mark(sizes[k]);
    for (std::size_t at = 0; at < sizes[k]; at += 4096)
      held = held && blocks[k][at] == mark(sizes[k]);
    platform::freeListBlock(blocks[k], sizes[k]);
  }
  platform::ListVector<std::uint32_t> values;
  for (std::uint32_t k = 0; k < 3 * kHugePageBytes / 4; ++k) values.push_back(k * 7);
  const platform::ListVector<std::uint32_t> copy = values;
  held = held && isAligned(values.data()) && isAligned(copy.data());
  for (std::uint32_t k = 0; k < values.size(); ++k) held = held && copy[k] == k * 7;
  return held;
}

TEST(ListMemoryTest, BlocksAndGrowingVectorsHoldTheirContents) {
  EXPECT_TRUE(blocksHoldWhatIsWritten());
}

#ifdef __linux__
TEST(ListMemoryTest, BlocksAreAskedForOnHugePagesAndGivenBack) {
  const std::size_t bytes = 2 * kHugePageBytes;
  char* const block = static_cast<char*>(platform::allocateListBlock(bytes));
  std::ifstream modes("/sys/kernel/mm/transparent_hugepage/enabled");
  const std::string mode(std::istreambuf_iterator<char>(modes), {});
  if (!mode.empty() && mode.find("[never]") == std::string::npos) {
    std::ifstream smaps("/proc/self/smaps");  // the block's mapping, then its THPeligible line
    unsigned long start = 0, end = 0;
    std::string line;
    while (std::getline(smaps, line) &&
           (std::sscanf(line.c_str(), "%lx-%lx ", &start, &end) != 2 ||
            reinterpret_cast<std::uintptr_t>(block) - start >= end - start)) {
    }
    while (std::getline(smaps, line) && line.rfind("THPeligible:", 0) != 0) {
    }
    EXPECT_TRUE(line.ends_with(" 1")) << line;
  }
  platform::freeListBlock(block, bytes);
  std::size_t stillMapped = 0;  // pages that mincore finds: none once the block is given back
  for (std::size_t at = 0; at < bytes; at += 4096) {
    unsigned char resident = 0;
    stillMapped += mincore(block + at, 4096, &resident) == 0;
  }
  EXPECT_EQ(stillMapped, 0u);
}

// madvise fails from here on with EINVAL, as on a kernel without transparent huge pages.
bool refuseMadvise() {
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_madvise, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EINVAL),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
  return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
         prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

TEST(ListMemoryTest, BlocksWorkWhereHugePagesAreRefused) {
  EXPECT_EXIT(std::_Exit(!refuseMadvise()            ? 2
                         : blocksHoldWhatIsWritten() ? 0
                                                     : 1),
              ::testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
}  // namespace plovane::test
