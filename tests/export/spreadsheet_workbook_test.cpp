// The workbook as a spreadsheet program reads it: written by the real backend, unzipped and
// its cells read back.

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "common/failure.h"
#include "common/result_list.h"
#include "export/posix/xlsx_spreadsheet.h"
#include "export/posix/xlsx_workbook.h"
#include "form/spreadsheet_export.h"
#include "recording_host.h"
#include "temp_tree.h"

namespace plovane::test {
namespace {

std::string commandOutput(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  for (std::size_t count; (count = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    output.append(buffer, count);
  pclose(pipe);
  return output;
}

std::string sheetXml(const std::string& workbook, int sheet) {
  return commandOutput("unzip -p '" + workbook + "' xl/worksheets/sheet" + std::to_string(sheet) +
                       ".xml 2>/dev/null");
}

std::string unescapeXml(std::string text) {
  const std::pair<const char*, const char*> entities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}};
  for (const auto& [entity, character] : entities) {
    for (std::size_t at; (at = text.find(entity)) != std::string::npos;) {
      text.replace(at, std::string(entity).size(), character);
    }
  }
  return text;
}

// A cell's text as spreadsheet programs read it: each "_xHHHH_", from left to right, is the
// character HHHH (in these tests always one of ASCII).
std::string decodeCharacterEscapes(const std::string& text) {
  static const std::regex escape("_x([0-9A-Fa-f]{4})_");
  std::string decoded;
  auto copied = text.begin();
  for (auto it = std::sregex_iterator(text.begin(), text.end(), escape);
       it != std::sregex_iterator(); ++it) {
    decoded.append(copied, (*it)[0].first);
    decoded += static_cast<char>(std::stoi((*it)[1], nullptr, 16));
    copied = (*it)[0].second;
  }
  decoded.append(copied, text.end());
  return decoded;
}

// Every cell of a sheet by its reference ("A1"), with its type attribute before the text.
std::map<std::string, std::string> cells(const std::string& xml) {
  std::map<std::string, std::string> found;
  static const std::regex cell(R"re(<c r="([A-Z]+[0-9]+)"([^>]*)>(.*?)</c>)re");
  static const std::regex inlineText(R"re(^<is><t(?: [^>]*)?>(.*)</t></is>$)re");
  for (auto it = std::sregex_iterator(xml.begin(), xml.end(), cell); it != std::sregex_iterator();
       ++it) {
    std::smatch text;
    const std::string body = (*it)[3];
    const bool isText = (*it)[2] == " t=\"inlineStr\"" && std::regex_match(body, text, inlineText);
    found[(*it)[1]] =
        isText ? decodeCharacterEscapes(unescapeXml(text[1])) : "not text: " + (*it)[0].str();
  }
  return found;
}

double columnWidth(const std::string& xml, int column) {
  std::smatch match;
  const std::regex col("<col min=\"" + std::to_string(column) + "\" max=\"" +
                       std::to_string(column) + "\" width=\"([0-9.]+)\"");
  return std::regex_search(xml, match, col) ? std::stod(match[1]) : 0.0;
}

void resultColumns(ResultList& list) {
  list.addColumn("Newer");
  list.addColumn("");
  list.addColumn("Older");
}

TEST(SpreadsheetWorkbookTest, TheExportedWorkbookHoldsEveryTextAsTextInItsCell) {
  TempTree folder;
  const std::string file = folder.path("results.xlsx");
  ResultList list;
  resultColumns(list);
  const std::string longName = "/home/u/" + std::string(60, 'x') + "/report.txt";
  list.appendRow(longName, " is newer than", "/b/");
  list.appendRow("=1+2", " will overwrite an older", "0042");
  list.appendRow("2024-01-02", "=HYPERLINK(\"x\")", "1E5");
  list.appendRow("/a/\xD0\x96\xE6\xBC\xA2 & <tag>", "", "/b/bad\xFF\xFE.txt");
  // Texts that look like the workbook's escapes of characters, and control characters,
  // which the workbook can hold only as such escapes.
  list.appendRow("/a/note_x005F_.txt", "a_x0041_b_x004a__x12_", "/b/_xABCD\x01_x0041_x0042_\r");
  list.appendRow("/a/unchecked", " is newer than", "/b/");
  list.setCheckedRange(0, 4, true);
  RecordingHost host;
  XlsxFileSpreadsheets spreadsheets(file);

  saveResultsAsExcelFile(list, host, spreadsheets);

  ASSERT_TRUE(host.errorReports.empty()) << host.errorReports.front();
  const std::string xml = sheetXml(file, 1);
  const std::map<std::string, std::string> expected{
      // The empty header leaves its cell empty, as assigning an empty text does.
      {"A1", "Newer"},
      {"C1", "Older"},
      {"A2", longName},
      {"B2", " is newer than"},
      {"C2", "/b/"},
      {"A3", "=1+2"},
      {"B3", " will overwrite an older"},
      {"C3", "0042"},
      {"A4", "2024-01-02"},
      {"B4", "HYPERLINK(\"x\")"},
      {"C4", "1E5"},
      // Bytes that are not UTF-8 become replacement characters, one each.
      {"A5", "/a/\xD0\x96\xE6\xBC\xA2 & <tag>"},
      {"B5", "/b/bad\xEF\xBF\xBD\xEF\xBF\xBD.txt"},
      // Each reads back as the row holds it.
      {"A6", "/a/note_x005F_.txt"},
      {"B6", "a_x0041_b_x004a__x12_"},
      {"C6", "/b/_xABCD\x01_x0041_x0042_\r"}};
  EXPECT_EQ(cells(xml), expected) << xml;
  EXPECT_EQ(xml.find("<f>"), std::string::npos);
  // Each column as wide as its longest text, so none is cut off.
  EXPECT_GE(columnWidth(xml, 1), static_cast<double>(longName.size()));
  EXPECT_LT(columnWidth(xml, 1), longName.size() + 4.0);
  EXPECT_GE(columnWidth(xml, 2), 24.0);
  EXPECT_GE(columnWidth(xml, 3), 5.0);
  EXPECT_TRUE(sheetXml(file, 2).empty());
}

TEST(SpreadsheetWorkbookTest, SheetsFollowOneAnotherAndRefuseCellsTheyCannotHold) {
  TempTree folder;
  const std::string file = folder.path("sheets.xlsx");
  XlsxSpreadsheet workbook(file);
  EXPECT_THROW(workbook.setCellValue(1, 1, "x"), Failure);  // no workbook yet
  workbook.addWorkbook();
  EXPECT_THROW(workbook.addWorkbook(), Failure);
  EXPECT_EQ(workbook.rowLimit(), 1048576u);

  workbook.writeHeaderCell(1, "Newer");
  workbook.setCellValue(5, 2, "row 5");
  // Row 5 is on disk already: an earlier row could no longer be written.
  EXPECT_THROW(workbook.setCellValue(4, 1, "too late"), Failure);
  workbook.setCellValue(1048576, 1, "last row");
  EXPECT_THROW(workbook.setCellValue(1048577, 1, "past the end"), Failure);
  EXPECT_THROW(workbook.setCellValue(0, 1, "before the start"), Failure);
  EXPECT_THROW(workbook.setCellValue(1048576, 16385, "past the last column"), Failure);

  workbook.addSheetAfterActive();
  workbook.writeHeaderCell(1, "Newer");
  workbook.setCellValue(2, 1, "spilled");
  workbook.autoFitColumns();
  workbook.makeVisible();
  EXPECT_THROW(workbook.setCellValue(3, 1, "after saving"), Failure);
  EXPECT_THROW(workbook.makeVisible(), Failure);

  EXPECT_EQ(cells(sheetXml(file, 1)),
            (std::map<std::string, std::string>{
                {"A1", "Newer"}, {"B5", "row 5"}, {"A1048576", "last row"}}));
  EXPECT_EQ(cells(sheetXml(file, 2)),
            (std::map<std::string, std::string>{{"A1", "Newer"}, {"A2", "spilled"}}));
}

TEST(SpreadsheetWorkbookTest, AWorkbookThatCannotBeWrittenIsReportedNeverShown) {
  TempTree folder;
  bool shown = false;
  auto show = [&](const std::string&) { shown = true; };

  // A full disk, found when the workbook is saved, and a folder that is not there, found
  // before the first row is written.
  for (const std::string& file : {std::string("/dev/full"), folder.path("missing/r.xlsx")}) {
    try {
      // Saved on a thread of its own, as the window saves it: its failure still comes through.
      XlsxSpreadsheet workbook(file, {}, show, [] {});
      workbook.addWorkbook();
      for (std::size_t row = 1; row <= 3000; ++row)
        workbook.setCellValue(row, 1, std::string(80, 'x'));
      workbook.makeVisible();
      ADD_FAILURE() << "saving to " << file << " succeeded";
    } catch (const Failure& failure) {
      EXPECT_STREQ(failure.what(), file == "/dev/full" ? "Disk full" : "Path not found");
    }
  }
  EXPECT_FALSE(shown);

  // Dropped unsaved: no file at all.
  {
    XlsxSpreadsheet workbook(folder.path("dropped.xlsx"));
    workbook.addWorkbook();
    workbook.setCellValue(1, 1, "x");
  }
  EXPECT_EQ(commandOutput("ls -A '" + folder.root() + "'"), "");
}

}  // namespace
}  // namespace plovane::test
