#include "form/spreadsheet_export.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/error_report.h"
#include "common/result_list.h"
#include "export_rows.h"
#include "recording_host.h"
#include "recording_spreadsheet.h"

namespace plovane::test {
namespace {

using Sheet = SpreadsheetRecord::Sheet;
using Row = ExportRow;

std::string report(int step, const std::string& description) {
  return composeErrorReport(description, label::kPushButton7, step);
}

TEST(SpreadsheetExportTest, WritesHeadersAndCheckedRowsSkippingEmptyTextsAndEqualsSigns) {
  RecordingHost host;
  RecordingSpreadsheets spreadsheets;
  ResultList list;
  fillExportList(list, {{"/a/x", " is newer than", "/b/"},
                        {"/a/y", "", "/b/y=1"},
                        {"/a/z", " is newer than", "/b/", false},
                        {"C=1", "==", "a=b=c"},
                        {"", " will overwrite an older", "123"},
                        {"=SUM(A1)", "", ""}});

  saveResultsAsExcelFile(list, host, spreadsheets);

  // The probe's application, then the export's.
  ASSERT_EQ(spreadsheets.created.size(), 2u);
  const SpreadsheetRecord& record = *spreadsheets.created[1];
  ASSERT_EQ(record.sheets.size(), 1u);
  const Sheet expected{
      {{1, 1}, "Newer"},
      {{1, 2}, ""},
      {{1, 3}, "Older"},
      {{2, 1}, "/a/x"},
      {{2, 2}, " is newer than"},
      {{2, 3}, "/b/"},
      {{3, 1}, "/a/y"},
      {{3, 2}, "/b/y1"},
      // Sheet row 4 stays empty: its list row is not checked.
      {{5, 1}, "C=1"},
      {{5, 2}, ""},
      {{5, 3}, "abc"},
      {{6, 1}, " will overwrite an older"},
      {{6, 2}, "123"},
      {{7, 1}, "=SUM(A1)"},
  };
  EXPECT_EQ(record.sheets[0], expected);
  EXPECT_TRUE(record.visible);
  EXPECT_TRUE(record.released);
  EXPECT_TRUE(spreadsheets.created[0]->released);
  EXPECT_TRUE(spreadsheets.created[0]->sheets.empty());  // the probe's is never used

  EXPECT_EQ(spreadsheets.log.front(), "create");
  EXPECT_EQ(spreadsheets.log[1], "create");
  EXPECT_EQ(spreadsheets.log[2], "addWorkbook");
  EXPECT_EQ(spreadsheets.log[spreadsheets.log.size() - 2], "autoFit");
  EXPECT_EQ(spreadsheets.log.back(), "makeVisible");

  // A yield per header column, per row, and per cell of each written row.
  EXPECT_EQ(host.yields, 3 + 6 + 5 * 3);
  EXPECT_EQ(host.idleYields, 0);
  EXPECT_EQ(host.busyChanges, 2);
  EXPECT_FALSE(host.busy);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_TRUE(host.errorReports.empty());
}

TEST(SpreadsheetExportTest, HeadersFollowTheFirstRowWhetherCheckedOrNot) {
  RecordingHost host;
  RecordingSpreadsheets spreadsheets;
  ResultList list;
  fillExportList(list, {{"/a/x", "", "/b/x", false}, {"/a/y", " is newer than", "/b/"}});

  saveResultsAsExcelFile(list, host, spreadsheets);

  const Sheet expected{{{1, 1}, "Newer"},
                       {{1, 2}, "Older"},
                       {{3, 1}, "/a/y"},
                       {{3, 2}, " is newer than"},
                       {{3, 3}, "/b/"}};
  EXPECT_EQ(spreadsheets.created.back()->sheets.at(0), expected);
}

TEST(SpreadsheetExportTest, WithoutAProgramShowsBothMessagesAndNothingElse) {
  RecordingHost host;
  RecordingSpreadsheets spreadsheets;
  spreadsheets.installed = false;
  ResultList list;
  fillExportList(list, {{"/a/x", " is newer than", "/b/"}});

  EXPECT_FALSE(SaveResultsAsExcelFileIsExcelInstalled(host, spreadsheets));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0], kSpreadsheetMissingForSoftware);
  host.messages.clear();

  saveResultsAsExcelFile(list, host, spreadsheets);

  EXPECT_EQ(host.messages, (std::vector<std::string>{std::string(kSpreadsheetMissingForSoftware),
                                                     std::string(kSpreadsheetMissingForFeature)}));
  EXPECT_TRUE(host.errorReports.empty());
  EXPECT_EQ(host.busyChanges, 0);
  EXPECT_EQ(host.yields, 0);
  EXPECT_EQ(spreadsheets.log, (std::vector<std::string>{"create", "create"}));

  // An empty list with a program there: only the probe, no pointer change, no message.
  spreadsheets.installed = true;
  spreadsheets.log.clear();
  host.messages.clear();
  ResultList empty;
  fillExportList(empty, {});
  saveResultsAsExcelFile(empty, host, spreadsheets);
  EXPECT_EQ(spreadsheets.log, (std::vector<std::string>{"create"}));
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(host.busyChanges, 0);
}

