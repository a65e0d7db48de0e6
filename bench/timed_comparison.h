#pragma once

#include <cstddef>
#include <string>

namespace plovane {
class ResultList;
}

namespace plovane::bench {

struct ComparisonTiming {
  double seconds = 0;
  std::size_t messages = 0;  // message boxes and error reports the run showed
};

// The core's comparison of two folders into listView3, as the window starts it but with the
// command line's host and no window; the seconds cover the run alone, not the setting up of
// the folder lists. readerThreads as the run takes it: 0 the default, 1 the sequential reading.
ComparisonTiming timeComparison(const std::string& folder1, const std::string& folder2,
                                ResultList& listView3, unsigned readerThreads = 0);

}  // namespace plovane::bench
