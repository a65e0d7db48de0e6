#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

// Memory figures of this process from /proc/self, and runs in a process of their own, so
// that one measurement's peak cannot hide in another's.

namespace plovane::bench {

// A figure of /proc/self/status in KiB, such as VmRSS or VmHWM (the peak resident size);
// dies when there is none.
long statusKiB(std::string_view key);

// From here on, VmHWM counts only what comes: it starts again from the resident size.
[[nodiscard]] bool resetPeakResident();

using Figures = std::map<std::string, double>;

// Runs work in a child forked from this process, its standard output into a pipe, and
// answers the "name: value" lines it prints there; none when the child failed. The child
// ends as soon as the work returns, and a work that starts another program ends there.
Figures figuresFromChild(const std::function<void()>& work);

}  // namespace plovane::bench
