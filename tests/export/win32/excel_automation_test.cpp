// The spreadsheet export through the real COM backend, against a fake automation server
// registered in the test's own Wine prefix: the workbook it is left with is the one the
// recording double is given, and every object it handed out is released.

#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

#include <objbase.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/failure.h"
#include "common/result_list.h"
#include "export/win32/excel_application.h"
#include "export_rows.h"
#include "fake_excel_registration.h"
#include "form/spreadsheet_export.h"
#include "recording_host.h"
#include "recording_spreadsheet.h"

namespace plovane::test {
namespace {

#define REQUIRE_WINE_PREFIX()                                                 \
  do {                                                                        \
    std::string reason;                                                       \
    if (!FakeExcelRegistration::possibleHere(reason)) GTEST_SKIP() << reason; \
  } while (false)

// COM held for the whole test, as the window's thread holds it for the program's life: a
// reference the export forgot is then still held when the test reads the server's count,
// instead of being dropped by the export's own CoUninitialize. The export keeps an apartment
// it finds. A multithreaded one, because it needs no window: under Wine without a display, a
// window starts the desktop process, which inherits the test's output and may hold it open
// long after the test (for as long as any other program keeps the desktop).
class ComApartment {
 public:
  ComApartment() { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
  ~ComApartment() { CoUninitialize(); }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
};

// The export's applications with a sheet of few rows, so that a short list spills onto new
// sheets: the row limit is all that differs from what the program starts.
class SmallSheets final : public SpreadsheetApplications {
 public:
  explicit SmallSheets(std::size_t rowLimit) : rowLimit_(rowLimit) {}

  std::unique_ptr<SpreadsheetApplication> create(Host& host) override {
    return std::make_unique<Limited>(excel_.create(host), rowLimit_);
  }

 private:
  class Limited final : public SpreadsheetApplication {
   public:
    Limited(std::unique_ptr<SpreadsheetApplication> excel, std::size_t rowLimit)
        : excel_(std::move(excel)), rowLimit_(rowLimit) {}
    void addWorkbook() override { excel_->addWorkbook(); }
    void writeHeaderCell(std::size_t column, std::string_view text) override {
      excel_->writeHeaderCell(column, text);
    }
    void setCellValue(std::size_t row, std::size_t column, std::string_view text) override {
      excel_->setCellValue(row, column, text);
    }
    std::size_t rowLimit() const override { return rowLimit_; }
    void addSheetAfterActive() override { excel_->addSheetAfterActive(); }
    void autoFitColumns() override { excel_->autoFitColumns(); }
    void makeVisible() override { excel_->makeVisible(); }

   private:
    std::unique_ptr<SpreadsheetApplication> excel_;
    std::size_t rowLimit_;
  };

