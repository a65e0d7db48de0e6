#pragma once

#include <QCoreApplication>
#include <cstdint>

#include "console_host.h"
#include "window/yield_throttle.h"

namespace plovane {
class ResultList;
}

// What the export benchmarks share: a result list shaped like a comparison's, and a host that
// yields to the event loop as the window's does.
namespace plovane::bench {

// Rows shaped like a comparison's: a newer path under one tree, the shared middle text, and
// the older path or the other tree's folder; every row checked. One name in a hundred is not
// ASCII, as in a real home folder.
void fillResults(ResultList& list, std::uint64_t rows);

// Yields as the window's host does: a turn of the event loop once the throttle's interval
// has passed since the last turn ended.
class LoopHost final : public ConsoleHost {
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
