#include "export/text_report.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/result_list.h"
#include "recording_host.h"
#include "reported_steps.h"
#include "temp_tree.h"

namespace plovane::test {
namespace {

struct Row {
  std::string first, middle, last;
  bool checked = true;
};

// A list with the result list's columns and the given rows.
void fill(ResultList& list, const std::vector<Row>& rows) {
  list.addColumn("Newer");
  list.addColumn("");
  list.addColumn("Older");
  for (const Row& row : rows)
    list.setChecked(list.appendRow(row.first, row.middle, row.last), row.checked);
}

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string saved(const std::vector<Row>& rows, const std::string& file, RecordingHost& host) {
  ResultList list;
  fill(list, rows);
  SaveListviewProperlySpacedWithoutProgressBar(list, file, host);
  return fileBytes(file);
}

const std::string kWriter = "Main.SaveListviewProperlySpacedWithoutProgressBar";

TEST(TextReportTest, ColumnsArePaddedToTheirLongestTextCountedInUtf16Units) {
  TempTree tree;
  RecordingHost host;
  const std::string file = tree.path("report.txt");

  EXPECT_EQ(saved({}, file, host), "Newer\t\tOlder\t\r\n");
  // Widths 5, 0 and 5 from the headers: the empty column is just its tab.
  EXPECT_EQ(saved({{"x", "", "yy"}}, file, host), "Newer\t\tOlder\t\r\nx    \t\tyy   \t\r\n");
  // An unchecked row widens its column yet is not written; a text as long as its column
  // gets no space; the header is padded like a cell.
  EXPECT_EQ(saved({{"/a/name.txt", " is newer than", "/b/"},
                   {"/a/longer-unchecked.txt", " is newer than", "/b/x", false},
                   {"/a/b.txt", " is newer than", "/b/b.txt"}},
                  file, host),
            "Newer                  \t              \tOlder   \t\r\n"
            "/a/name.txt            \t is newer than\t/b/     \t\r\n"
            "/a/b.txt               \t is newer than\t/b/b.txt\t\r\n");

  // Japanese: two units in six bytes; the emoji two units; a Latin-1 byte that is not
  // UTF-8 one unit, written as it is; a long name with "é" at its end.
  const std::string japanese = "\xe6\x97\xa5\xe6\x9c\xac";
  const std::string emoji = "\xf0\x9f\x98\x80";
  const std::string longName = "/folder/with-a-long-ascii-name-then-\xc3\xa9";  // 37 units
  EXPECT_EQ(saved({{japanese, emoji, "caf\xe9"}, {longName, "", "ab"}}, file, host),
            "Newer" + std::string(32, ' ') + "\t  \tOlder\t\r\n" + japanese + std::string(35, ' ') +
                "\t" + emoji + "\tcaf\xe9 \t\r\n" + longName + "\t  \tab   \t\r\n");
  EXPECT_TRUE(host.errorReports.empty());
}

TEST(TextReportTest, ReplacesAnExistingFileAndKeepsANameWithoutExtension) {
  TempTree tree;
  RecordingHost host;
  tree.makeFile("old", 0, std::string(10000, 'z'));
  EXPECT_EQ(saved({{"a", "b", "c"}}, tree.path("old"), host),
            "Newer\t \tOlder\t\r\na    \tb\tc    \t\r\n");
  EXPECT_TRUE(host.errorReports.empty());
}

TEST(TextReportTest, AFileThatCannotBeCreatedIsReportedOncePerStepInOrder) {
  TempTree tree;
  RecordingHost host;
  const std::string file = tree.path("no such folder/report.txt");
  saved(std::vector<Row>(50, Row{"a", "b", "c"}), file, host);

  EXPECT_EQ(reportedSteps(host),
            (Steps{{kWriter, 136}, {kWriter, 150}, {kWriter, 180}, {kWriter, 184}}));
  EXPECT_EQ(host.errorReports.front().rfind("Path not found\r\n", 0), 0u);
  EXPECT_FALSE(std::ifstream(file).good());
}

TEST(TextReportTest, AFullDiskIsReportedWhereverTheFailureShows) {
  if (!std::ofstream("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  // A few lines stay in the buffer until the close, where the failure shows.
  RecordingHost small;
  ResultList oneRow;
  fill(oneRow, {{"a", "b", "c"}});
  SaveListviewProperlySpacedWithoutProgressBar(oneRow, "/dev/full", small);
  EXPECT_EQ(reportedSteps(small), (Steps{{kWriter, 184}}));
  EXPECT_EQ(small.errorReports.front().rfind("Disk full\r\n", 0), 0u);

  // More lines than the buffer holds: the writes of the rows fail first.
  RecordingHost large;
  ResultList manyRows;
  const std::string path(200, 'p');
  fill(manyRows, std::vector<Row>(20000, Row{path, "m", path}));
  SaveListviewProperlySpacedWithoutProgressBar(manyRows, "/dev/full", large);
  ASSERT_FALSE(large.errorReports.empty());
  EXPECT_EQ(reportedSteps(large).front(), std::make_pair(kWriter, 180));
  EXPECT_EQ(large.errorReports.front().rfind("Disk full\r\n", 0), 0u);
}

TEST(TextReportTest, RowsEmptiedDuringAYieldAreReportedAndTheLinesBeforeStay) {
  TempTree tree;
  RecordingHost host;
  ResultList list;
  fill(list, {});
  for (int row = 0; row < 10; ++row)
    list.setChecked(list.appendRow("r" + std::to_string(row), "m", "o"), true);
  // The width pass yields 30 times and the header line 3 times, then each row once and
  // each of its cells once: the 46th yield comes before the fourth row.
  host.onYield = [&] {
    if (host.yields == 46) list.clear();
  };
  const std::string file = tree.path("report.txt");
  SaveListviewProperlySpacedWithoutProgressBar(list, file, host);

  EXPECT_EQ(fileBytes(file).rfind("Newer\t \tOlder\t\r\nr0   \tm\to    \t\r\n"
                                  "r1   \tm\to    \t\r\nr2   \tm\to    \t\r\n",
                                  0),
            0u);
  // Each step that read a vanished row is reported once; the close succeeds.
  EXPECT_EQ(
      reportedSteps(host),
      (Steps{{kWriter, 158}, {kWriter, 166}, {kWriter, 168}, {kWriter, 172}, {kWriter, 174}}));
}

}  // namespace
}  // namespace plovane::test
