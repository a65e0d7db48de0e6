// Says each time it starts, restarts itself for the list allocator, then shows the
// environment that the programs it would start get.

#include <cstdio>
#include <cstdlib>

#include "platform/process.h"

int main(int argc, char** argv) {
  std::puts("started");
  std::fflush(stdout);
  plovane::platform::restartWithListAllocator(argc, argv);
  const char* tunables = std::getenv("GLIBC_TUNABLES");
  std::printf("tunables: %s\n", tunables ? tunables : "(none)");
  return 0;
}
