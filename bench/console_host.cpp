#include "console_host.h"

#include <cstdio>

#include "bench_support.h"
#include "common/result_list.h"
#include "common/shared_text.h"
#include "form/comparison_run.h"
#include "platform/file_system.h"

namespace plovane::bench {

RunTimes timeComparison(const std::string& folder1, const std::string& folder2,
                        ResultList& listView3, Host& host, unsigned readerThreads) {
  ResultList listView1;
  ResultList listView2;
  listView1.appendRow(SharedText(folder1));
  listView2.appendRow(SharedText(folder2));
  ComparisonRun run(platform::nativeFileSystem(), readerThreads);
  const double cpuStart = threadCpuSeconds();
  const auto start = Clock::now();
  run.start(listView1, listView2, listView3, host);
  RunTimes times;
  times.seconds = secondsSince(start);
  times.cpuSeconds = threadCpuSeconds() - cpuStart;
  return times;
}

}  // namespace plovane::bench
