#pragma once

#include <QObject>
#include <QTimer>
#include <algorithm>
#include <vector>

#include "bench_support.h"

namespace plovane::bench {

// The turns of the event loop: a zero-interval timer fires once per pass of the loop, and
// only the loop fires it, so the time between two firings is how long the window was deaf.
class TurnRecorder {
 public:
  TurnRecorder() {
    timer_.setInterval(0);
    QObject::connect(&timer_, &QTimer::timeout, [this] { turns_.push_back(Clock::now()); });
  }

  void start() {
    turns_.assign(1, Clock::now());
    turns_.reserve(1 << 16);
    timer_.start();
  }
  // The end counts as a turn: a window still deaf at the end was deaf up to it.
  void stop() {
    timer_.stop();
    turns_.push_back(Clock::now());
  }

  Clock::time_point begin() const { return turns_.front(); }

  double longestGapMs() const {
    Clock::duration longest{};
    for (std::size_t i = 1; i < turns_.size(); ++i) {
      longest = std::max(longest, turns_[i] - turns_[i - 1]);
    }
    return milliseconds(longest);
  }

 private:
  QTimer timer_;
  std::vector<Clock::time_point> turns_;
};

}  // namespace plovane::bench
