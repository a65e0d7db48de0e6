#pragma once

#include <QCoreApplication>

#include "cli/console_host.h"
#include "window/yield_throttle.h"

namespace plovane::bench {

// Yields as the window's host does: a turn of the event loop once the throttle's interval has
// passed since the last turn ended.
class LoopHost final : public cli::ConsoleHost {
 public:
  void yield() override {
    if (!throttle_.due()) return;
    QCoreApplication::processEvents();
    throttle_.restart();
  }

 private:
  YieldThrottle throttle_;
};

}  // namespace plovane::bench
