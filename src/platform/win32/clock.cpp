#include "platform/clock.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace plovane::platform {

std::int64_t coarseMonotonicMilliseconds() noexcept {
  return static_cast<std::int64_t>(GetTickCount64());
}

}  // namespace plovane::platform
