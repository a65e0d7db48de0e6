#pragma once

#include <string>

#include "bench_support.h"

namespace plovane {
class Host;
class ResultList;
}  // namespace plovane

namespace plovane::bench {

// The core's comparison of two folders into listView3, as the window starts it but with no
// window; the times cover the run alone, not the setting up of the folder lists.
// readerThreads as the run takes it: 0 the default, 1 the sequential reading.
Timing timeComparison(const std::string& folder1, const std::string& folder2, ResultList& listView3,
                      Host& host, unsigned readerThreads = 0);

}  // namespace plovane::bench
