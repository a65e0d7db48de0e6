#pragma once

#include <cstddef>
#include <string>

#include "cli/console_host.h"

namespace plovane {
class ResultList;
}

namespace plovane::bench {

// The host of a run without a window, as the command line has it: messages and error reports
// go to the error stream, where they cannot block and cannot mix with the result rows. A
// bench that wants the yields to do something overrides yield().
using ConsoleHost = cli::ConsoleHost;

struct RunTimes {
  double seconds = 0;
  double cpuSeconds = 0;
};

// The core's comparison of two folders into listView3, as the window starts it but with no
// window; the times cover the run alone, not the setting up of the folder lists.
// readerThreads as the run takes it: 0 the default, 1 the sequential reading.
RunTimes timeComparison(const std::string& folder1, const std::string& folder2,
                        ResultList& listView3, Host& host, unsigned readerThreads = 0);

}  // namespace plovane::bench
