#pragma once

#include <string>
#include <vector>

#include "recording_spreadsheet.h"

namespace plovane::test {

// What one start of the fake automation server was asked, read back from its log.
struct ServerSession {
  // The calls that change something, in order, as the server writes them:
  // "Sheet1.Cells(2,1).Value = \"/a/x\"", "Worksheets.Add(Before:=missing, After:=Sheet1) ->
  // Sheet2", "Application.Visible = True"...
  std::vector<std::string> calls;
  // What the server refused or could not do ("!" lines), which no test expects.
  std::vector<std::string> faults;
  bool madeApplication = false;
  // The workbook as it was left: its sheets in order and their cells, texts unquoted; a
  // value that was not a text keeps the form the server wrote it in ("<vt 3> 5").
  std::vector<std::string> sheetNames;
  std::vector<SpreadsheetRecord::Sheet> sheets;
  // The last line: "live objects: 0" once the client has released everything.
  std::string lastLine;
};

// The sessions of the log, one per start of the server, in order; none when there is no log.
std::vector<ServerSession> readServerSessions(const std::string& logPath);

}  // namespace plovane::test
