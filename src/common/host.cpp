#include "common/host.h"

namespace plovane {

bool YieldThrottle::due() {
  const Clock::time_point now = Clock::now();
  if (now - last_ < interval_) return false;
  last_ = now;
  return true;
}

}  // namespace plovane
