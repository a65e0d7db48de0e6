// The programs restart themselves once for the list allocator, never more, and hand the
// programs they start the environment the user gave.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace plovane::test {
namespace {

std::string probeOutput(const std::string& tunables) {
  const std::string command = (tunables.empty() ? std::string("unset GLIBC_TUNABLES; ")
                                                : "GLIBC_TUNABLES='" + tunables + "' ") +
                              PLOVANE_RESTART_PROBE_PATH;
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    pclose(pipe);
  }
  return output;
}

TEST(ListAllocatorTest, RestartsOnceAndLeavesTheUsersEnvironment) {
#ifdef __GLIBC__
  EXPECT_EQ(probeOutput(""), "started\nstarted\ntunables: (none)\n");
  EXPECT_EQ(probeOutput("glibc.malloc.arena_max=2"),
            "started\nstarted\ntunables: glibc.malloc.arena_max=2\n");
  // A huge-page setting of the user's own is theirs to keep.
  EXPECT_EQ(probeOutput("glibc.malloc.hugetlb=0"), "started\ntunables: glibc.malloc.hugetlb=0\n");
#else
  EXPECT_EQ(probeOutput(""), "started\ntunables: (none)\n");
#endif
}

}  // namespace
}  // namespace plovane::test
