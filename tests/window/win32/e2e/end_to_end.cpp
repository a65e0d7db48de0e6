#include "end_to_end.h"

#include <cstdio>
#include <stdexcept>
#include <string>

#include "driver_options.h"
#include "form1_session.h"
#include "platform/win32/wide_text.h"
#include "window_access.h"

namespace plovane::e2e {

namespace {

using platform::win32::toUtf8;

constexpr double kWindowSeconds = 60;  // a first start in a prefix is slow
constexpr double kRunSeconds = 30;
constexpr int kResultColumns = 3;

void step(const char* what) {
  std::printf("driver: %s\n", what);
  std::fflush(stdout);
}

// Every row as the list shows it, tab-separated, one a line, in UTF-8.
std::string shownRows(const RemoteListView& results) {
  std::string rows;
  for (int row = 0; row < results.rowCount(); ++row) {
    rows += toUtf8(results.rowText(row, kResultColumns)) + "\n";
  }
  return rows;
}

int tickedRows(const RemoteListView& results) {
  int ticked = 0;
  for (int row = 0; row < results.rowCount(); ++row) ticked += results.isTicked(row);
  return ticked;
}

void untick(const Form1Session& session, RemoteListView& results, int row) {
  results.clickCheckBox(row);
  session.waitFor("untick of row " + std::to_string(row), 10,
                  [&] { return !results.isTicked(row); });
  for (int other = 0; other < results.rowCount(); ++other) {
    if (other != row && !results.isTicked(other)) {
      throw std::runtime_error("the click on row " + std::to_string(row) + " also unticked row " +
                               std::to_string(other));
    }
  }
}

}  // namespace

// Options: --left and --right, the folders to choose; --rows, the rows the comparison gives;
// --untick, the row whose box is clicked; --report, the path typed into the save dialog;
// --out, the folder for rows.tsv and clipboard.txt.
void runEndToEnd(const DriverOptions& options) {
  const int expectedRows = options.number(L"rows");
  const int unticked = options.number(L"untick");
  if (unticked < 0 || unticked >= expectedRows) throw std::runtime_error("--untick out of range");

  Form1Session session(kWindowSeconds);
  step("Form1 is shown");
  session.chooseFolder("PushButton3", "ListView1", options.text(L"left"));
  session.chooseFolder("PushButton1", "ListView2", options.text(L"right"));
  step("both folders chosen through the folder browser");

  RemoteListView results = session.list("ListView3");
  postClick(session.control("PushButton5"));
  // Rows are shown as they come; the run ticks them all at its end and pumps no message
  // after that, and the list answers only when messages are pumped: all ticked is the end.
  session.waitFor(
      std::to_string(expectedRows) + " rows, all ticked, in ListView3", kRunSeconds,
      [&] {
        const int rows = results.rowCount();
        return rows >= expectedRows && tickedRows(results) == rows;
      },
      [&] {
        return "it shows " + std::to_string(results.rowCount()) + " rows, " +
               std::to_string(tickedRows(results)) + " ticked";
      });
  step("the comparison shows its rows");
  writeFile(options.text(L"out") + L"\\rows.tsv", shownRows(results));

  untick(session, results, unticked);
  step("one row unticked by a click on its box");
  session.saveResultsAs(options.text(L"report"));
  step("report saved through the save dialog");
  writeFile(options.text(L"out") + L"\\clipboard.txt", toUtf8(session.copyResults()));
  step("results copied to the clipboard");
  session.close();
  step("the window closed");
}

}  // namespace plovane::e2e