TEST(SpreadsheetExportTest, RowsPastTheSheetsLastRowGoOnInNewSheetsUnderTheSameHeaders) {
  RecordingHost host;
  RecordingSpreadsheets spreadsheets;
  spreadsheets.rowLimit = 4;  // a header row and three rows
  ResultList list;
  std::vector<Row> rows;
  const char* names[] = {"/a/1", "/a/2", "/a/3", "/a/4", "/a/5", "/a/6", "/a/7"};
  for (const char* name : names) rows.push_back({name, "", "/b/"});
  rows[4].checked = false;
  fillExportList(list, rows);

  saveResultsAsExcelFile(list, host, spreadsheets);

  const auto& sheets = spreadsheets.created.back()->sheets;
  ASSERT_EQ(sheets.size(), 3u);
  EXPECT_EQ(sheets[0], (Sheet{{{1, 1}, "Newer"},
                              {{1, 2}, "Older"},
                              {{2, 1}, "/a/1"},
                              {{2, 2}, "/b/"},
                              {{3, 1}, "/a/2"},
                              {{3, 2}, "/b/"},
                              {{4, 1}, "/a/3"},
                              {{4, 2}, "/b/"}}));
  // The unchecked fifth row still takes its sheet row.
  EXPECT_EQ(sheets[1], (Sheet{{{1, 1}, "Newer"},
                              {{1, 2}, "Older"},
                              {{2, 1}, "/a/4"},
                              {{2, 2}, "/b/"},
                              {{4, 1}, "/a/6"},
                              {{4, 2}, "/b/"}}));
  EXPECT_EQ(sheets[2],
            (Sheet{{{1, 1}, "Newer"}, {{1, 2}, "Older"}, {{2, 1}, "/a/7"}, {{2, 2}, "/b/"}}));
  EXPECT_TRUE(host.errorReports.empty());

  // A list that fills the last row exactly adds no empty sheet after it.
  RecordingSpreadsheets exact;
  exact.rowLimit = 4;
  ResultList three;
  fillExportList(three, {{"/a/1", "", "/b/"}, {"/a/2", "", "/b/"}, {"/a/3", "", "/b/"}});
  saveResultsAsExcelFile(three, host, exact);
  EXPECT_EQ(exact.created.back()->sheets.size(), 1u);
  EXPECT_TRUE(host.errorReports.empty());
}

TEST(SpreadsheetExportTest, ClearingTheListDuringAYieldIsReportedAndKeepsWhatWasWritten) {
  RecordingHost host;
  RecordingSpreadsheets spreadsheets;
  ResultList list;
  fillExportList(list, {{"/a/1", " is newer than", "/b/"},
                        {"/a/2", " is newer than", "/b/"},
                        {"/a/3", " is newer than", "/b/"},
                        {"/a/4", " is newer than", "/b/"}});
  // Header yields 1-3, then row 1's yield and its three cells' (4-7): the list goes at the
  // yield before row 2.
  host.onYield = [&] {
    if (host.yields == 8) list.clear();
  };

  saveResultsAsExcelFile(list, host, spreadsheets);

  const SpreadsheetRecord& record = *spreadsheets.created.back();
  EXPECT_EQ(record.sheets.at(0).at({2, 1}), "/a/1");
  EXPECT_EQ(record.sheets.at(0).at({2, 3}), "/b/");
  EXPECT_EQ(record.sheets.at(0).size(), 6u);
  EXPECT_TRUE(record.visible);
  EXPECT_FALSE(host.busy);
  // Each failing step is reported once, however many rows fail it.
  ASSERT_FALSE(host.errorReports.empty());
  EXPECT_EQ(host.errorReports.front(), report(144, "Index out of bounds"))
      << host.errorReports.front();
  EXPECT_LE(host.errorReports.size(), 8u);
}

TEST(SpreadsheetExportTest, AProgramThatStopsAnsweringIsReportedStepByStepAndThePointerComesBack) {
  RecordingHost host;
  RecordingSpreadsheets spreadsheets;
  spreadsheets.failFromCall = 4;  // the workbook and two headers, then nothing works
  ResultList list;
  std::vector<Row> rows(500, Row{"/a/x", " is newer than", "/b/"});
  fillExportList(list, rows);

  saveResultsAsExcelFile(list, host, spreadsheets);

  const std::string gone = "The remote server machine does not exist";
  EXPECT_EQ(host.errorReports,
            (std::vector<std::string>{report(132, gone), report(156, gone), report(162, gone),
                                      report(172, gone), report(174, gone)}));
  EXPECT_FALSE(host.busy);
  EXPECT_FALSE(spreadsheets.created.back()->visible);
}

TEST(SpreadsheetExportTest, EachClickStartsItsOwnApplicationAndWorkbook) {
  RecordingHost host;
  RecordingSpreadsheets spreadsheets;
  ResultList list;
  fillExportList(list, {{"/a/x", " is newer than", "/b/"}});

  saveResultsAsExcelFile(list, host, spreadsheets);
  const auto first = spreadsheets.created.back();
  const Sheet firstSheet = first->sheets.at(0);
  list.setCell(0, 0, "/a/changed");
  saveResultsAsExcelFile(list, host, spreadsheets);

  ASSERT_EQ(spreadsheets.created.size(), 4u);
  EXPECT_NE(spreadsheets.created.back(), first);
  EXPECT_EQ(first->sheets.size(), 1u);
  EXPECT_EQ(first->sheets[0], firstSheet);
  EXPECT_EQ(spreadsheets.created.back()->sheets.at(0).at({2, 1}), "/a/changed");
}

}  // namespace
}  // namespace plovane::test
