// Reading the trees ahead with threads changes nothing a user sees: the same rows in the same
// order, the same checked states, the same error reports and messages as the sequential
// reading, on real trees and with faults injected.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "common/failure.h"
#include "common/result_list.h"
#include "faulty_file_system.h"
#include "form/comparison_run.h"
#include "platform/file_system.h"
#include "recording_host.h"
#include "result_rows.h"
#include "scan/read_ahead.h"
#include "temp_tree.h"

namespace plovane::test {
namespace {

struct Seen {
  std::vector<Row> rows;
  std::vector<bool> checked;
  std::vector<std::string> errorReports;
  std::vector<std::string> messages;
  friend bool operator==(const Seen&, const Seen&) = default;
};

Seen compare(const platform::FileSystem& fs, unsigned threads, const std::string& folder1,
             const std::string& folder2) {
  ResultList listView1, listView2, listView3;
  listView1.appendRow(SharedText(folder1));
  listView2.appendRow(SharedText(folder2));
  RecordingHost host;
  ComparisonRun(fs, threads).start(listView1, listView2, listView3, host);
  return {rowsOf(listView3), checkStatesOf(listView3), host.errorReports, host.messages};
}

// Many folders at several depths on both sides, same names in other folders, differing and
// equal times, one-sided files, "~" names, hidden folders, a link loop and a link across.
void makeVariedTrees(const TempTree& tree) {
  for (int folder = 0; folder < 40; ++folder) {
    const std::string sub = "d" + std::to_string(folder % 5) + "/e" + std::to_string(folder) + "/";
    for (int file = 0; file < 12; ++file) {
      const std::string name = "f" + std::to_string((folder * 7 + file) % 150) + ".txt";
      tree.makeFile("A/" + sub + name, kDay + (folder + file) % 4);
      if (file % 3 != 0) tree.makeFile("B/" + sub.substr(3) + name, kDay + (folder * file) % 3);
    }
    tree.makeFile("A/" + sub + "~lock" + std::to_string(folder));
  }
  tree.makeFile("A/.hidden/h.txt", kDay);
  tree.makeFile("B/.hidden/h.txt", kDay + 9);
  tree.makeLink("A/d1/loop", "..");
  tree.makeLink("B/across", tree.path("A/d2"));
}

TEST(ReadAheadTest, ThreadsGiveTheSequentialRowsOnARealTree) {
  TempTree tree;
  makeVariedTrees(tree);
  const platform::FileSystem& fs = platform::nativeFileSystem();
  const Seen sequential = compare(fs, 1, tree.path("A/"), tree.path("B/"));
  ASSERT_GT(sequential.rows.size(), 200u);
  for (const unsigned threads : {2u, 3u, 8u}) {
    EXPECT_EQ(compare(fs, threads, tree.path("A/"), tree.path("B/")), sequential) << threads;
  }
  // Overlapping sides and a folder with itself: the walks meet folders the other read.
  EXPECT_EQ(compare(fs, 4, tree.path("A/"), tree.path("A/d2/")),
            compare(fs, 1, tree.path("A/"), tree.path("A/d2/")));
  EXPECT_EQ(compare(fs, 4, tree.path("B/"), tree.path("B/")),
            compare(fs, 1, tree.path("B/"), tree.path("B/")));
}

TEST(ReadAheadTest, FaultsGiveTheSameRowsAndReportsInEitherReading) {
  TempTree tree;
  makeVariedTrees(tree);
  FaultyFileSystem fs;
  fs.failListing(tree.path("A/d0/e5"), failure_code::kPermissionDenied);   // left out quietly
  fs.failListing(tree.path("A/d3"), failure_code::kPathNotFound, 2);       // vanishes part-way
  fs.failListing(tree.path("B/e7"), failure_code::kDeviceError, 4);        // reported
  fs.failListing(tree.path("B/e9"), failure_code::kDeviceError);           // reported again
  fs.failFolderInfo(tree.path("B/e12"), failure_code::kPermissionDenied);  // cannot be examined
  fs.vanishTime(tree.path("A/d1/e1/f8.txt"));                              // gone before its time
  fs.vanishTime(tree.path("B/e6/f43.txt"));
  const Seen sequential = compare(fs, 1, tree.path("A/"), tree.path("B/"));
  ASSERT_FALSE(sequential.errorReports.empty());

  fs.allowConcurrentReads(true);
  for (const unsigned threads : {2u, 5u}) {
    const Seen parallel = compare(fs, threads, tree.path("A/"), tree.path("B/"));
    EXPECT_EQ(parallel.rows, sequential.rows) << threads;
    EXPECT_EQ(parallel.errorReports, sequential.errorReports) << threads;
    EXPECT_EQ(parallel, sequential) << threads;
  }
}

// Each tree gets the threads for where it lies: one on a share many, one on a local disk
// no more than a local disk's; the rows stay those of one thread.
TEST(ReadAheadTest, ATreeOnAShareIsReadByMoreThreadsThanALocalOne) {
  TempTree tree;
  makeVariedTrees(tree);
  FaultyFileSystem fs;
  fs.allowConcurrentReads(true);
  const Seen sequential = compare(fs, 1, tree.path("A/"), tree.path("B/"));
  fs.setRemote(tree.path("B"));
  fs.delayListings(std::chrono::milliseconds(30));

  EXPECT_EQ(compare(fs, 0, tree.path("A/"), tree.path("B/")), sequential);
  // The walk's own thread reads too, beside the workers.
  const auto localMost = static_cast<int>(defaultReaderThreads()) + 1;
  EXPECT_LE(fs.mostListingsAtOnce(false), localMost);
  EXPECT_GT(fs.mostListingsAtOnce(true), localMost);
}

}  // namespace
}  // namespace plovane::test
