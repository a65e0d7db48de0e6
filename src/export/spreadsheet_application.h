#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

namespace plovane {

class Host;

// The rows one sheet holds; the rows past it go on in a new sheet.
inline constexpr std::size_t kSheetRowLimit = 1048576;

// A spreadsheet program driven by the results export: one new workbook, written cell by
// cell into its active sheet, then shown to the user. Rows and columns count from 1, as the
// program counts them. Every call may fail with an exception, for instance once the program
// has gone away; the caller reports it and carries on.
class SpreadsheetApplication {
 public:
  virtual ~SpreadsheetApplication() = default;

  // A new, empty workbook; its first sheet is the active one.
  virtual void addWorkbook() = 0;
  // A header cell in row 1 of the active sheet.
  virtual void writeHeaderCell(std::size_t column, std::string_view text) = 0;
  // The value of a cell of the active sheet. The text is stored as text: it never turns into
  // a number, a date or a formula.
  virtual void setCellValue(std::size_t row, std::size_t column, std::string_view text) = 0;
  // The last row a sheet holds.
  virtual std::size_t rowLimit() const { return kSheetRowLimit; }
  // A new sheet after the active one, which becomes the active one.
  virtual void addSheetAfterActive() = 0;
  // Fits the width of every column of every sheet to its contents.
  virtual void autoFitColumns() = 0;
  // Shows the workbook to the user, who may save it; the program does not.
  virtual void makeVisible() = 0;
};

// Starts spreadsheet applications, a new one for every call.
class SpreadsheetApplications {
 public:
  virtual ~SpreadsheetApplications() = default;
  // Fails when no spreadsheet program can be started. The application may yield through the
  // host during a call that takes long, such as saving a large workbook, so that the window
  // stays responsive; the host must outlive it.
  virtual std::unique_ptr<SpreadsheetApplication> create(Host& host) = 0;
};

// The spreadsheet program of this computer.
SpreadsheetApplications& nativeSpreadsheets();

}  // namespace plovane
