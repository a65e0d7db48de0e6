#include "form/comparison_run.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdio>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/failure.h"
#include "common/maker.h"
#include "common/result_list.h"
#include "faulty_file_system.h"
#include "recording_host.h"
#include "result_rows.h"
#include "temp_tree.h"

namespace plovane::test {
namespace {

std::vector<Row> sorted(std::vector<Row> rows) {
  std::sort(rows.begin(), rows.end());
  return rows;
}

std::string runReport(const std::string& description, int step) {
  return description + "\r\nin Plovane2021/08/31.Form1.PushButton5_Click at line " +
         std::to_string(step) + "\r\rPlease email screenshot of this message to " +
         std::string(maker::kSupportEmail);
}

class ComparisonRunTest : public ::testing::Test {
 protected:
  void choose(const std::string& folder1, const std::string& folder2) {
    listView1.clear();
    listView1.appendRow(folder1);
    listView2.clear();
    listView2.appendRow(folder2);
  }
  void compare() { run.start(listView1, listView2, listView3, host); }

  // What every finished run leaves: no message, the flag down, every row checked and the
  // folder lists as they were.
  void expectFinishedRun(const std::string& folder1, const std::string& folder2) {
    EXPECT_FALSE(run.isComparing());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(checkStatesOf(listView3), std::vector<bool>(listView3.rowCount(), true));
    EXPECT_EQ(rowsOf(listView1), (std::vector<Row>{{folder1, "", ""}}));
    EXPECT_EQ(rowsOf(listView2), (std::vector<Row>{{folder2, "", ""}}));
  }

  // Folder 1 and folder 2 of the worked example: a.txt newer under A, b.txt only under A,
  // d.txt only under B, c.txt in different sub-folders with the same time, and a "~" file.
  void makeExample() {
    tree.makeFile("A/a.txt", kDay + 10 * kHour);
    tree.makeFile("A/b.txt");
    tree.makeFile("A/~a.tmp");
    tree.makeFile("A/Sub/c.txt", kDay + 8 * kHour);
    tree.makeFile("B/a.txt", kDay + 9 * kHour);
    tree.makeFile("B/d.txt");
    tree.makeFile("B/Other/c.txt", kDay + 8 * kHour);
  }
  std::vector<Row> exampleRows() const {
    return {onlyHereRow(a("b.txt"), b("")), onlyHereRow(b("d.txt"), a("")),
            overwriteRow(a("a.txt"), b("a.txt"))};
  }

  std::string a(const std::string& relative) const { return tree.path("A/" + relative); }
  std::string b(const std::string& relative) const { return tree.path("B/" + relative); }

