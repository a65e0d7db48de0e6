#include "platform/clock.h"

#include <time.h>

namespace plovane::platform {

std::int64_t coarseMonotonicMilliseconds() noexcept {
  timespec now{};
#ifdef CLOCK_MONOTONIC_COARSE
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
#else
  clock_gettime(CLOCK_MONOTONIC, &now);
#endif
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

}  // namespace plovane::platform
