#pragma once

#include <compare>
#include <cstdint>
#include <limits>

namespace plovane {

// A local date and time to the whole second, or "no time", which orders before every time.
// Held as seconds since 1 January 1970, 00:00 local time; converted to days since
// 30 December 1899 only where a value is shown or exported as such.
class DateTime {
 public:
  static constexpr std::int64_t kSecondsPerDay = 86'400;
  // Days from 30 December 1899 to 1 January 1970.
  static constexpr std::int64_t kOleDaysAtUnixEpoch = 25'569;

  constexpr DateTime() noexcept = default;  // no time
  static constexpr DateTime none() noexcept { return DateTime(); }
  static constexpr DateTime fromLocalSeconds(std::int64_t seconds) noexcept {
    return DateTime(seconds);
  }

  constexpr bool isNone() const noexcept { return seconds_ == kNone; }
  constexpr std::int64_t localSeconds() const noexcept { return seconds_; }
  // Days since 30 December 1899, 00:00, with the time of day as the fraction.
  double oleDays() const noexcept;

  constexpr auto operator<=>(const DateTime&) const noexcept = default;

 private:
  static constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::min();
  constexpr explicit DateTime(std::int64_t seconds) noexcept : seconds_(seconds) {}

  std::int64_t seconds_ = kNone;
};

}  // namespace plovane
