#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace plovane {

// Tells a host when a yield is due: once the interval has passed since the last yield
// ended. Loops ask once per item, millions of times a run, so the question reads a coarse
// clock that costs a few nanoseconds.
class YieldThrottle {
 public:
  explicit YieldThrottle(std::int64_t intervalMilliseconds = 10)
      : interval_(intervalMilliseconds), last_(platform::coarseMonotonicMilliseconds()) {}

  bool due() const noexcept { return platform::coarseMonotonicMilliseconds() - last_ >= interval_; }

  // Starts the interval afresh; call it when the yield's work is done.
  void restart() noexcept { last_ = platform::coarseMonotonicMilliseconds(); }

 private:
  std::int64_t interval_;
  std::int64_t last_;
};

}  // namespace plovane