  win32::ExcelApplications excel_;
  std::size_t rowLimit_;
};

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The server's calls in the recording double's words; the fitting of each sheet's columns
// is one call of the double.
std::vector<std::string> callKinds(const std::vector<std::string>& calls) {
  std::vector<std::string> kinds;
  for (const std::string& call : calls) {
    std::string kind = call;
    if (call.rfind("Workbooks.Add -> ", 0) == 0) kind = "addWorkbook";
    if (call.rfind("Worksheets.Add(", 0) == 0) kind = "addSheet";
    if (call == "Application.Visible = True") kind = "makeVisible";
    if (endsWith(call, ".Columns.AutoFit")) kind = "autoFit";
    const std::size_t cell = call.find(".Cells(");
    const std::size_t put = cell == std::string::npos ? cell : call.find(')', cell);
    if (put != std::string::npos) {
      if (call.compare(put, 4, ") = ") == 0) kind = "header";  // the cell's default member
      if (call.compare(put, 10, ").Value = ") == 0) kind = "cell";
    }
    if (kind != "autoFit" || kinds.empty() || kinds.back() != "autoFit") kinds.push_back(kind);
  }
  return kinds;
}

std::vector<std::string> withoutCreate(std::vector<std::string> log) {
  std::erase(log, "create");
  return log;
}

// The probe's start and the export's: each released everything and wrote no fault.
void expectTwoCleanSessions(const FakeExcelRegistration& excel) {
  const std::vector<ServerSession> sessions = excel.sessions();
  ASSERT_EQ(sessions.size(), 2u) << excel.logText();
  EXPECT_TRUE(sessions[0].calls.empty());
  for (const ServerSession& session : sessions) {
    EXPECT_TRUE(session.madeApplication);
    EXPECT_TRUE(session.faults.empty()) << session.faults.front();
    EXPECT_EQ(session.lastLine, "live objects: 0") << excel.logText();
  }
}

TEST(ExcelAutomationTest, TheWorkbookHoldsWhatTheRecordingDoubleIsGivenAndAllIsReleased) {
  REQUIRE_WINE_PREFIX();
  ComApartment com;
  FakeExcelRegistration excel;
  ResultList list;
  fillExportList(list,
                 {{"/a/x", " is newer than", "/b/"},
                  {"/a/y", "", "/b/y=1"},
                  {"/a/z", " is newer than", "/b/", false},
                  {"C:\\Größe €\\日本\\\xF0\x9F\x93\x81 \"q\".txt", " is newer than", "tab\there"},
                  {"", " will overwrite an older", "123"},
                  {"=SUM(A1)", "", ""}});
  RecordingHost host;
  win32::ExcelApplications spreadsheets;

  saveResultsAsExcelFile(list, host, spreadsheets);

  RecordingHost recordingHost;
  RecordingSpreadsheets recording;
  saveResultsAsExcelFile(list, recordingHost, recording);
  EXPECT_TRUE(host.errorReports.empty()) << host.errorReports.front();
  EXPECT_TRUE(host.messages.empty());
  EXPECT_FALSE(host.busy);
  const std::vector<ServerSession> sessions = excel.sessions();
  expectTwoCleanSessions(excel);
  ASSERT_EQ(sessions.size(), 2u);
  const ServerSession& exported = sessions[1];
  EXPECT_EQ(exported.sheetNames, std::vector<std::string>{"Sheet1"});
  EXPECT_EQ(exported.sheets, recording.created.back()->sheets);
  EXPECT_EQ(callKinds(exported.calls), withoutCreate(recording.log));
  // Headers through the cell's default member, values through its Value, both as texts.
  ASSERT_GE(exported.calls.size(), 5u);
  EXPECT_EQ(exported.calls[1], "Sheet1.Cells(1,1) = \"Newer\"");
  EXPECT_EQ(exported.calls[4], "Sheet1.Cells(2,1).Value = \"/a/x\"");
  EXPECT_EQ(exported.calls[exported.calls.size() - 2], "Sheet1.Columns.AutoFit");
}

TEST(ExcelAutomationTest, RowsPastTheSheetsLastRowGoOnInSheetsAddedAfterTheActiveOne) {
  REQUIRE_WINE_PREFIX();
  ComApartment com;
  FakeExcelRegistration excel;
  ResultList list;
  fillExportList(list, {{"/a/1", "", "/b/"},
                        {"/a/2", "", "/b/"},
                        {"/a/3", "", "/b/"},
                        {"/a/4", "", "/b/"},
                        {"/a/5", "", "/b/", false},
                        {"/a/6", "", "/b/"},
                        {"/a/7", "", "/b/"}});
  RecordingHost host;
  SmallSheets spreadsheets(4);  // a header row and three rows

  saveResultsAsExcelFile(list, host, spreadsheets);

  RecordingHost recordingHost;
  RecordingSpreadsheets recording;
  recording.rowLimit = 4;
  saveResultsAsExcelFile(list, recordingHost, recording);
  EXPECT_TRUE(host.errorReports.empty()) << host.errorReports.front();
  const std::vector<ServerSession> sessions = excel.sessions();
  expectTwoCleanSessions(excel);
  ASSERT_EQ(sessions.size(), 2u);
  const ServerSession& exported = sessions[1];
  EXPECT_EQ(exported.sheetNames, (std::vector<std::string>{"Sheet1", "Sheet2", "Sheet3"}));
  ASSERT_EQ(recording.created.back()->sheets.size(), 3u);
  EXPECT_EQ(exported.sheets, recording.created.back()->sheets);
  EXPECT_EQ(callKinds(exported.calls), withoutCreate(recording.log));
  std::vector<std::string> added;
  std::vector<std::string> fitted;
  for (const std::string& call : exported.calls) {
    if (call.rfind("Worksheets.Add(", 0) == 0) added.push_back(call);
    if (endsWith(call, ".AutoFit")) fitted.push_back(call);
  }
  EXPECT_EQ(added,
            (std::vector<std::string>{"Worksheets.Add(Before:=missing, After:=Sheet1) -> Sheet2",
                                      "Worksheets.Add(Before:=missing, After:=Sheet2) -> Sheet3"}));
  EXPECT_EQ(fitted, (std::vector<std::string>{"Sheet1.Columns.AutoFit", "Sheet2.Columns.AutoFit",
                                              "Sheet3.Columns.AutoFit"}));
}

TEST(ExcelAutomationTest, WithoutTheClassOrWithItsProgramGoneExcelIsNotInstalled) {
  REQUIRE_WINE_PREFIX();
  ComApartment com;
  ResultList list;
  fillExportList(list, {{"/a/x", " is newer than", "/b/"}});
  const std::vector<std::string> notInstalled{std::string(kSpreadsheetMissingForSoftware),
                                              std::string(kSpreadsheetMissingForFeature)};
  win32::ExcelApplications spreadsheets;

  FakeExcelRegistration::removeAny();
  RecordingHost host;
  EXPECT_THROW(spreadsheets.create(host), Failure);
  saveResultsAsExcelFile(list, host, spreadsheets);
  EXPECT_EQ(host.messages, notInstalled);
  EXPECT_EQ(host.messages.at(0).rfind("Excel is not installed on this computer.", 0), 0u);
  EXPECT_TRUE(host.errorReports.empty()) << host.errorReports.front();
  EXPECT_EQ(host.busyChanges, 0);

  // The name still registered, its program removed.
  FakeExcelRegistration gone(L"C:\\nowhere\\fake_excel.exe");
  RecordingHost goneHost;
  saveResultsAsExcelFile(list, goneHost, spreadsheets);
  EXPECT_EQ(goneHost.messages, notInstalled);
  EXPECT_TRUE(goneHost.errorReports.empty()) << goneHost.errorReports.front();
  EXPECT_TRUE(gone.sessions().empty());
}

}  // namespace
}  // namespace plovane::test
