#pragma once

#include <cstdint>

namespace plovane::platform {

// A monotonic clock in milliseconds that is cheap to read (a few nanoseconds) and coarse
// (a few milliseconds a tick): enough to pace yields that loops ask for once per item.
std::int64_t coarseMonotonicMilliseconds() noexcept;

}  // namespace plovane::platform
