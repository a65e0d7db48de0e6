#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "common/date_time.h"

namespace plovane {

// FAT file systems and archives with DOS times store a last-write time in 2-second steps,
// rounded down or up, and whole seconds drop the fraction of the original: a file and its
// copy there can read up to 2 seconds apart.
inline constexpr std::int64_t kTwoSecondStepWindow = 2;

// How ListNewerOlderPairs decides that two last-write times are equal.
struct TimeRule {
  // Times at most this many seconds apart are equal, on every pair; 0 is the exact rule.
  // Without a window the sides decide: 2 seconds when either side keeps its times in
  // 2-second steps, else 0.
  std::optional<std::int64_t> modifyWindow = 0;
  // For the automatic rule: the side's file system is known to keep 2-second steps. A side
  // whose times show them (see TwoSecondStepEvidence) counts as well.
  bool twoSecondStepsA = false;
  bool twoSecondStepsB = false;

  static constexpr TimeRule exact() noexcept { return {}; }
  // A negative window counts as 0.
  static constexpr TimeRule window(std::int64_t seconds) noexcept {
    return {seconds < 0 ? 0 : seconds};
  }
  static constexpr TimeRule automatic(bool twoSecondStepsA, bool twoSecondStepsB) noexcept {
    return {std::nullopt, twoSecondStepsA, twoSecondStepsB};
  }

  // The window for every pair of a call, given what the times read on each side showed.
  constexpr std::uint64_t windowGiven(bool stepsShownA, bool stepsShownB) const noexcept {
    if (modifyWindow) return static_cast<std::uint64_t>(*modifyWindow);
    const bool twoSecondSide = twoSecondStepsA || twoSecondStepsB || stepsShownA || stepsShownB;
    return twoSecondSide ? kTwoSecondStepWindow : 0;
  }
};

// -1, 0 or 1 as a is earlier than, equal to or later than b, where times at most window
// seconds apart are equal. No time is earlier than every time and equal to no time but
// itself. Two compares for most pairs; the distance is taken unsigned, so that it cannot
// overflow however far apart the times are.
constexpr int compareWithin(DateTime a, DateTime b, std::uint64_t window) noexcept {
  if (a == b) return 0;
  const bool aIsLater = a > b;
  const DateTime earlier = aIsLater ? b : a;
  const DateTime later = aIsLater ? a : b;
  const std::uint64_t distance = static_cast<std::uint64_t>(later.localSeconds()) -
                                 static_cast<std::uint64_t>(earlier.localSeconds());
  if (distance <= window && !earlier.isNone()) return 0;
  return aIsLater ? 1 : -1;
}

// Whether the times read on one side were stored in 2-second steps, as a tree restored from
// an archive with DOS times holds them on a file system that keeps finer ones. The platform
// gives whole seconds only, so the one sign is that every time is even. A tree whose files
// share one or two times (unpacked or copied at one go) is all even by chance as easily as
// not, so only distinct times count: 16 distinct times that are each even by chance with
// odds of 1 in 2 are all even by chance once in 65,536 sides. 16 distinct even times and no
// odd one are taken as proof. Holds at most 16 times however many it is shown; once it holds
// them, a time costs one parity test.
class TwoSecondStepEvidence {
 public:
  static constexpr std::size_t kDistinctTimesNeeded = 16;

  constexpr void add(std::int64_t unixSeconds) noexcept {
    if (unixSeconds % 2 != 0) oddSeen_ = true;
    if (oddSeen_ || distinct_ == kDistinctTimesNeeded) return;
    for (std::size_t k = 0; k < distinct_; ++k) {
      if (seen_[k] == unixSeconds) return;
    }
    seen_[distinct_++] = unixSeconds;
  }

  constexpr bool showsTwoSecondSteps() const noexcept {
    return !oddSeen_ && distinct_ == kDistinctTimesNeeded;
  }

 private:
  std::array<std::int64_t, kDistinctTimesNeeded> seen_{};
  std::size_t distinct_ = 0;
  bool oddSeen_ = false;
};

}  // namespace plovane
