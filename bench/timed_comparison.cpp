#include "timed_comparison.h"

#include "common/result_list.h"
#include "common/shared_text.h"
#include "form/comparison_run.h"
#include "platform/file_system.h"

namespace plovane::bench {

Timing timeComparison(const std::string& folder1, const std::string& folder2, ResultList& listView3,
                      Host& host, unsigned readerThreads) {
  ResultList listView1;
  ResultList listView2;
  listView1.appendRow(SharedText(folder1));
  listView2.appendRow(SharedText(folder2));
  ComparisonRun run(platform::nativeFileSystem(), readerThreads);
  return timed([&] { run.start(listView1, listView2, listView3, host); });
}

}  // namespace plovane::bench
