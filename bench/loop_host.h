#pragma once

#include <QCoreApplication>
#include <cstddef>

#include "cli/console_host.h"
#include "window/yield_throttle.h"

namespace plovane::bench {

// Yields as the window's host does: a turn of the event loop once the throttle's interval has
// passed since the last turn ended. The two lesser ways tell the costs apart: the throttle
// alone, and no yielding at all, which is the core's run as the command line has it.
class LoopHost final : public cli::ConsoleHost {
 public:
  enum class Yielding { kNothing, kThrottleOnly, kThrottleAndLoop };

  explicit LoopHost(Yielding yielding = Yielding::kThrottleAndLoop) : yielding_(yielding) {}

  void yield() override {
    ++yields_;
    if (yielding_ == Yielding::kNothing || !throttle_.due()) return;
    if (yielding_ == Yielding::kThrottleAndLoop) QCoreApplication::processEvents();
    throttle_.restart();
  }

  std::size_t yields() const { return yields_; }

 private:
  Yielding yielding_;
  YieldThrottle throttle_;
  std::size_t yields_ = 0;
};

}  // namespace plovane::bench