  TempTree tree;
  FaultyFileSystem fs;
  RecordingHost host;
  ResultList listView1, listView2, listView3;
  ComparisonRun run{fs};
};

// Behaviour

TEST_F(ComparisonRunTest, WorkedExampleGivesThreeRowsInOrderAllChecked) {
  makeExample();
  choose(a(""), b(""));
  compare();

  EXPECT_EQ(rowsOf(listView3), exampleRows());
  EXPECT_EQ(listView3.rowCount(), 3u);
  EXPECT_TRUE(host.errorReports.empty());
  expectFinishedRun(a(""), b(""));
}

TEST_F(ComparisonRunTest, NamesStartingWithTildeNeverTakePartOnEitherSide) {
  tree.makeFile("A/~x.txt", kDay);
  tree.makeFile("A/y.txt");
  tree.makeFile("B/~x.txt", kDay + kHour);
  tree.makeFile("B/~only.tmp");
  tree.makeFile("B/Sub/a~b.txt");
  choose(a(""), b(""));
  compare();

  EXPECT_EQ(rowsOf(listView3), (std::vector<Row>{onlyHereRow(a("y.txt"), b("")),
                                                 onlyHereRow(b("Sub/a~b.txt"), a(""))}));
  expectFinishedRun(a(""), b(""));
}

TEST_F(ComparisonRunTest, SameNamesMatchAcrossSubFoldersAndWholeSecondsDecide) {
  tree.makeFile("A/f.txt");
  tree.makeFile("A/Sub1/x.txt", kDay);
  tree.makeFile("A/Sub1/Sub/g.txt");
  tree.makeFile("B/f.txt");
  tree.makeFile("B/Sub2/deep/x.txt", kDay + kHour);
  tree.makeFile("B/g.txt");
  // f.txt: 0.1 s and 0.9 s into the same second. g.txt: 0.2 s apart across a second boundary.
  if (!setTimeWithNanoseconds(a("f.txt"), kDay, 100'000'000) ||
      !setTimeWithNanoseconds(b("f.txt"), kDay, 900'000'000) ||
      !setTimeWithNanoseconds(a("Sub1/Sub/g.txt"), kDay + 5, 900'000'000) ||
      !setTimeWithNanoseconds(b("g.txt"), kDay + 6, 100'000'000)) {
    GTEST_SKIP() << "the temporary folder does not keep nanosecond times";
  }
  choose(a(""), b(""));
  compare();

  EXPECT_EQ(rowsOf(listView3),
            (std::vector<Row>{overwriteRow(b("Sub2/deep/x.txt"), a("Sub1/x.txt")),
                              overwriteRow(b("g.txt"), a("Sub1/Sub/g.txt"))}));
  EXPECT_TRUE(host.errorReports.empty());
  expectFinishedRun(a(""), b(""));
}

TEST_F(ComparisonRunTest, NameFoundTwiceAndThriceGivesEveryPairWithDifferentTimes) {
  // Different depths fix the order of the file lists: the chosen folder first, then level
  // by level.
  tree.makeFile("A/n.txt", kDay + 100);
  tree.makeFile("A/p/n.txt", kDay + 300);
  tree.makeFile("B/n.txt", kDay + 200);
  tree.makeFile("B/r/n.txt", kDay + 400);
  tree.makeFile("B/r/s/n.txt", kDay + 300);
  choose(a(""), b(""));
  compare();

  EXPECT_EQ(rowsOf(listView3),
            (std::vector<Row>{
                overwriteRow(b("n.txt"), a("n.txt")), overwriteRow(b("r/n.txt"), a("n.txt")),
                overwriteRow(b("r/s/n.txt"), a("n.txt")), overwriteRow(a("p/n.txt"), b("n.txt")),
                overwriteRow(b("r/n.txt"), a("p/n.txt")),
                // p/n.txt against r/s/n.txt: the same time, no row
            }));
  expectFinishedRun(a(""), b(""));
}

TEST_F(ComparisonRunTest, FolderComparedWithItselfFindsEachDifferingPairFromBothSides) {
  tree.makeFile("A/n.txt", kDay);
  tree.makeFile("A/p/n.txt", kDay + kHour);
  tree.makeFile("A/u.txt", kDay);
  choose(a(""), a(""));
  compare();

  EXPECT_EQ(rowsOf(listView3), (std::vector<Row>{overwriteRow(a("p/n.txt"), a("n.txt")),
                                                 overwriteRow(a("p/n.txt"), a("n.txt"))}));
  expectFinishedRun(a(""), a(""));
}

TEST_F(ComparisonRunTest, NamesOfAnyEncodingTakePartByTheirBytes) {
  const std::string accented = "r\xc3\xa9sum\xc3\xa9 1.txt";
  const std::string cyrillic = "\xd0\xb4\xd0\xbe\xd0\xba.txt";
  tree.makeFile("A/" + accented, kDay);
  tree.makeFile("B/" + cyrillic);
  tree.makeFile("B/Sub/" + accented, kDay + kHour);
  std::vector<Row> expected = {onlyHereRow(b(cyrillic), a("")),
                               overwriteRow(b("Sub/" + accented), a(accented))};
#ifndef _WIN32
  // Names Windows forbids, and bytes that are not UTF-8.
  const std::string notUtf8 = "\xff\xfe.bin";
  const std::string newline = "line\nbreak.txt";
  tree.makeFile("A/" + notUtf8);
  tree.makeFile("A/" + newline, kDay);
  tree.makeFile("B/" + newline, kDay);
  expected.insert(expected.begin(), onlyHereRow(a(notUtf8), b("")));
#endif
  choose(a(""), b(""));
  compare();

  EXPECT_EQ(rowsOf(listView3), expected);
  expectFinishedRun(a(""), b(""));
}

// Refusal

struct Selection {
  std::vector<std::string> folders1;
  std::vector<std::string> folders2;
};

class RefusalTest : public ComparisonRunTest, public ::testing::WithParamInterface<Selection> {};

TEST_P(RefusalTest, AsksForTwoFoldersAfterEmptyingResultsAndStaysUsable) {
  tree.makeFile("A/x.txt");
  tree.makeFolder("B");
  // Placeholders stand for the two folders, which exist only once the tree does.
  const auto resolve = [&](const std::string& folder) {
    return folder == "A" ? a("") : folder == "B" ? b("") : folder;
  };
  for (const auto& folder : GetParam().folders1) listView1.appendRow(resolve(folder));
  for (const auto& folder : GetParam().folders2) listView2.appendRow(resolve(folder));
  const auto before1 = rowsOf(listView1);
  const auto before2 = rowsOf(listView2);
  listView3.appendRow("stale", " is newer than", "row");

  compare();
  EXPECT_EQ(host.messages, std::vector<std::string>{"Please select two folders to compare."});
  EXPECT_EQ(listView3.rowCount(), 0u);
  EXPECT_TRUE(host.errorReports.empty());
  EXPECT_FALSE(run.isComparing());
  EXPECT_EQ(rowsOf(listView1), before1);
  EXPECT_EQ(rowsOf(listView2), before2);

  // The refusal ended the run: the next click compares.
  host.messages.clear();
  choose(a(""), b(""));
  compare();
  EXPECT_EQ(rowsOf(listView3), (std::vector<Row>{onlyHereRow(a("x.txt"), b(""))}));
  expectFinishedRun(a(""), b(""));
}

INSTANTIATE_TEST_SUITE_P(NotExactlyOneRowEach, RefusalTest,
                         ::testing::Values(Selection{{}, {"B"}}, Selection{{"A"}, {"B", "A"}},
                                           Selection{{"A", "B"}, {"B"}}, Selection{{}, {}}));

// Reliability

TEST_F(ComparisonRunTest, MissingChosenFolderMakesEveryFileOfTheOtherSideOneSided) {
  tree.makeFile("B/d1.txt");
  tree.makeFile("B/Sub/d2.txt");
  const std::string missing = tree.path("Missing/");

  choose(missing, b(""));
  compare();
  EXPECT_EQ(rowsOf(listView3), (std::vector<Row>{onlyHereRow(b("d1.txt"), missing),
                                                 onlyHereRow(b("Sub/d2.txt"), missing)}));
  expectFinishedRun(missing, b(""));

  choose(b(""), missing);
  compare();
  EXPECT_EQ(rowsOf(listView3), (std::vector<Row>{onlyHereRow(b("d1.txt"), missing),
                                                 onlyHereRow(b("Sub/d2.txt"), missing)}));
  expectFinishedRun(b(""), missing);
  EXPECT_TRUE(host.errorReports.empty());
}

TEST_F(ComparisonRunTest, PermissionDeniedSubFoldersAreLeftOutQuietly) {
  tree.makeFile("A/x.txt");
  tree.makeFile("A/Locked/y.txt");
  tree.makeFile("A/Locked2/z.txt");
  tree.makeFile("A/Open/w.txt", kDay);
  tree.makeFile("B/y.txt");
  tree.makeFile("B/deep/z.txt");
  tree.makeFile("B/more/w.txt", kDay);
  fs.failListing(a("Locked"), failure_code::kPermissionDenied);
  fs.failListing(a("Locked2/"), failure_code::kPermissionDenied);
  choose(a(""), b(""));
  compare();

  EXPECT_EQ(rowsOf(listView3),
            (std::vector<Row>{onlyHereRow(a("x.txt"), b("")), onlyHereRow(b("y.txt"), a("")),
                              onlyHereRow(b("deep/z.txt"), a(""))}));
  EXPECT_TRUE(host.errorReports.empty());
  expectFinishedRun(a(""), b(""));
}

TEST_F(ComparisonRunTest, UnreadableChosenFolderContributesNoFile) {
  tree.makeFile("A/x.txt", kDay);
  tree.makeFile("A/Sub/q.txt");
  tree.makeFile("B/x.txt", kDay + kHour);
  tree.makeFile("B/q.txt");
  fs.failListing(a(""), failure_code::kPermissionDenied);
  choose(a(""), b(""));
  compare();

  // Both files lie in one folder, whose listing order is the file system's.
  EXPECT_EQ(sorted(rowsOf(listView3)),
            sorted({onlyHereRow(b("x.txt"), a("")), onlyHereRow(b("q.txt"), a(""))}));
  EXPECT_TRUE(host.errorReports.empty());
  expectFinishedRun(a(""), b(""));
}

#ifndef _WIN32
// Read permission without search permission: the names can be listed, yet no status can be
// read, so nothing in such a folder counts as a file, chosen folder or sub-folder alike. The
// run goes on in a child process with an ordinary user's rights, since root may search any
// folder.
TEST_F(ComparisonRunTest, FolderThatCanBeListedButNotSearchedHoldsNoFile) {
  tree.makeFile("A/keep.txt", kDay);
  tree.makeFile("A/r_no_x/report.doc", kDay + 3 * 365 * 24 * kHour);  // the newer one
  tree.makeFile("A/r_no_x/Sub/deeper.txt");
  tree.makeFile("B/keep.txt", kDay);
  tree.makeFile("B/report.doc", kDay);
  ASSERT_EQ(chmod(tree.root().c_str(), 0755), 0);
  ASSERT_EQ(chmod(a("r_no_x").c_str(), 0644), 0);

  const auto rowsAsAnOrdinaryUser = [&](const std::string& chosen1) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) std::_Exit(3);
    choose(chosen1, b(""));
    compare();
    const std::vector<Row> expected =
        chosen1 == a("")
            ? std::vector<Row>{onlyHereRow(b("report.doc"), a(""))}
            : sorted({onlyHereRow(b("keep.txt"), chosen1), onlyHereRow(b("report.doc"), chosen1)});
    const std::vector<Row> rows = sorted(rowsOf(listView3));
    if (rows == expected && host.errorReports.empty()) std::_Exit(0);
    for (const Row& row : rows)
      std::fprintf(stderr, "row: %s|%s|%s\n", row[0].c_str(), row[1].c_str(), row[2].c_str());
    std::_Exit(1);
  };
  EXPECT_EXIT(rowsAsAnOrdinaryUser(a("")), ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(rowsAsAnOrdinaryUser(a("r_no_x/")), ::testing::ExitedWithCode(0), "");
  chmod(a("r_no_x").c_str(), 0755);
}
#endif  // search permission is POSIX's

// Times before 1601 or past the end of a Windows file time, as tmpfs and XFS can store them,
// decide a pair by their true order like any other.
TEST_F(ComparisonRunTest, TimesOutsideTheFileTimeRangeOrderByTheirTrueValue) {
  constexpr std::int64_t kYear1500 = -14'831'769'600, kYear1700 = -8'520'336'000;
  constexpr std::int64_t kYear40000 = 1'200'000'000'000;
  for (const char* name : {"old.txt", "far.txt", "same.txt"}) {
    tree.makeFile(std::string("A/") + name);
    tree.makeFile(std::string("B/") + name);
  }
  fs.setTime(a("old.txt"), kYear1500);
  fs.setTime(b("old.txt"), kYear1700);
  fs.setTime(a("far.txt"), kYear40000);
  fs.setTime(b("far.txt"), kDay);
  fs.setTime(a("same.txt"), kYear1500);
  fs.setTime(b("same.txt"), kYear1500);
  choose(a(""), b(""));
  compare();

  EXPECT_EQ(sorted(rowsOf(listView3)), sorted({overwriteRow(b("old.txt"), a("old.txt")),
                                               overwriteRow(a("far.txt"), b("far.txt"))}));
  EXPECT_TRUE(host.errorReports.empty());
  expectFinishedRun(a(""), b(""));
}

TEST_F(ComparisonRunTest, FileWhoseTimeVanishedIsOlderThanItsPartner) {
  makeExample();
  tree.makeFile("A/Sub/v.txt", kDay);
  tree.makeFile("B/Other/v.txt", kDay + kHour);
  fs.vanishTime(a("a.txt"));
  fs.vanishTime(a("Sub/v.txt"));
  fs.vanishTime(b("Other/v.txt"));
  choose(a(""), b(""));
  compare();

  EXPECT_EQ(rowsOf(listView3),
            (std::vector<Row>{onlyHereRow(a("b.txt"), b("")), onlyHereRow(b("d.txt"), a("")),
                              overwriteRow(b("a.txt"), a("a.txt"))}));
  EXPECT_TRUE(host.errorReports.empty());
  expectFinishedRun(a(""), b(""));
}

TEST_F(ComparisonRunTest, RepeatedListingFailureIsReportedOncePerStepAndRunCarriesOn) {
  tree.makeFile("A/ok.txt");
  tree.makeFile("B/ok2.txt");
  for (int i = 0; i < 6; ++i) {
    const std::string folder = "s" + std::to_string(i);
    tree.makeFile("A/" + folder + "/f" + std::to_string(i) + ".txt");
    // Some fail at once, some after one name was listed: either way the folder gives no file.
    fs.failListing(a(folder), failure_code::kDeviceError, i % 2);
  }
  for (int i = 0; i < 4; ++i) {
    const std::string folder = "t" + std::to_string(i);
    tree.makeFile("B/" + folder + "/g" + std::to_string(i) + ".txt");
    fs.failListing(b(folder), failure_code::kDeviceError, i % 2);
  }
  choose(a(""), b(""));
  compare();

  EXPECT_EQ(host.errorReports, (std::vector<std::string>{runReport("Device unavailable", 122),
                                                         runReport("Device unavailable", 146)}));
  // No file of a failed folder, and no name of an earlier folder under a failed one.
  EXPECT_EQ(rowsOf(listView3),
            (std::vector<Row>{onlyHereRow(a("ok.txt"), b("")), onlyHereRow(b("ok2.txt"), a(""))}));
  expectFinishedRun(a(""), b(""));
}

// Folder 2 as restored from an archive: 16 distinct even times, each a second off its
// partner's odd time under folder 1, and one pair 3 seconds apart. A FAT volume on either side
// widens the rule alike; a modify window replaces it.
TEST_F(ComparisonRunTest, TwoSecondStepsOnEitherSideOrAModifyWindowDecideWhichTimesAreEqual) {
  std::vector<Row> oneSecondRows;
  for (int k = 0; k < 16; ++k) {
    const std::string name = "f" + std::to_string(k) + ".txt";
    const std::int64_t odd = kDay + 4 * k + 1;
    tree.makeFile("A/" + name, odd);
    tree.makeFile("B/sub/" + name, k % 2 == 0 ? odd - 1 : odd + 1);
    oneSecondRows.push_back(k % 2 == 0 ? overwriteRow(a(name), b("sub/" + name))
                                       : overwriteRow(b("sub/" + name), a(name)));
  }
  tree.makeFile("A/far.txt", kDay + 1001);
  tree.makeFile("B/far.txt", kDay + 1004);
  const Row farRow = overwriteRow(b("far.txt"), a("far.txt"));
  std::vector<Row> allRows = oneSecondRows;
  allRows.push_back(farRow);
  choose(a(""), b(""));
  const auto rowsWithWindow = [&](std::optional<std::int64_t> window) {
    run.setModifyWindow(window);
    compare();
    return sorted(rowsOf(listView3));
  };

  EXPECT_EQ(rowsWithWindow(std::nullopt), (std::vector<Row>{farRow}));
  EXPECT_EQ(rowsWithWindow(0), sorted(allRows));
  EXPECT_EQ(rowsWithWindow(3), (std::vector<Row>{}));

  // One odd time among them and folder 2 proves nothing any more...
  fs.setTime(b("sub/f15.txt"), kDay + 61);
  oneSecondRows.pop_back();
  allRows = oneSecondRows;
  allRows.push_back(farRow);
  EXPECT_EQ(rowsWithWindow(std::nullopt), sorted(allRows));
  // ...unless either folder lies on a FAT volume.
  fs.setTwoSecondTimes(a(""));
  EXPECT_EQ(rowsWithWindow(std::nullopt), (std::vector<Row>{farRow}));
  EXPECT_EQ(rowsWithWindow(0), sorted(allRows));
  EXPECT_TRUE(host.errorReports.empty());
  expectFinishedRun(a(""), b(""));
}

TEST_F(ComparisonRunTest, EachFileTimeIsReadAtMostOnceForManyPairs) {
  tree.makeFile("A/n.txt", kDay + 1);
  tree.makeFile("A/p/n.txt", kDay + 2);
  tree.makeFile("A/p/q/n.txt", kDay + 3);
  tree.makeFile("A/solo.txt");
  tree.makeFile("B/n.txt", kDay + 11);
  tree.makeFile("B/r/n.txt", kDay + 12);
  tree.makeFile("B/r/s/n.txt", kDay + 13);
  tree.makeFile("B/other.txt");
  choose(a(""), b(""));
  compare();

  ASSERT_EQ(listView3.rowCount(), 2u + 9u);
  for (const auto& path :
       {a("n.txt"), a("p/n.txt"), a("p/q/n.txt"), b("n.txt"), b("r/n.txt"), b("r/s/n.txt")}) {
    EXPECT_EQ(fs.timeLookups(path), 1) << path;
  }
  EXPECT_EQ(fs.timeLookups(a("solo.txt")), 0);
  EXPECT_EQ(fs.timeLookups(b("other.txt")), 0);
  expectFinishedRun(a(""), b(""));
}

// Re-entrancy

TEST_F(ComparisonRunTest, ClickDuringRunIsIgnored) {
  makeExample();
  choose(a(""), b(""));
  int clicksDuringRun = 0;
  bool inNestedClick = false;
  host.onYield = [&] {
    if (inNestedClick) return;
    EXPECT_TRUE(run.isComparing());
    inNestedClick = true;
    ++clicksDuringRun;
    compare();
    inNestedClick = false;
  };
  compare();

  EXPECT_GT(clicksDuringRun, 0);
  EXPECT_EQ(rowsOf(listView3), exampleRows());
  EXPECT_TRUE(host.errorReports.empty());
  expectFinishedRun(a(""), b(""));
}

TEST_F(ComparisonRunTest, ClearingResultsDuringRunLeavesConsistentRows) {
  makeExample();
  tree.makeFile("A/Sub/e.txt", kDay);
  tree.makeFile("B/Other/e.txt", kDay + kHour);
  choose(a(""), b(""));
  std::vector<Row> full = exampleRows();
  full.push_back(overwriteRow(b("Other/e.txt"), a("Sub/e.txt")));

  bool cleared = false;
  host.onYield = [&] {
    if (!cleared && listView3.rowCount() > 0) {
      listView3.clear();
      cleared = true;
    }
  };
  compare();

  ASSERT_TRUE(cleared) << "the run never yielded once results existed";
  // The rows after the clear are the tail of what an undisturbed run gives.
  const std::vector<Row> rows = rowsOf(listView3);
  ASSERT_LT(rows.size(), full.size());
  EXPECT_TRUE(std::equal(rows.begin(), rows.end(), full.end() - static_cast<long>(rows.size())))
      << "rows left: " << ::testing::PrintToString(rows);
  EXPECT_TRUE(host.errorReports.empty());
  expectFinishedRun(a(""), b(""));
}

}  // namespace
}  // namespace plovane::test
