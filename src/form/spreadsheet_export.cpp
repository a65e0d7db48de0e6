#include "form/spreadsheet_export.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/error_report.h"
#include "common/failure.h"
#include "common/host.h"
#include "common/result_list.h"
#include "common/trap.h"
#include "export/spreadsheet_application.h"

namespace plovane {

namespace {

// A sub-cell's text as it goes into the sheet: without any "=".
std::string withoutEqualsSigns(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  std::copy_if(text.begin(), text.end(), std::back_inserter(result),
               [](char c) { return c != '='; });
  return result;
}

// One click's export. Step numbers are the ones an error report quotes.
class SpreadsheetExport {
 public:
  SpreadsheetExport(const ResultList& list, Host& host)
      : list_(list), host_(host), trap_(host, label::kPushButton7) {}

  void run(SpreadsheetApplications& spreadsheets) {
    if (trap_.test(100,
                   [&] { return !SaveResultsAsExcelFileIsExcelInstalled(host_, spreadsheets); })) {
      trap_.step(178, [&] { host_.showMessage(std::string(kSpreadsheetMissingForFeature)); });
      return;
    }
    if (trap_.test(108, [&] { return list_.rowCount() == 0; })) return;
    trap_.step(110, [&] { host_.setBusy(true); });
    trap_.step(112, [&] { application_ = spreadsheets.create(host_); });
    trap_.step(114, [&] { application().addWorkbook(); });
    writeHeaderRow();
    writeRows();
    trap_.step(172, [&] { application().autoFitColumns(); });
    trap_.step(174, [&] { application().makeVisible(); });
    trap_.step(176, [&] { host_.setBusy(false); });
  }

 private:
  // A failed start leaves no application; every step that needs one then fails in turn.
  SpreadsheetApplication& application() {
    if (!application_) throw Failure("Object variable not set");
    return *application_;
  }

  // A header goes in only when the first row has a text in its column.
  void writeHeaderRow() {
    std::size_t i = 1;
    trap_.step(116, [&] { i = 1; });
    std::size_t columns = 0;
    trap_.assign(118, columns, [&] { return list_.columnCount(); });
    for (std::size_t c = 0; c < columns; ++c) {
      trap_.step(120, [&] { host_.yield(); });
      const int test = c == 0 ? 124 : 130;
      if (trap_.test(test, [&] { return !list_.cell(0, c).empty(); })) {
        trap_.step(test + 2, [&] { writeHeader(i, list_.column(c).header); });
        trap_.step(test + 4, [&] { ++i; });
      }
    }
  }

  void writeHeader(std::size_t column, const std::string& text) {
    application().writeHeaderCell(column, text);
    headers_.emplace_back(column, text);
  }

  void writeRows() {
    std::size_t j = 2;
    trap_.step(138, [&] { j = 2; });
    std::size_t rows = 0;
    trap_.assign(140, rows, [&] { return list_.rowCount(); });
    for (std::size_t r = 0; r < rows; ++r) {
      trap_.step(142, [&] { host_.yield(); });
      if (trap_.test(144, [&] { return list_.isChecked(r); })) writeRow(r, j);
      trap_.step(168, [&] { ++j; });
      // The last row of the list needs no sheet after it.
      if (r + 1 < rows) trap_.step(168, [&] { spillWhenSheetIsFull(j); });
    }
  }

  void writeRow(std::size_t r, std::size_t j) {
    std::size_t i = 1;
    trap_.step(146, [&] { i = 1; });
    std::size_t columns = 0;
    trap_.assign(148, columns, [&] { return list_.columnCount(); });
    for (std::size_t c = 0; c < columns; ++c) {
      trap_.step(150, [&] { host_.yield(); });
      if (c == 0) {
        if (trap_.test(154, [&] { return !list_.cell(r, 0).empty(); })) {
          trap_.step(156, [&] { application().setCellValue(j, i, list_.cell(r, 0)); });
          trap_.step(158, [&] { ++i; });
        }
      } else if (trap_.test(160, [&] { return !list_.cell(r, c).empty(); })) {
        trap_.step(162,
                   [&] { application().setCellValue(j, i, withoutEqualsSigns(list_.cell(r, c))); });
        trap_.step(164, [&] { ++i; });
      }
    }
  }

  // A sheet holds a limited number of rows. Writing past them would fail cell by cell and
  // lose the rest of the results, so the rows go on in a new sheet under the same headers.
  void spillWhenSheetIsFull(std::size_t& j) {
    if (!application_ || j <= application_->rowLimit()) return;
    application_->addSheetAfterActive();
    j = 2;
    for (const auto& [column, text] : headers_) application_->writeHeaderCell(column, text);
  }

  const ResultList& list_;
  Host& host_;
  Trap trap_;
  std::unique_ptr<SpreadsheetApplication> application_;
  std::vector<std::pair<std::size_t, std::string>> headers_;
};

}  // namespace

bool SaveResultsAsExcelFileIsExcelInstalled(Host& host, SpreadsheetApplications& spreadsheets) {
  try {
    if (spreadsheets.create(host)) return true;  // released at once, unused
  } catch (...) {
  }
  try {
    host.showMessage(std::string(kSpreadsheetMissingForSoftware));
  } catch (...) {
  }
  return false;
}

void saveResultsAsExcelFile(const ResultList& list, Host& host,
                            SpreadsheetApplications& spreadsheets) {
  SpreadsheetExport(list, host).run(spreadsheets);
}

}  // namespace plovane
