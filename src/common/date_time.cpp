#include "common/date_time.h"

namespace plovane {

double DateTime::oleDays() const noexcept {
  return static_cast<double>(seconds_) / static_cast<double>(kSecondsPerDay) +
         static_cast<double>(kOleDaysAtUnixEpoch);
}

}  // namespace plovane
