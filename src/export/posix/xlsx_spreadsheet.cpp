#include "export/posix/xlsx_spreadsheet.h"

#include <utility>

#include "common/failure.h"
#include "common/host.h"

namespace plovane {

XlsxSpreadsheet::XlsxSpreadsheet(std::string path, std::string temporaryFolder, Show show,
                                 std::function<void()> whileSaving)
    : path_(std::move(path)),
      temporaryFolder_(std::move(temporaryFolder)),
      show_(std::move(show)),
      whileSaving_(std::move(whileSaving)) {}

XlsxWorkbook& XlsxSpreadsheet::workbook() {
  if (!workbook_) throw Failure("No workbook has been added");
  return *workbook_;
}

void XlsxSpreadsheet::addWorkbook() {
  // A second workbook would overwrite the first one's file.
  if (workbook_) throw Failure("A workbook has already been added");
  workbook_.emplace(path_, temporaryFolder_);
}

void XlsxSpreadsheet::writeHeaderCell(std::size_t column, std::string_view text) {
  workbook().writeText(1, column, text);
}

void XlsxSpreadsheet::setCellValue(std::size_t row, std::size_t column, std::string_view text) {
  workbook().writeText(row, column, text);
}

void XlsxSpreadsheet::addSheetAfterActive() {
  workbook().addSheet();
}

void XlsxSpreadsheet::autoFitColumns() {
  workbook().fitColumns();
}

void XlsxSpreadsheet::makeVisible() {
  workbook().save(whileSaving_);
  if (show_) show_(path_);
}

std::unique_ptr<SpreadsheetApplication> XlsxFileSpreadsheets::create(Host& host) {
  return std::make_unique<XlsxSpreadsheet>(path_, std::string(), XlsxSpreadsheet::Show(),
                                           [&host] { host.yield(); });
}

}  // namespace plovane
