#pragma once

#include <QObject>
#include <QTimer>
#include <cstddef>
#include <utility>
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
    turns_.clear();
    turns_.reserve(1 << 16);
    turns_.push_back(Clock::now());
    timer_.start();
  }
  // The end counts as a turn: a window still deaf at the end was deaf up to it.
  void stop() {
    timer_.stop();
    turns_.push_back(Clock::now());
  }

  std::size_t turns() const { return turns_.size() - 2; }
  // Turns so far, while recording.
  std::size_t turnsSoFar() const { return turns_.size() - 1; }
  Clock::time_point begin() const { return turns_.front(); }

  // The longest gap, and the moment it began.
  std::pair<Clock::duration, Clock::time_point> longestGap() const {
    Clock::duration longest{};
    Clock::time_point at = turns_.front();
    for (std::size_t i = 1; i < turns_.size(); ++i) {
      if (turns_[i] - turns_[i - 1] > longest) {
        longest = turns_[i] - turns_[i - 1];
        at = turns_[i - 1];
      }
    }
    return {longest, at};
  }

  // The gaps at or above a bound, for a distribution of the deaf stretches.
  std::size_t gapsOver(Clock::duration bound) const {
    std::size_t count = 0;
    for (std::size_t i = 1; i < turns_.size(); ++i) count += turns_[i] - turns_[i - 1] >= bound;
    return count;
  }

 private:
  QTimer timer_;
  std::vector<Clock::time_point> turns_;
};

}  // namespace plovane::bench
