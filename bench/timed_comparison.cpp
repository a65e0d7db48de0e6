#include "timed_comparison.h"

#include "bench_support.h"
#include "cli/console_host.h"
#include "common/result_list.h"
#include "common/shared_text.h"
#include "form/comparison_run.h"
#include "platform/file_system.h"

namespace plovane::bench {

ComparisonTiming timeComparison(const std::string& folder1, const std::string& folder2,
                                ResultList& listView3, unsigned readerThreads) {
  ResultList listView1;
  ResultList listView2;
  listView1.appendRow(SharedText(folder1));
  listView2.appendRow(SharedText(folder2));
  cli::ConsoleHost host;
  ComparisonRun run(platform::nativeFileSystem(), readerThreads);
  const double seconds = timed([&] { run.start(listView1, listView2, listView3, host); });
  return {seconds, host.messages() + host.errorReports()};
}

}  // namespace plovane::bench
